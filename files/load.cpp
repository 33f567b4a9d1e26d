// loadTextFile and longestNameIn (load.h): reading by name without waiting.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "load.h"
#include "posix_io.h"

namespace numerlo {

std::optional<std::string> loadTextFile(const std::string& path, std::size_t most) {
    // A NUL would end the name early: the file its start names is another.
    if (path.empty() || path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    // Opened without waiting: a FIFO with no writer would block open().
    const Descriptor file(openPromptly(path.c_str(), O_RDONLY));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    std::string bytes(most, '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(file.get(), bytes.data() + got, bytes.size() - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            return std::nullopt;  // a read error, or more to come but not now
        }
    }
    // A FIFO or socket at its end straight away has no writer.
    if (got == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))) {
        return std::nullopt;
    }
    bytes.resize(got);
    return bytes;
}

std::optional<long> longestNameIn(const std::string& folder) {
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return longest >= 0 ? std::optional<long>(longest) : std::nullopt;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace numerlo
