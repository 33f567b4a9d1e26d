#include "text_files.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <optional>
#include <thread>
#include <utility>

namespace numerlo {

namespace {

// An open file, closed when it goes.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    [[nodiscard]] bool valid() const { return fd_ >= 0; }
    [[nodiscard]] int get() const { return fd_; }
    // Closes now; false if the file reports that earlier writes failed.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

  private:
    int fd_;
};

// A temporary file's name, removed again unless kept.
class TemporaryName {
  public:
    explicit TemporaryName(std::string path) : path_(std::move(path)) {}
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    ~TemporaryName() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    void keep() { path_.clear(); }

  private:
    std::string path_;
};

// For the length of a save, a FIFO whose reader has gone and a file past
// the process's size limit make writes fail, instead of ending the program
// with SIGPIPE or SIGXFSZ. Any such signal the save raised is taken back.
class WriteSignalsHeld {
  public:
    WriteSignalsHeld() {
        sigemptyset(&held_);
        sigaddset(&held_, SIGPIPE);
        sigaddset(&held_, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &held_, &saved_);
        sigpending(&pendingBefore_);
    }
    WriteSignalsHeld(const WriteSignalsHeld&) = delete;
    WriteSignalsHeld& operator=(const WriteSignalsHeld&) = delete;
    ~WriteSignalsHeld() {
        sigset_t pending;
        sigpending(&pending);
        for (const int signal : {SIGPIPE, SIGXFSZ}) {
            if (sigismember(&pending, signal) == 1 && sigismember(&pendingBefore_, signal) == 0 &&
                sigismember(&saved_, signal) == 0) {
                sigset_t one;
                sigemptyset(&one);
                sigaddset(&one, signal);
                const timespec now{};
                sigtimedwait(&one, nullptr, &now);
            }
        }
        pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
    }

  private:
    sigset_t held_{};
    sigset_t saved_{};
    sigset_t pendingBefore_{};
};

// Opens `name` without waiting for another program, but for a moment for a
// program that holds a lease on the file (a file server does): the open then
// fails at once while the holder is asked to let go, and is tried again.
int openPromptly(const char* name, int flags) {
    constexpr int kTries = 20;
    constexpr std::chrono::milliseconds kPause{50};
    for (int tried = 1;; ++tried) {
        const int fd = ::open(name, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd >= 0 || errno != EWOULDBLOCK || tried == kTries) {
            return fd;
        }
        std::this_thread::sleep_for(kPause);
    }
}

// How long a device or FIFO that takes no more for now is waited for.
constexpr std::chrono::milliseconds kStreamPatience{2000};

// Where a stream's bytes go: where it stands.
constexpr off_t kWhereItStands = -1;

// Writes every byte, from `offset` on. False on any error or shortfall: a
// full disk, the size limit, a reader gone, a stream that stays full; errno
// then says which.
bool writeAll(int fd, std::string_view bytes, off_t offset = kWhereItStands) {
    const auto deadline = std::chrono::steady_clock::now() + kStreamPatience;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = offset != kWhereItStands
                              ? ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                         offset + static_cast<off_t>(done))
                              : ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == ESPIPE && offset + static_cast<off_t>(done) == 0) {
            offset = kWhereItStands;  // a file that takes no offset (in /proc): it stands at 0
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            pollfd ready{fd, POLLOUT, 0};
            ::poll(&ready, 1, static_cast<int>(left.count()));
            continue;
        }
        if (n == 0) {
            errno = ENOSPC;
        }
        return false;
    }
    return true;
}

// Flushes what was written to the disk, where the file system can.
bool flush(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL;  // EINVAL: /proc and the like cannot
}

