#include "csv_draws.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>

#include "cp932_codec.h"

namespace numerlo {

namespace {

constexpr std::size_t kColumns = 8;  // the draw number, then the seven numbers

// A column's names: each in UTF-8 as it is written here, and in CP932.
struct ColumnNames {
    std::string shown;  // the first name, UTF-8, for messages
    std::string both;   // both names, UTF-8
    std::vector<std::string> spellings;
};

std::u16string utf16Of(std::string_view utf8) {
    // Only the names below: BMP characters, written in UTF-8.
    std::u16string text;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : 3;
        char32_t c = length == 1 ? byte : length == 2 ? (byte & 0x1Fu) : (byte & 0x0Fu);
        for (std::size_t k = 1; k < length; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        }
        text.push_back(static_cast<char16_t>(c));
        i += length;
    }
    return text;
}

ColumnNames namesOf(std::initializer_list<std::string> names) {
    ColumnNames column{*names.begin(), *names.begin() + " or " + *(names.begin() + 1), {}};
    for (const std::string& name : names) {
        column.spellings.push_back(name);
        column.spellings.push_back(encodeCp932(utf16Of(name)));
    }
    return column;
}

const std::array<ColumnNames, kColumns>& columnNames() {
    static const std::array<ColumnNames, kColumns> names = {
        namesOf({"開催回", "抽せん回"}), namesOf({"第1数字", "本数字1"}),
        namesOf({"第2数字", "本数字2"}), namesOf({"第3数字", "本数字3"}),
        namesOf({"第4数字", "本数字4"}), namesOf({"第5数字", "本数字5"}),
        namesOf({"第6数字", "本数字6"}), namesOf({"BONUS数字", "ボーナス数字"}),
    };
    return names;
}

// The fields of one line, unquoted: a field in double quotes may hold
// commas, and "" in it stands for one quote. CP932 never has a comma or a
// quote as the second byte of a character, so bytes can be split as they
// are.
std::vector<std::string> fieldsOf(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// Digits only, within [low, high].
std::optional<int> numberIn(std::string_view text, int low, int high) {
    text = trimmed(text);
    int value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.size() > 4 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::from_chars(text.data(), end, value).ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// Where each wanted column is in the header, or the problem.
std::optional<std::array<std::size_t, kColumns>> findColumns(std::string_view header,
                                                             CsvProblem& problem) {
    const std::vector<std::string> fields = fieldsOf(header);
    std::array<std::size_t, kColumns> at{};
    for (std::size_t c = 0; c < kColumns; ++c) {
        const ColumnNames& names = columnNames()[c];
        const auto found = std::find_if(fields.begin(), fields.end(), [&](const std::string& f) {
            const std::string_view name = trimmed(f);
            return std::find(names.spellings.begin(), names.spellings.end(), name) !=
                   names.spellings.end();
        });
        if (found == fields.end()) {
            problem = {1, 0, "no column " + names.both + " in the header"};
            return std::nullopt;
        }
        at[c] = static_cast<std::size_t>(found - fields.begin());
    }
    return at;
}

// A field as a message shows it: quoted when it is printable ASCII (any
// other bytes may not be text in the terminal's encoding), else not at all.
std::string shownField(std::string_view field) {
    const bool printable =
        std::all_of(field.begin(), field.end(), [](char c) { return c >= ' ' && c <= '~'; });
    return printable ? " \"" + std::string(field) + "\"" : std::string();
}

struct LineReader {
    std::string_view rest;
    std::size_t number = 0;

    bool next(std::string_view& line) {
        if (rest.empty()) {
            return false;
        }
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        ++number;
        return true;
    }
};

// One draw line, or the problem with it.
std::optional<Draw> drawOf(std::string_view line, std::size_t lineNumber,
                           const std::array<std::size_t, kColumns>& at, CsvProblem& problem) {
    const std::vector<std::string> fields = fieldsOf(line);
    Draw draw;
    for (std::size_t c = 0; c < kColumns; ++c) {
        const std::string& name = columnNames()[c].shown;
        if (at[c] >= fields.size()) {
            problem = {lineNumber, at[c] + 1, "no " + name};
            return std::nullopt;
        }
        const std::string& field = fields[at[c]];
        const std::optional<int> value =
            c == 0 ? numberIn(field, 1, kLastDraw) : numberIn(field, 1, 43);
        if (!value) {
            problem = {lineNumber, at[c] + 1,
                       name + shownField(field) + " is not " +
                           (c == 0 ? "a draw number from 1 to 9999" : "a number from 1 to 43")};
            return std::nullopt;
        }
        (c == 0 ? draw.number : draw.numbers[c - 1]) = *value;
    }
    return draw;
}

}  // namespace

CsvDraws readDrawCsv(std::string_view bytes) {
    CsvDraws result;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    LineReader lines{bytes};
    std::string_view line;
    if (!lines.next(line)) {
        result.problem = {1, 0, "no header line"};
        return result;
    }
    const auto at = findColumns(line, result.problem);
    if (!at) {
        return result;
    }
    std::map<int, std::size_t> seen;  // draw number -> its line
    while (lines.next(line)) {
        if (trimmed(line).empty()) {
            continue;
        }
        const std::optional<Draw> draw = drawOf(line, lines.number, *at, result.problem);
        if (!draw) {
            return result;
        }
        if (const auto [where, fresh] = seen.emplace(draw->number, lines.number); !fresh) {
            result.problem = {lines.number, (*at)[0] + 1,
                              "draw " + std::to_string(draw->number) + " again (first on line " +
                                  std::to_string(where->second) + ")"};
            return result;
        }
        result.draws.push_back(*draw);
    }
    std::sort(result.draws.begin(), result.draws.end(),
              [](const Draw& a, const Draw& b) { return a.number < b.number; });
    result.read = true;
    return result;
}

std::string serialText(int number) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%03d", number);
    return {text, static_cast<std::size_t>(n)};
}

std::string resultLine(const Draw& draw) {
    std::string line;
    for (const int value : draw.numbers) {
        if (!line.empty()) {
            line += ' ';
        }
        line += static_cast<char>('0' + value / 10);
        line += static_cast<char>('0' + value % 10);
    }
    return line;
}

}  // namespace numerlo
