// Places a dialog as it is shown, when it has its final size: centred across
// its screen and a third of the way down, the rule holding for the frame the
// window manager puts around it. A dialog larger than the screen's free area
// (Qt's file dialog at a large scale) first shrinks to fit it, and none ends
// up under a panel.
//
// The window manager frames a dialog only after it is shown, so its frame is
// taken to be the one it had last time, or else the main window's (the same
// window manager frames both), and its inside is placed directly within
// where that frame will be: move() would offset it by the frame Qt knows,
// none yet at a first showing. Once the dialog is framed (looked for during
// a second), it is placed again if the frame came out otherwise and nothing
// has moved it meanwhile.
#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QTimer>

class QWidget;

namespace numerlo {

class DialogPlacement : public QObject {
  public:
    // Watches `dialog`, which it belongs to.
    DialogPlacement(QWidget& dialog, const QWidget& mainWindow);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void place(QMargins frame);
    void settle();

    QWidget& dialog_;
    const QWidget& mainWindow_;
    QTimer settle_;
    int looks_ = 0;
    QMargins learnt_;  // the dialog's own frame, once seen
    QMargins used_;    // the frame it was last placed for
    QPoint placed_;    // where its inside was put
};

}  // namespace numerlo
