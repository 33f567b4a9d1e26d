// Where the panes' QStrings meet the CP932 codec and the pane form.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

#include "cp932_codec.h"
#include "pane_form.h"

namespace numerlo {

inline std::u16string_view utf16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

inline QString toPaneText(std::string_view bytes) {
    return QString::fromStdU16String(decodeCp932(bytes));
}

inline std::string toBytes(const QString& text) {
    return encodeCp932(utf16(text));
}

inline std::optional<QString> inPaneForm(const QString& text) {
    const std::optional<std::u16string> formed = paneForm(utf16(text));
    return formed ? std::optional<QString>(QString::fromStdU16String(*formed)) : std::nullopt;
}

}  // namespace numerlo
