#include "status_line.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTimer>

namespace numerlo {

namespace {

// The status line as screen readers see it: a notification whose name is
// the text shown, or what is said in its place while it shows none.
class StatusLineAccessible : public QAccessibleWidget {
  public:
    explicit StatusLineAccessible(QWidget* line)
        : QAccessibleWidget(line, QAccessible::Notification) {}

    [[nodiscard]] QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const auto* line = static_cast<const QLabel*>(widget());
            return line->text().isEmpty() ? line->accessibleName() : line->text();
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* statusLineAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("numerlo::StatusLine") && object != nullptr &&
        object->isWidgetType()) {
        return new StatusLineAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(statusLineAccessible);
        return true;
    }();
    (void)installed;
}

void StatusLine::say(const QString& text, const QString& spoken) {
    setText(text);
    setAccessibleName(text.isEmpty() ? spoken : QString());
    if (text.isEmpty() && spoken.isEmpty()) {
        return;
    }
    QTimer::singleShot(0, this, [this] {
        QAccessibleEvent shown(this, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    });
}

}  // namespace numerlo
