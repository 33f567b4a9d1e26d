// Small byte-string helpers shared by the stages. Positions count bytes from
// 1, as the input formats are described to users.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace numerlo {

// Sets `out` to the bytes position..position+count-1 of `text` as far as they
// exist; a position past the end gives an empty text. Assigning into `out`
// reuses its buffer from the previous run.
inline void assignSubstring(std::string& out, std::string_view text, std::size_t position,
                            std::size_t count) {
    const std::size_t from = position - 1;
    if (from >= text.size()) {
        out.clear();
        return;
    }
    // resize + copy rather than assign(): GCC 12 at -O3 warns falsely that
    // assign() from a view may overlap the target.
    const std::size_t size = std::min(count, text.size() - from);
    out.resize(size);
    std::copy_n(text.data() + from, size, out.data());
}

// Sets `out` to the pieces joined, in one pass: the size is worked out first
// and the buffer `out` already has from the previous run is written over.
template <typename... Pieces>
void assignJoined(std::string& out, const Pieces&... pieces) {
    out.resize((std::string_view(pieces).size() + ...));
    char* at = out.data();
    ((at = std::copy_n(std::string_view(pieces).data(), std::string_view(pieces).size(), at)), ...);
}

// Byte-for-byte equality, written out for the run's short texts (at most
// two bytes), where a library compare costs more than the bytes do.
inline bool sameBytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

// "0" .. "9": exactly one ASCII digit.
inline bool isDigitText(std::string_view text) {
    return text.size() == 1 && text[0] >= '0' && text[0] <= '9';
}

// "01" .. "43": exactly two ASCII digits spelling a lottery number.
inline bool isNumberText(std::string_view text) {
    if (text.size() != 2 || !isDigitText(text.substr(0, 1)) || !isDigitText(text.substr(1))) {
        return false;
    }
    const int value = (text[0] - '0') * 10 + (text[1] - '0');
    return value >= 1 && value <= 43;
}

}  // namespace numerlo
