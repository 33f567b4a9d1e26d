// The status line, and the accessible roles for it and the main window.
#include "status_line.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTimer>

namespace numerlo {

namespace {

class StatusLineAccessible : public QAccessibleWidget {
  public:
    explicit StatusLineAccessible(StatusLine* line)
        : QAccessibleWidget(line, QAccessible::Notification) {}

    [[nodiscard]] QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? static_cast<const StatusLine*>(widget())->spokenText()
                                      : QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* withOwnRole(const QString& className, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    if (className == QLatin1String("numerlo::StatusLine")) {
        return new StatusLineAccessible(static_cast<StatusLine*>(object));
    }
    if (className == QLatin1String("numerlo::TForm1")) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

}  // namespace

void installAccessibleRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(withOwnRole);
        return true;
    }();
    (void)installed;
}

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {}

QString StatusLine::spokenText() const {
    return text().isEmpty() ? accessibleName() : text();
}

void StatusLine::say(const QString& text, const QString& spoken) {
    setText(text);
    setAccessibleName(text.isEmpty() ? spoken : QString());
    const QString said = spokenText();
    if (said.isEmpty()) {
        return;
    }
    QTimer::singleShot(0, this, [this, said] {
        if (spokenText() == said) {
            QAccessibleEvent shown(this, QAccessible::ObjectShow);
            QAccessible::updateAccessibility(&shown);
        }
    });
}

}  // namespace numerlo
