#include "pane_form.h"

#include <algorithm>

namespace numerlo {

bool holdsStandIn(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), isStandIn);
}

std::optional<std::u16string> paneForm(std::u16string_view text) {
    text = text.substr(0, text.find(u'\0'));
    if (text.size() > 2 * kPaneLimitBytes) {
        return std::nullopt;
    }
    std::u16string oneBreak;
    oneBreak.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue;  // CR LF: the LF stands for both
        }
        oneBreak += isLineBreak(text[i]) ? u'\n' : text[i];
    }
    return decodeCp932(encodeCp932(oneBreak));
}

std::u16string rereadStandIns(std::u16string_view text) {
    return holdsStandIn(text) ? decodeCp932(encodeCp932(text)) : std::u16string(text);
}

std::string normaliseLineBreaks(std::string_view raw) {
    raw = raw.substr(0, raw.find('\0'));
    std::string text;
    text.reserve(raw.size() + raw.size() / 8);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r') {
            text += "\r\n";
            if (i + 1 < raw.size() && raw[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            text += "\r\n";
        } else {
            text += c;
        }
    }
    return text;
}

std::optional<std::string> fileTextForPane(std::string_view start) {
    std::string text = normaliseLineBreaks(start);
    if (text.size() > kPaneLimitBytes) {
        return std::nullopt;
    }
    return text;
}

}  // namespace numerlo
