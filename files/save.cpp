#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>

#include "posix_io.h"
#include "save_method.h"
#include "text_files.h"

namespace numerlo {

namespace {

// What opening the name for writing showed, for choosing how to save;
// `target` is the full path it led to.
OpenedName examine(const Descriptor& file, int openError, const std::string& target) {
    OpenedName name;
    name.saver = ::geteuid();
    name.openError = openError;
    if (!file.valid()) {
        return name;
    }
    if (::fstat(file.get(), &name.info) != 0) {
        name.openError = errno;
        return name;
    }
    name.hasExtendedAttributes = ::flistxattr(file.get(), nullptr, 0) > 0;
    name.pathKnown = !target.empty() && isSameFile(target, name.info);
    return name;
}

// The whole text in place of whatever the file held. The room for the new
// bytes is taken before an old byte is touched, so that a full disk or the
// size limit shows while the file is still as it was: holes are reserved,
// and the part past the old end is written first (and cut off again if that
// fails), which works on every file system. Then the old bytes are
// overwritten and anything past the new end is cut off.
bool writeInPlace(Descriptor& file, std::string_view bytes) {
    const int fd = file.get();
    struct stat before {};
    if (::fstat(fd, &before) != 0) {
        return false;
    }
    const auto size = static_cast<off_t>(bytes.size());
    if (size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS && errno != EINVAL) {
        return false;
    }
    const off_t kept = std::min(before.st_size, size);
    if (size > kept && !writeAll(fd, bytes.substr(static_cast<std::size_t>(kept)), kept)) {
        [[maybe_unused]] const int cut = ::ftruncate(fd, before.st_size);
        return false;
    }
    if (!writeAll(fd, bytes.substr(0, static_cast<std::size_t>(kept)), 0)) {
        return false;
    }
    struct stat after {};
    return ::fstat(fd, &after) == 0 && (after.st_size <= size || ::ftruncate(fd, size) == 0) &&
           flush(fd) && file.close();
}

// How replacing a file ended. One that could not keep the file what it was
// (the folder takes no new file, or gives it an access list; no room for a
// second copy) left the file untouched, to be written in place instead.
enum class Replacement { Done, WriteError, WriteInPlaceInstead };

// A new file beside `target` holding `bytes`, with the old one's mode and
// group, takes its place once every byte is written and flushed.
Replacement replaceAtomically(const std::string& target, const struct stat& info,
                              std::string_view bytes) {
    const std::size_t slash = target.rfind('/');
    std::string temporary =
        target.substr(0, slash + 1) + '.' + target.substr(slash + 1) + ".XXXXXX";
    Descriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.valid()) {
        return Replacement::WriteInPlaceInstead;
    }
    TemporaryName name(temporary);
    // A new file takes what the folder gives it (a default access list, a
    // label): it must come out as bare as the old one, with its mode and
    // group.
    struct stat made {};
    if (::flistxattr(out.get(), nullptr, 0) > 0 || ::fchmod(out.get(), info.st_mode & 07777) != 0 ||
        ::fstat(out.get(), &made) != 0 ||
        (made.st_gid != info.st_gid &&
         ::fchown(out.get(), static_cast<uid_t>(-1), info.st_gid) != 0)) {
        return Replacement::WriteInPlaceInstead;
    }
    if (!writeAll(out.get(), bytes) || !flush(out.get()) || !out.close()) {
        const bool noRoom = errno == ENOSPC || errno == EDQUOT;
        return noRoom ? Replacement::WriteInPlaceInstead : Replacement::WriteError;
    }
    if (!isSameFile(target, info) || ::rename(temporary.c_str(), target.c_str()) != 0) {
        return Replacement::WriteInPlaceInstead;
    }
    name.keep();
    return Replacement::Done;
}

// A name that stands for nothing yet: the file is made, and removed again if
// it cannot be written whole. A link to a missing file makes that file, as
// the shell's ">" does.
SaveStatus createFile(const char* name, std::string_view bytes) {
    struct stat link {};
    const bool throughLink = ::lstat(name, &link) == 0 && S_ISLNK(link.st_mode);
    Descriptor file(
        ::open(name, O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC | (throughLink ? 0 : O_EXCL), 0666));
    if (!file.valid()) {
        return SaveStatus::CannotCreate;
    }
    const std::string made = throughLink ? openedPath(file.get()) : std::string(name);
    if (writeInPlace(file, bytes)) {
        return SaveStatus::Saved;
    }
    if (!made.empty()) {
        ::unlink(made.c_str());
    }
    return SaveStatus::WriteError;
}

SaveStatus savedIf(bool written) {
    return written ? SaveStatus::Saved : SaveStatus::WriteError;
}

}  // namespace

SaveStatus saveTextFile(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        return SaveStatus::CannotCreate;
    }
    const WriteSignalsHeld held;
    // Opened as it is, neither made nor cut: what the name stands for.
    Descriptor file(openPromptly(path.c_str(), O_WRONLY));
    const int openError = file.valid() ? 0 : errno;
    const std::string target = file.valid() ? openedPath(file.get()) : std::string();
    const OpenedName opened = examine(file, openError, target);
    switch (chooseSaveMethod(opened)) {
        case SaveMethod::CannotOpen:
            return SaveStatus::CannotCreate;
        case SaveMethod::CreateNew:
            return createFile(path.c_str(), bytes);
        case SaveMethod::WriteIntoStream:
            return savedIf(writeAll(file.get(), bytes) && file.close());
        case SaveMethod::ReplaceAtomically:
            switch (replaceAtomically(target, opened.info, bytes)) {
                case Replacement::Done:
                    return SaveStatus::Saved;
                case Replacement::WriteError:
                    return SaveStatus::WriteError;
                case Replacement::WriteInPlaceInstead:
                    break;
            }
            [[fallthrough]];
        case SaveMethod::WriteInPlace:
            return savedIf(writeInPlace(file, bytes));
    }
    return SaveStatus::CannotCreate;
}

}  // namespace numerlo
