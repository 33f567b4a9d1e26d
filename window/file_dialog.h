// One of the window's two file dialogs. Qt's own dialog, so that it looks and
// behaves the same on every desktop and the open dialog can carry its check
// box. It is made when first used, not at start-up, and kept for the life of
// the window, offering the name last confirmed in it. Nothing is kept between
// uses of the program: what Qt's dialog remembers (the folder, the history,
// the view) lasts for the session, and no settings file is read or written.
#pragma once

#include <QString>

#include "modal.h"

class QFileDialog;
class QWidget;

namespace numerlo {

class FileDialog {
  public:
    enum class Kind { Open, Save };
    FileDialog(Kind kind, QWidget& window, const ModalRunner& runModal)
        : kind_(kind), window_(window), runModal_(runModal) {}

    // Shows the dialog, centred across the screen and a third of the way
    // down. Returns the confirmed file's full path, or nothing when cancelled.
    QString ask();

  private:
    QFileDialog& dialog();

    Kind kind_;
    QWidget& window_;
    const ModalRunner& runModal_;
    QFileDialog* dialog_ = nullptr;  // a child of the window, once made
    QString lastConfirmed_;
};

}  // namespace numerlo
