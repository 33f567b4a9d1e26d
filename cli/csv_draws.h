// The draw history as it is published: a CSV file with one header line and
// one line per draw. Only the draw number and the seven numbers are read,
// from the columns whose header names say so; every other column is left
// alone. Plain C++, no Qt.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace numerlo {

inline constexpr int kLastDraw = 9999;  // draw numbers are 1..9999: four digits in a page's name

struct Draw {
    int number = 0;
    std::array<int, 7> numbers{};  // six main numbers, then the bonus
};

// What is wrong with a CSV file, and where: its line and column from 1
// (column 0: the line as a whole). `what` is UTF-8.
struct CsvProblem {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string what;
};

struct CsvDraws {
    std::vector<Draw> draws;  // by draw number
    bool read = false;        // false: `problem` says why not
    CsvProblem problem;
};

// The header names the columns by either of two sets of names:
//   開催回 or 抽せん回, 第1数字..第6数字 or 本数字1..本数字6, BONUS数字 or
//   ボーナス数字.
// The file is CP932 or UTF-8, with a byte-order mark or without, with LF or
// CR LF line ends; a field may be quoted. Lines with nothing on them are
// passed over. A draw number is 1..9999 and each number 1..43, in digits;
// a draw comes once.
[[nodiscard]] CsvDraws readDrawCsv(std::string_view bytes);

// A draw's line in the serial pane: its number with at least three digits.
[[nodiscard]] std::string serialText(int number);

// A draw's line in the result pane: its seven numbers as two digits each,
// one blank between ("02 08 10 13 27 30 39").
[[nodiscard]] std::string resultLine(const Draw& draw);

}  // namespace numerlo
