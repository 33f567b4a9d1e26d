// saveTextFile (save.h): attempts at a save until the name holds the
// page. Which way an attempt writes is decided in one place,
// chooseSaveMethod in save_method.h, from what opening the name showed; this
// file carries out each way: a new file, a stream, an atomic replacement or
// a write in place.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "posix_io.h"
#include "save.h"
#include "save_method.h"

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

// How one attempt at a save ended. Another program may make the name stand
// for another file meanwhile (an editor saves by renaming its new file over
// the name): the attempt then leaves the name to that file and the save
// starts over, so that a save reported done is always in the file the name
// stands for.
enum class Attempt { Saved, CannotCreate, WriteError, NameChanged };

// A hidden name beside `leaf`, told apart by `tag`; short where `leaf` is so
// long that it would pass what a folder takes.
std::string hiddenName(const std::string& leaf, const std::string& tag) {
    constexpr std::size_t kLongestLeaf = 200;
    return (leaf.size() > kLongestLeaf ? std::string(".numerlo-save") : "." + leaf) + "." + tag;
}

// Whether the page's file, `written`, is what `path` leads to now.
bool nameHolds(const std::string& path, int written) {
    struct stat page {};
    return ::fstat(written, &page) == 0 && nameLeadsTo(path, page);
}

// The folder a path is in, opened to make files in, and the path's last
// part.
struct Folder {
    std::string path;  // with its closing "/"
    Descriptor dir{-1};
    std::string leaf;
};
Folder folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    Folder folder;
    folder.path = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    folder.leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    folder.dir = Descriptor(::open(folder.path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return folder;
}

// A file being made in a folder, with no name until it is whole: killed
// half-way, the save leaves nothing behind. Asked to, it falls back where
// the file system has no unnamed files to a hidden name from the start,
// removed again unless the file takes its place.
class NewFile {
  public:
    enum class Unnamed { Only, OrHidden };
    NewFile(const Folder& folder, mode_t mode, Unnamed unnamed)
        : folder_(folder.dir.get()),
          file_(::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode)) {
        const bool noUnnamedFiles = errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL;
        if (!file_.valid() && noUnnamedFiles && unnamed == Unnamed::OrHidden) {
            std::string full = folder.path + hiddenName(folder.leaf, "XXXXXX");
            file_ = Descriptor(::mkostemp(full.data(), O_CLOEXEC));
            hidden_ = file_.valid() ? full.substr(folder.path.size()) : std::string();
        }
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() {
        if (!hidden_.empty()) {
            ::unlinkat(folder_, hidden_.c_str(), 0);
        }
    }
    [[nodiscard]] int fd() const { return file_.get(); }
    [[nodiscard]] bool valid() const { return file_.valid(); }

    // Gives the whole file a hidden name in its folder, for a moment: the
    // name a rename then moves over the old file. False if it cannot.
    bool nameHidden(const std::string& leaf) {
        for (int tries = 0; hidden_.empty() && tries < 100; ++tries) {
            const std::string name =
                hiddenName(leaf, std::to_string(::getpid()) + "-" + std::to_string(tries));
            if (link(name)) {
                hidden_ = name;
            } else if (errno != EEXIST) {
                return false;
            }
        }
        return !hidden_.empty();
    }
    // Moves the named file over `leaf`, or names the unnamed file `leaf`
    // where nothing has that name yet (EEXIST where something has).
    bool take(const std::string& leaf) {
        const bool done = hidden_.empty()
                              ? link(leaf)
                              : ::renameat(folder_, hidden_.c_str(), folder_, leaf.c_str()) == 0;
        if (done) {
            hidden_.clear();
        }
        return done;
    }

  private:
    // Through /proc, or where it is not mounted by the file itself, which
    // the kernel allows root (and everyone from Linux 6.10 on).
    bool link(const std::string& name) {
        const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
        return ::linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
               (errno == ENOENT &&
                ::linkat(file_.get(), "", folder_, name.c_str(), AT_EMPTY_PATH) == 0);
    }

    int folder_;
    Descriptor file_;
    std::string hidden_;
};

// What a replacement gives where it could not keep the file what it was
// (the folder takes no new file, or gives it an access list; no room for a
// second copy): no attempt's end, for the file is untouched, to be written
// in place instead.
constexpr std::optional<Attempt> kWriteInPlaceInstead = std::nullopt;

// A new file beside `target` holding `bytes`, with the old one's mode and
// group, takes its place once every byte is written and flushed, as long as
// the name saved to, `path`, still leads there.
std::optional<Attempt> replaceAtomically(const std::string& path, const std::string& target,
                                         const struct stat& info, std::string_view bytes) {
    const Folder folder = folderOf(target);
    NewFile out(folder, info.st_mode & 07777, NewFile::Unnamed::OrHidden);
    if (!folder.dir.valid() || !out.valid()) {
        return kWriteInPlaceInstead;
    }
    // A new file takes what the folder gives it (a default access list, a
    // label): it must come out as bare as the old one, with its mode and
    // group.
    const int fd = out.fd();
    struct stat made {};
    if (::flistxattr(fd, nullptr, 0) > 0 || ::fchmod(fd, info.st_mode & 07777) != 0 ||
        ::fstat(fd, &made) != 0 ||
        (made.st_gid != info.st_gid && ::fchown(fd, static_cast<uid_t>(-1), info.st_gid) != 0)) {
        return kWriteInPlaceInstead;
    }
    if (!writeAll(fd, bytes) || !flush(fd)) {
        const bool noRoom = errno == ENOSPC || errno == EDQUOT;
        return noRoom ? kWriteInPlaceInstead : Attempt::WriteError;
    }
    if (!out.nameHidden(folder.leaf)) {
        return kWriteInPlaceInstead;
    }
    if (!isSameFile(target, info) || !nameLeadsTo(path, info)) {
        return Attempt::NameChanged;
    }
    if (!out.take(folder.leaf)) {
        return kWriteInPlaceInstead;
    }
    return nameHolds(path, fd) ? Attempt::Saved : Attempt::NameChanged;
}

// Removes the name `leaf` in `folder` if it still stands for `written`.
void unname(const Folder& folder, int written) {
    struct stat named {};
    struct stat page {};
    if (::fstatat(folder.dir.get(), folder.leaf.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        ::fstat(written, &page) == 0 && sameFile(named, page)) {
        ::unlinkat(folder.dir.get(), folder.leaf.c_str(), 0);
    }
}

// A name that stands for nothing yet: the file is made whole before it takes
// the name.
Attempt createUnnamedFirst(const std::string& path, const Folder& folder, std::string_view bytes,
                           bool& tried) {
    NewFile out(folder, 0666, NewFile::Unnamed::Only);
    tried = out.valid();
    if (!tried) {
        return Attempt::CannotCreate;
    }
    if (!writeAll(out.fd(), bytes) || !flush(out.fd())) {
        return Attempt::WriteError;
    }
    if (!out.take(folder.leaf)) {
        tried = errno == EEXIST;  // else: unnamed files that cannot be named here
        return Attempt::NameChanged;
    }
    if (!nameHolds(path, out.fd())) {
        unname(folder, out.fd());  // a folder on the way was changed meanwhile
        return Attempt::NameChanged;
    }
    return Attempt::Saved;
}

// A name that stands for nothing yet. A link to a missing file makes that
// file, as the shell's ">" does; so does a folder that makes no unnamed
// files. Such a file is made at its name at once, and removed again if it
// cannot be written whole.
Attempt createFile(const std::string& path, std::string_view bytes) {
    struct stat link {};
    const bool throughLink = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    const Folder folder = folderOf(path);
    if (!throughLink && folder.dir.valid() && !folder.leaf.empty()) {
        bool tried = false;
        const Attempt unnamedFirst = createUnnamedFirst(path, folder, bytes, tried);
        if (tried) {
            return unnamedFirst;
        }
    }
    Descriptor file(::open(path.c_str(),
                           O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC | (throughLink ? 0 : O_EXCL),
                           0666));
    struct stat made {};
    if (!file.valid() || ::fstat(file.get(), &made) != 0) {
        return errno == EEXIST ? Attempt::NameChanged : Attempt::CannotCreate;
    }
    const std::string madePath = throughLink ? openedPath(file.get()) : path;
    const bool written = writeInPlace(file, bytes);
    if (written && nameLeadsTo(path, made)) {
        return Attempt::Saved;
    }
    if (!madePath.empty()) {
        ::unlink(madePath.c_str());
    }
    return written ? Attempt::NameChanged : Attempt::WriteError;
}

// The page written over the file's own bytes, if the name still leads there
// afterwards.
Attempt writeInPlaceAt(const std::string& path, Descriptor& file, const struct stat& info,
                       std::string_view bytes) {
    // Another save of the same file waits its turn instead of mixing its
    // bytes with these.
    if (!lockPromptly(file.get())) {
        return Attempt::CannotCreate;
    }
    if (!writeInPlace(file, bytes)) {
        return Attempt::WriteError;
    }
    return nameLeadsTo(path, info) ? Attempt::Saved : Attempt::NameChanged;
}

Attempt savedIf(bool written) {
    return written ? Attempt::Saved : Attempt::WriteError;
}

// One attempt: what the name stands for now decides how it is written.
Attempt saveOnce(const std::string& path, std::string_view bytes) {
    // Opened as it is, neither made nor cut: what the name stands for.
    Descriptor file(openPromptly(path.c_str(), O_WRONLY));
    const int openError = file.valid() ? 0 : errno;
    const std::string target = file.valid() ? openedPath(file.get()) : std::string();
    const OpenedName opened = examine(file, openError, target);
    switch (chooseSaveMethod(opened)) {
        case SaveMethod::CannotOpen:
            return Attempt::CannotCreate;
        case SaveMethod::CreateNew:
            return createFile(path, bytes);
        case SaveMethod::WriteIntoStream:
            return savedIf(writeAll(file.get(), bytes) && file.close());
        case SaveMethod::ReplaceAtomically:
            if (const auto replaced = replaceAtomically(path, target, opened.info, bytes)) {
                return *replaced;
            }
            [[fallthrough]];
        case SaveMethod::WriteInPlace:
            return writeInPlaceAt(path, file, opened.info, bytes);
    }
    return Attempt::CannotCreate;
}

}  // namespace

SaveStatus saveTextFile(const std::string& path, std::string_view bytes) {
    if (path.empty() || path.find('\0') != std::string::npos) {  // a NUL ends no name
        return SaveStatus::CannotCreate;
    }
    const WriteSignalsHeld held;
    // A name that another program keeps changing under every attempt is
    // given up: the page was saved nowhere.
    constexpr int kAttempts = 5;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        switch (saveOnce(path, bytes)) {
            case Attempt::Saved:
                return SaveStatus::Saved;
            case Attempt::CannotCreate:
                return SaveStatus::CannotCreate;
            case Attempt::WriteError:
                return SaveStatus::WriteError;
            case Attempt::NameChanged:
                break;
        }
    }
    return SaveStatus::CannotCreate;
}

}  // namespace numerlo
