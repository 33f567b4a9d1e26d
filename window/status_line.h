// The status line (Label3): one line of red text under the buttons. A screen
// reader speaks each message it is given, as a notification: Qt 6.4 has no
// call that makes a screen reader speak, but Orca speaks an object of the
// notification role whenever it reports being shown.
#pragma once

#include <QLabel>

class QAccessibleInterface;

namespace numerlo {

class StatusLine : public QLabel {
    Q_OBJECT

  public:
    explicit StatusLine(QWidget* parent);

    // Shows `text`. A screen reader speaks it, or `spoken` when `text` is
    // empty; nothing when both are. Spoken once the events already queued
    // have been handled, so that what they do is spoken first and does not
    // cut the message short, and not at all if the line says something else
    // by then (the next run's busy text).
    void say(const QString& text, const QString& spoken = {});

    // What a screen reader reads of the line: its text, or what was said in
    // its place while it shows none.
    [[nodiscard]] QString spokenText() const;
};

// The window's controls as screen readers see them, where Qt's own reading
// falls short: the main window as a window (Qt calls a plain top-level
// widget a filler, which has no title to read) and the status line as a
// notification. Install once, before the window is made.
void installAccessibleRoles();

}  // namespace numerlo
