// Lossless conversion between CP932 (Shift-JIS) bytes and the UTF-16 text a
// pane shows. Every byte string without NUL and with CR LF line breaks comes
// back byte for byte, including broken or incomplete double-byte sequences:
// a byte that is not part of a character that converts both ways is shown as
// the private-use stand-in U+F700 + byte, which converts back to that byte.
#pragma once

#include <string>
#include <string_view>

namespace numerlo {

// First stand-in; U+F700..U+F7FF lie outside CP932's own user area.
inline constexpr char16_t kStandInBase = 0xF700;

// CR LF, and also a lone CR or LF, become one U+000A line break.
std::u16string decodeCp932(std::string_view bytes);

// Line breaks become CR LF; stand-ins become their byte; a JIS-style code
// point becomes the CP932 character it stands for (U+301C gives 81 60); a
// character that CP932 cannot encode becomes "?", as it would in a
// single-byte text control.
std::string encodeCp932(std::u16string_view text);

}  // namespace numerlo
