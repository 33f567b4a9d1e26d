// CP932 bytes <-> the QString a pane or label shows, losslessly.
#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "cp932_codec.h"

namespace numerlo {

inline QString toPaneText(std::string_view bytes) {
    return QString::fromStdU16String(decodeCp932(bytes));
}

inline std::string toBytes(const QString& text) {
    return encodeCp932(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                           static_cast<std::size_t>(text.size())));
}

}  // namespace numerlo
