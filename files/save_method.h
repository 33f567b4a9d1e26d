// How a save writes the page, chosen from what the name turned out to be
// once opened for writing, neither made nor cut:
//  - nothing there: a new file is made (CreateNew);
//  - it cannot be opened (a folder, a loop of links, a FIFO without a
//    reader, a socket, a file this user may not write): CannotOpen;
//  - a device or FIFO: written into, never replaced (WriteIntoStream);
//  - a regular file that the program alone names and owns, bare of
//    extended attributes, at a path it knows: replaced atomically, keeping
//    its mode and group (ReplaceAtomically);
//  - any other regular file (more names, another owner, access lists): its
//    bytes are overwritten where they are (WriteInPlace), so that every name
//    shows the page and owner, group, mode and attributes stay.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace numerlo {

enum class SaveMethod { CreateNew, WriteIntoStream, ReplaceAtomically, WriteInPlace, CannotOpen };

// What opening the name showed.
struct OpenedName {
    int openError = 0;  // errno when it could not be opened (or examined), else 0
    struct stat info {};
    bool hasExtendedAttributes = false;
    bool pathKnown = false;  // its full path is known and still leads to it
    uid_t saver = 0;         // the effective user who saves
};

[[nodiscard]] SaveMethod chooseSaveMethod(const OpenedName& name);

}  // namespace numerlo
