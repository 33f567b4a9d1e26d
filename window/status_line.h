// The status line (Label3): one line of red text under the buttons. A screen
// reader speaks each message it is given, as a notification: Qt 6.4 has no
// call that makes a screen reader speak, but Orca speaks an object of the
// notification role whenever it reports being shown.
#pragma once

#include <QLabel>

namespace numerlo {

class StatusLine : public QLabel {
    Q_OBJECT

  public:
    explicit StatusLine(QWidget* parent);

    // Shows `text`. A screen reader speaks it, or `spoken` when `text` is
    // empty; nothing when both are. Spoken once the events already queued
    // have been handled, so that the focus going back to a button is spoken
    // first and does not cut the message short.
    void say(const QString& text, const QString& spoken = {});
};

}  // namespace numerlo
