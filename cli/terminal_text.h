// Messages on standard error, in the terminal's encoding.
#pragma once

#include <string>
#include <string_view>

namespace numerlo {

// `text` in `charset` ("CP932", "UTF-8") as the locale's encoding has it
// (setlocale(LC_ALL, "") first); what that encoding lacks becomes "?".
[[nodiscard]] std::string forTerminal(std::string_view text, const char* charset);

// Writes "numerlo-page: " + `name` (a file name as its bytes, may be
// empty) + ": " + `text` in `charset` + a line break to standard error.
void sayError(std::string_view name, std::string_view text, const char* charset = "UTF-8");

}  // namespace numerlo
