// Stages 14 to 41: turn the checked number fields into values, then into the
// 43 cells of each draw and the table row that holds them.
#include <charconv>

#include "byte_text.h"
#include "run.h"

namespace numerlo {

namespace {
constexpr std::string_view kCrLf = "\r\n";
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
        assignJoined(tables_.CellTexts[d][n], cellOpenings_[shades[n]], tables_.CellLabels[n],
                     kCellEnd);
    }
    return true;
}

bool TableRun::buildRow(int d) {
    std::string& row = tables_.RowTexts[d];
    row.clear();
    row += tables_.RowOpen;
    row += kCrLf;
    row += "<b>";
    row += tables_.SerialTexts[d];
    row += "</b>\r\n</TD>\r\n";
    for (int n = 1; n <= kNumbers; ++n) {
        row += tables_.CellTexts[d][n];
    }
    row += "</TR>";
    row += kCrLf;
    return true;
}

}  // namespace numerlo
