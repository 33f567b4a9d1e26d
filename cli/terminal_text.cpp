#include "terminal_text.h"

#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>

namespace numerlo {

std::string forTerminal(std::string_view text, const char* charset) {
    iconv_t convert = ::iconv_open(::nl_langinfo(CODESET), charset);
    // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's failure value
    if (convert == reinterpret_cast<iconv_t>(-1)) {
        return std::string(text);
    }
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    std::size_t left = text.size();
    while (left > 0) {
        char* at = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t done = ::iconv(convert, &in, &left, &at, &room);
        out.append(buffer, static_cast<std::size_t>(at - buffer));
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += '?';  // a character the terminal lacks, or a broken one
            ++in;
            --left;
        }
    }
    char* at = buffer;
    std::size_t room = sizeof buffer;
    ::iconv(convert, nullptr, nullptr, &at, &room);
    out.append(buffer, static_cast<std::size_t>(at - buffer));
    ::iconv_close(convert);
    return out;
}

void sayError(std::string_view name, std::string_view text, const char* charset) {
    std::string line = "numerlo-page: ";
    if (!name.empty()) {
        line += name;
        line += ": ";
    }
    line += forTerminal(text, charset);
    line += '\n';
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t n = ::write(STDERR_FILENO, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace numerlo
