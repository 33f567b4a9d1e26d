// The POSIX pieces of loads and saves: prompt opens and locks, whole writes.
#include "posix_io.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

#include "save.h"

namespace numerlo {

namespace {

// How long a device or FIFO that takes nothing more is waited for.
constexpr std::chrono::milliseconds kStreamPatience{2000};

// When the program is ending, the latest moment a stream is waited for.
std::atomic<std::chrono::steady_clock::rep> endingBy{
    std::chrono::steady_clock::time_point::max().time_since_epoch().count()};

// When a stream that takes nothing more from now on is given up.
std::chrono::steady_clock::time_point streamDeadline() {
    const std::chrono::steady_clock::time_point ending{
        std::chrono::steady_clock::duration(endingBy.load())};
    return std::min(std::chrono::steady_clock::now() + kStreamPatience, ending);
}

}  // namespace

WriteSignalsHeld::WriteSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGPIPE);
    sigaddset(&held, SIGXFSZ);
    pthread_sigmask(SIG_BLOCK, &held, &saved_);
    sigpending(&pendingBefore_);
}

WriteSignalsHeld::~WriteSignalsHeld() {
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

bool lockPromptly(int fd) {
    const auto deadline = std::chrono::steady_clock::now() + kStreamPatience;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            return errno == ENOLCK || errno == EINVAL;  // a file system without locks: unguarded
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void hurrySaves() {
    const auto by = (std::chrono::steady_clock::now() + kStreamPatience).time_since_epoch().count();
    auto was = endingBy.load();
    while (by < was && !endingBy.compare_exchange_weak(was, by)) {
    }
}

bool writeAll(int fd, std::string_view bytes, off_t offset) {
    // A reader that keeps taking bytes is waited for as long as it reads,
    // unless the program is ending.
    auto deadline = streamDeadline();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = offset != kAtCurrentOffset
                              ? ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                         offset + static_cast<off_t>(done))
                              : ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            deadline = streamDeadline();  // it still reads
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == ESPIPE && offset + static_cast<off_t>(done) == 0) {
            offset = kAtCurrentOffset;  // a file that takes no offset (in /proc): it stands at 0
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

bool flush(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL;  // EINVAL: /proc and the like cannot
}

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
    return ::lstat(path.c_str(), &now) == 0 && sameFile(now, info);
}

bool nameLeadsTo(const std::string& path, const struct stat& info) {
    struct stat now {};
    return ::stat(path.c_str(), &now) == 0 && sameFile(now, info);
}

}  // namespace numerlo
