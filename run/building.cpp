// Stages 14 to 41: turn the checked number fields into values, then into the
// 43 cells of each draw and the table row that holds them.
#include <algorithm>
#include <charconv>
#include <cstring>

#include "byte_strings.h"
#include "run.h"

namespace numerlo {

namespace {
constexpr std::string_view kSerialOpen = "\r\n<b>";
constexpr std::string_view kSerialClose = "</b>\r\n</TD>\r\n";
constexpr std::string_view kRowClose = "</TR>\r\n";
constexpr std::string_view kCellClose = ">\r\n";
constexpr std::string_view kCellEnd = "\r\n</TD>\r\n";
}  // namespace

bool TableRun::convertNumber(int j) {
    for (int d = 0; d < kDraws; ++d) {
        std::string& text = tables_.NumberTexts[j][d];
        if (text.size() == 2 && text[0] == '0' && text[1] >= '1' && text[1] <= '9') {
            text.erase(0, 1);  // "01".."09" become "1".."9"
        }
        // Checked input always spells 1..43. Anything else (only reachable if
        // the checks were bypassed) becomes 0, which shades no cell.
        std::int32_t value = 0;
        const char* end = text.data() + text.size();
        if (std::from_chars(text.data(), end, value).ptr != end) {
            value = 0;
        }
        tables_.NumberValues[j][d] = value;
    }
    return true;
}

bool TableRun::makeCellLabels(int /*unused*/) {
    for (int n = 1; n <= kNumbers; ++n) {
        tables_.CellLabels[n] = {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
    }
    return true;
}

bool TableRun::buildCells(int d) {
    // A cell is its opening tag (plain, red or yellow), its label and its end.
    // The three openings are joined once per draw rather than once per cell.
    enum Shade : std::uint8_t { kPlain, kMain, kBonus };
    assignJoined(cellOpenings_[kPlain], tables_.CellOpen, kCellClose);
    assignJoined(cellOpenings_[kMain], tables_.CellOpen, tables_.MainShade, kCellClose);
    assignJoined(cellOpenings_[kBonus], tables_.CellOpen, tables_.BonusShade, kCellClose);

    // Main numbers are marked last so that they win, though checked input
    // never repeats the bonus among them.
    std::array<Shade, kNumbers + 1> shades{};
    const auto mark = [&](std::int32_t n, Shade shade) {
        if (n >= 1 && n <= kNumbers) {
            shades[static_cast<std::size_t>(n)] = shade;
        }
    };
    mark(tables_.NumberValues[kBonusField][d], kBonus);
    for (int j = 0; j < kBonusField; ++j) {
        mark(tables_.NumberValues[j][d], kMain);
    }
    for (int n = 1; n <= kNumbers; ++n) {
        // One pass over the cell's buffer from the last run. This loop is
        // most of a run's work, so the fixed-size pieces are copied inline.
        const std::string& opening = cellOpenings_[shades[n]];
        const std::string& label = tables_.CellLabels[n];
        std::string& cell = tables_.CellTexts[d][n];
        cell.resize(opening.size() + label.size() + kCellEnd.size());
        char* at = std::copy(opening.begin(), opening.end(), cell.data());
        for (const char c : label) {
            *at++ = c;
        }
        std::memcpy(at, kCellEnd.data(), kCellEnd.size());
    }
    return true;
}

bool TableRun::buildRow(int d) {
    // The 43 cells appended in order and then enclosed by the row's opening
    // and closing pieces, written in one pass: the size is summed first so
    // the row's buffer from the last run is sized once.
    const std::string& serial = tables_.SerialTexts[d];
    const auto& cells = tables_.CellTexts[d];
    std::size_t size = tables_.RowOpen.size() + kSerialOpen.size() + serial.size() +
                       kSerialClose.size() + kRowClose.size();
    for (int n = 1; n <= kNumbers; ++n) {
        size += cells[n].size();
    }
    std::string& row = tables_.RowTexts[d];
    row.resize(size);
    char* at = row.data();
    const auto put = [&at](std::string_view piece) {
        std::memcpy(at, piece.data(), piece.size());
        at += piece.size();
    };
    put(tables_.RowOpen);
    put(kSerialOpen);
    put(serial);
    put(kSerialClose);
    for (int n = 1; n <= kNumbers; ++n) {
        put(cells[n]);
    }
    put(kRowClose);
    return true;
}

}  // namespace numerlo
