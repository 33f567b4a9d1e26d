// The POSIX pieces that loads and saves are made of.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <string_view>
#include <utility>

namespace numerlo {

// An open file, closed when it goes.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~Descriptor() { reset(); }
    [[nodiscard]] bool valid() const { return fd_ >= 0; }
    [[nodiscard]] int get() const { return fd_; }
    // Closes now; false if the file reports that earlier writes failed.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

  private:
    void reset() {
        if (fd_ >= 0) {
            ::close(std::exchange(fd_, -1));
        }
    }

    int fd_;
};

// For as long as it lives, a FIFO whose reader has gone and a file past the
// process's size limit make writes fail, instead of ending the program with
// SIGPIPE or SIGXFSZ. Any such signal raised meanwhile is taken back.
class WriteSignalsHeld {
  public:
    WriteSignalsHeld();
    WriteSignalsHeld(const WriteSignalsHeld&) = delete;
    WriteSignalsHeld& operator=(const WriteSignalsHeld&) = delete;
    ~WriteSignalsHeld();

  private:
    sigset_t saved_{};
    sigset_t pendingBefore_{};
};

// Opens `name` without waiting for another program, but for a moment for a
// program that holds a lease on the file (a file server does): the open then
// fails at once while the holder is asked to let go, and is tried again.
int openPromptly(const char* name, int flags);

// Takes the file for this process alone (an advisory lock, as another save
// of this program takes it), waiting a moment for one under way; false if
// it stays taken.
bool lockPromptly(int fd);

// The offset that writes where the file stands now, as a stream is written.
inline constexpr off_t kAtCurrentOffset = -1;

// Writes every byte, from `offset` on. False on any error or shortfall: a
// full disk, the size limit, a reader gone, a stream that stays full; errno
// then says which.
bool writeAll(int fd, std::string_view bytes, off_t offset = kAtCurrentOffset);

// Flushes what was written to the disk, where the file system can.
bool flush(int fd);

// The full path of an open file, whatever names led to it; empty if unknown.
std::string openedPath(int fd);

// Whether two files' details describe the same file.
inline bool sameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// Whether `path`, not followed if a link, is the file `info` describes.
bool isSameFile(const std::string& path, const struct stat& info);

// Whether `path`, followed through links, is the file `info` describes.
bool nameLeadsTo(const std::string& path, const struct stat& info);

}  // namespace numerlo
