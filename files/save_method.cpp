// chooseSaveMethod: what the opened name is decides how a save writes it.
#include "save_method.h"

#include <cerrno>

namespace numerlo {

SaveMethod chooseSaveMethod(const OpenedName& name) {
    if (name.openError == ENOENT) {
        return SaveMethod::CreateNew;
    }
    if (name.openError != 0) {
        return SaveMethod::CannotOpen;
    }
    if (!S_ISREG(name.info.st_mode)) {
        return SaveMethod::WriteIntoStream;
    }
    const bool replaceable = name.info.st_nlink == 1 && name.info.st_uid == name.saver &&
                             !name.hasExtendedAttributes && name.pathKnown;
    return replaceable ? SaveMethod::ReplaceAtomically : SaveMethod::WriteInPlace;
}

}  // namespace numerlo
