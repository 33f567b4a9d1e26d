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
        : QAccessibleWidget(line, QAccessible::StatusBar) {}

    [[nodiscard]] QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? static_cast<const StatusLine*>(widget())->spokenText()
                                      : QAccessibleWidget::text(t);
    }
};

class StatusNoticeAccessible : public QAccessibleWidget {
  public:
    explicit StatusNoticeAccessible(StatusNotice* notice)
        : QAccessibleWidget(notice, QAccessible::Notification) {}

    [[nodiscard]] QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? static_cast<const StatusNotice*>(widget())->message
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
    if (className == QLatin1String("numerlo::StatusNotice")) {
        return new StatusNoticeAccessible(static_cast<StatusNotice*>(object));
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

StatusNotice::StatusNotice(QWidget* parent) : QWidget(parent) {
    hide();
}

StatusLine::StatusLine(QWidget* parent) : QLabel(parent), notice_(new StatusNotice(this)) {}

QString StatusLine::spokenText() const {
    return text().isEmpty() ? accessibleName() : text();
}

void StatusLine::say(const QString& text, const QString& spoken) {
    setText(text);
    setAccessibleName(text.isEmpty() ? spoken : QString());
    speak(spokenText());
}

void StatusLine::showQuietly(const QString& text) {
    setText(text);
    setAccessibleName(QString());
    notice_->message.clear();
}

void StatusLine::confirm(const QString& message) {
    speak(message);
}

void StatusLine::speak(const QString& message) {
    notice_->message = message;
    if (message.isEmpty()) {
        return;
    }
    QTimer::singleShot(0, notice_, [notice = notice_, message] {
        if (notice->message == message) {
            QAccessibleEvent shown(notice, QAccessible::ObjectShow);
            QAccessible::updateAccessibility(&shown);
        }
    });
}

}  // namespace numerlo
