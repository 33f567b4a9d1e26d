// The ten example draws every whole-run test uses, and where their page is.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace numerlo::testing {

inline constexpr std::string_view kTestHomeUrl = "https://example.com/numerlo/";

// Ten valid draws with the serials 001..010, as CR LF pane texts.
inline constexpr std::string_view kSerials =
    "001\r\n002\r\n003\r\n004\r\n005\r\n006\r\n007\r\n008\r\n009\r\n010";
inline constexpr std::string_view kResults =
    "01 02 03 04 05 06 07\r\n"
    "43 42 41 40 39 38 01\r\n"
    "05 12 19 27 33 41 22\r\n"
    "08 14 15 23 36 42 09\r\n"
    "02 11 17 28 30 39 43\r\n"
    "03 09 10 21 34 40 18\r\n"
    "06 13 24 25 31 37 20\r\n"
    "07 16 26 29 35 38 04\r\n"
    "04 18 20 32 41 43 11\r\n"
    "10 19 22 23 30 33 01";

// Splits text at CR LF into its lines.
inline std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string_view::npos;
         start = at + 2) {
        lines.emplace_back(text.substr(start, at - start));
    }
    lines.emplace_back(text.substr(start));
    return lines;
}

// The page those draws give, byte for byte (no line break after </HTML>).
inline std::string goldenPage() {
    std::ifstream in(NUMERLO_GOLDEN_DIR "/page_001_010.html", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace numerlo::testing
