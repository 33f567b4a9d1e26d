// The status line (Label3): one line of red text under the buttons. Screen
// readers find it as the window's status bar, which reads its message again
// on demand, and speak each message as it appears. Qt 6.4 has no call that
// makes a screen reader speak, but Orca speaks an object of the notification
// role whenever it reports being shown: the line holds a hidden one for what
// it has to say, a status bar's own notification.
#pragma once

#include <QLabel>

class QAccessibleInterface;

namespace numerlo {

// What the status line has to say, kept out of sight.
class StatusNotice : public QWidget {
    Q_OBJECT

  public:
    explicit StatusNotice(QWidget* parent);

    QString message;
};

class StatusLine : public QLabel {
    Q_OBJECT

  public:
    explicit StatusLine(QWidget* parent);

    // Shows `text`. A screen reader speaks it, or `spoken` when `text` is
    // empty; nothing when both are.
    void say(const QString& text, const QString& spoken = {});

    // Shows `text` and speaks nothing; what was about to be spoken is not.
    void showQuietly(const QString& text);

    // Speaks `message` and leaves the line as it is: the confirmation of a
    // command that has no message of its own to show.
    void confirm(const QString& message);

    // What a screen reader reads of the line: its text, or what was said in
    // its place while it shows none.
    [[nodiscard]] QString spokenText() const;

  private:
    // Spoken once the events already queued have been handled, so that what
    // they do is spoken first and does not cut the message short, and not at
    // all if something else is to be said (or nothing) by then.
    void speak(const QString& message);

    StatusNotice* notice_;
};

// The window's controls as screen readers see them, where Qt's own reading
// falls short: the main window as a window (Qt calls a plain top-level
// widget a filler, which has no title to read), the status line as a
// status bar and what it says as a notification. Install once, before the
// window is made.
void installAccessibleRoles();

}  // namespace numerlo
