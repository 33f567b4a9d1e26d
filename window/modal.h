// How the window runs its modal dialogs and message boxes. The program uses
// exec(); tests put a function here that answers the dialog instead of a
// person, so that nothing blocks.
#pragma once

#include <QDialog>

#include <functional>

namespace numerlo {

using ModalRunner = std::function<int(QDialog&)>;

inline int runModally(QDialog& dialog) {
    return dialog.exec();
}

}  // namespace numerlo
