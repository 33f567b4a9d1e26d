// The form text takes in a pane, in CP932 terms: what counts as a line
// break, where entered text ends, how a loaded file's bytes become a pane's
// text, and the one limit every pane keeps. Plain C++; UTF-16 as char16_t.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "cp932_codec.h"

namespace numerlo {

// The most CP932 text a pane takes, line breaks counted as CR LF: room for a
// whole draw history (some 2,100 draws, 45 KiB).
inline constexpr std::size_t kPaneLimitBytes = std::size_t{64} * 1024;

// How much of a file to read for a pane: normalising line breaks never
// shrinks the text before the first NUL, so one byte past the limit tells
// that the file cannot fit.
inline constexpr std::size_t kFileBytesForPane = kPaneLimitBytes + 1;

// LF, CR, U+2028, U+2029 and U+0085 are each the line break Enter makes.
[[nodiscard]] constexpr bool isLineBreak(char16_t c) {
    return c == u'\n' || c == u'\r' || c == u'\u2028' || c == u'\u2029' || c == u'\u0085';
}

// A byte that CP932 cannot read on its own, shown as U+F700 + the byte.
[[nodiscard]] constexpr bool isStandIn(char16_t c) {
    return c >= kStandInBase && c < kStandInBase + 0x100;
}
[[nodiscard]] bool holdsStandIn(std::u16string_view text);

// Entered text as a pane holds it:
//  1. it ends before its first NUL, as a loaded file does;
//  2. CR LF and every other line break is one '\n';
//  3. every character is what CP932 reads back from its bytes: U+301C
//     becomes U+FF5E, and what CP932 lacks becomes "?".
// Nothing for text past the pane's limit however it converts: no character
// gives less than half a byte, and a huge paste is not worth converting.
[[nodiscard]] std::optional<std::u16string> paneForm(std::u16string_view text);

// Pane text read again from its bytes: stand-ins that a neighbouring byte
// now completes become the character they make (U+F781 "@" reads U+3000).
[[nodiscard]] std::u16string rereadStandIns(std::u16string_view text);

// A file's bytes as a pane's text: up to the first NUL; CR LF stays, and a
// lone CR and a lone LF each become CR LF (so LF CR is two breaks).
[[nodiscard]] std::string normaliseLineBreaks(std::string_view raw);

// The first kFileBytesForPane bytes of a file as a pane's new text, or
// nothing if the file is too large for a pane.
[[nodiscard]] std::optional<std::string> fileTextForPane(std::string_view start);

}  // namespace numerlo