// The whole text in place of whatever the file held. The room for the new
// bytes is taken before an old byte is touched, so that a full disk or the
// size limit shows while the file is still as it was: holes are reserved,
// and the part past the old end is written first (and cut off again if that
// fails), which works on every file system. Then the old bytes are
// overwritten and anything past the new end is cut off.
bool writeWhole(Descriptor& file, std::string_view bytes) {
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

// The full path of an open file, whatever names led to it; empty if unknown.
std::string openedPath(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string path(PATH_MAX, '\0');
    const ssize_t n = ::readlink(link.c_str(), path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size() || path.front() != '/') {
        return {};
    }
    path.resize(static_cast<std::size_t>(n));
    return path;
}

bool isSameFile(const std::string& path, const struct stat& info) {
    struct stat now {};
    return ::lstat(path.c_str(), &now) == 0 && now.st_dev == info.st_dev &&
           now.st_ino == info.st_ino;
}

// Replaces the open regular file with a new one holding `bytes`, if that
// keeps it what it was: its only name, owned by this user, with no extended
// attributes (access lists, labels) that a new file would lack. Nothing when
// it cannot be done that way, and the file is then still as it was.
std::optional<SaveStatus> replaceAtomically(int fd, const struct stat& info,
                                            std::string_view bytes) {
    if (info.st_nlink != 1 || info.st_uid != ::geteuid() || ::flistxattr(fd, nullptr, 0) > 0) {
        return std::nullopt;
    }
    const std::string target = openedPath(fd);
    if (target.empty() || !isSameFile(target, info)) {
        return std::nullopt;
    }
    const std::size_t slash = target.rfind('/');
    std::string temporary =
        target.substr(0, slash + 1) + '.' + target.substr(slash + 1) + ".XXXXXX";
    Descriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.valid()) {
        return std::nullopt;  // the folder takes no new file
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
        return std::nullopt;
    }
    if (!writeAll(out.get(), bytes) || !flush(out.get()) || !out.close()) {
        // No room for a second copy: the new text may still fit in place.
        if (errno == ENOSPC || errno == EDQUOT) {
            return std::nullopt;
        }
        return SaveStatus::WriteError;
    }
    if (!isSameFile(target, info) || ::rename(temporary.c_str(), target.c_str()) != 0) {
        return std::nullopt;
    }
    name.keep();
    return SaveStatus::Saved;
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
    if (writeWhole(file, bytes)) {
        return SaveStatus::Saved;
    }
    if (!made.empty()) {
        ::unlink(made.c_str());
    }
    return SaveStatus::WriteError;
}

}  // namespace

std::string normaliseLineBreaks(std::string_view raw) {
    raw = raw.substr(0, raw.find('\0'));
    std::string text;
    text.reserve(raw.size() + raw.size() / 8);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r') {
            text += "\r\n";
            if (i + 1 < raw.size() && raw[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            text += "\r\n";
        } else {
            text += c;
        }
    }
    return text;
}

LoadResult loadTextFile(const QString& path, std::size_t limit) {
    if (path.isEmpty()) {
        return {};
    }
    // Opened without waiting: a FIFO with no writer would block open().
    const Descriptor file(openPromptly(QFile::encodeName(path).constData(), O_RDONLY));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return {};
    }
    // Normalising never shrinks the text before the first NUL, so one byte
    // past the limit is enough to tell that the text will not fit.
    std::string raw(limit + 1, '\0');
    std::size_t got = 0;
    while (got < raw.size()) {
        const ssize_t n = ::read(file.get(), raw.data() + got, raw.size() - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            return {};  // a read error, or more to come but not now
        }
    }
    // A FIFO or socket at its end straight away has no writer.
    if (got == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))) {
        return {};
    }
    raw.resize(got);
    std::string text = normaliseLineBreaks(raw);
    if (text.size() > limit) {
        return {LoadStatus::TooLarge, {}};
    }
    return {LoadStatus::Loaded, std::move(text)};
}

SaveStatus saveTextFile(const QString& path, std::string_view bytes) {
    if (path.isEmpty()) {
        return SaveStatus::CannotCreate;
    }
    const QByteArray name = QFile::encodeName(path);
    const WriteSignalsHeld held;
    // Opened as it is, neither made nor cut: a folder, a loop of links, a
    // FIFO without a reader, a socket, or a file this user may not write
    // fails here, and otherwise it shows what the name stands for.
    Descriptor file(openPromptly(name.constData(), O_WRONLY));
    if (!file.valid()) {
        return errno == ENOENT ? createFile(name.constData(), bytes) : SaveStatus::CannotCreate;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        return SaveStatus::CannotCreate;
    }
    if (!S_ISREG(info.st_mode)) {
        // A device or FIFO: written into, never replaced by a file.
        return writeAll(file.get(), bytes) && file.close() ? SaveStatus::Saved
                                                           : SaveStatus::WriteError;
    }
    if (const std::optional<SaveStatus> replaced = replaceAtomically(file.get(), info, bytes)) {
        return *replaced;
    }
    return writeWhole(file, bytes) ? SaveStatus::Saved : SaveStatus::WriteError;
}

}  // namespace numerlo
