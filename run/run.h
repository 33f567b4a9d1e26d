// A table run: the chain of 42 stages that turns ten draws typed into the
// input panes into the hit-table page in the output pane. Each stage runs in
// its own turn of the event loop, fired by its own trigger (Timer1..Timer42),
// and arms the next one; the window calls the entry points declared here.
//
// Names in PascalCase are the names of the window's controls and tables:
// Button3Click and TimerTimer handle the button Button3 and the triggers
// Timer1..Timer42, Memo1..Memo3 are its panes (tform1.h lists them all),
// and the members of RunTables are the tables the window keeps for a run.
// They keep those names so that one name stands for a control or a table
// wherever it is used.
//
// The stages, in the order the chain runs them, by file:
//   capture.cpp     1-2    copy ten lines of each input pane, cut the fields
//   validation.cpp  3-13   the input checks, each with its status message
//   building.cpp    14-41  number values, each draw's 43 cells, its row
//   page.cpp        42     the page around the rows, into the output pane
// run.cpp holds the table of stages and the hand-over from one to the next.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "run_window.h"

namespace numerlo {

inline constexpr int kDraws = 10;        // draws per run, d = 0..9
inline constexpr int kSerialDigits = 3;  // digits tested per serial, k = 0..2
inline constexpr int kFields = 7;        // six main numbers and the bonus, j = 0..6
inline constexpr int kBonusField = 6;
inline constexpr int kNumbers = 43;  // lottery numbers, n = 1..43
inline constexpr int kStageCount = 42;
inline constexpr int kButtonCount = 5;

template <typename T, int N>
using Table = std::array<T, static_cast<std::size_t>(N)>;

// The run's working store. It lives as long as the window, each run
// overwrites the entries it fills, and nothing ever clears it as a whole.
// Tables with a digit or field index are field-major: [k][d], [j][d].
struct RunTables {
    Table<std::string, kDraws> SerialTexts;                         // line d of Memo1
    Table<std::string, kDraws> ResultLines;                         // line d of Memo2
    Table<Table<std::string, kDraws>, kSerialDigits> SerialDigits;  // byte k+1 of a serial
    Table<Table<std::string, kDraws>, kFields> NumberTexts;         // bytes 3j+1..3j+2 of a result
    Table<Table<std::int32_t, kDraws>, kFields> NumberValues;       // NumberTexts as integers
    Table<std::string, kNumbers + 1> CellLabels;                    // [n] = "01".."43"; [0] unused
    Table<Table<std::string, kNumbers + 1>, kDraws> CellTexts;      // [d][n]; [d][0] unused
    Table<std::string, kDraws> RowTexts;                            // one <TR> per draw
    std::string CellOpen;
    std::string MainShade;
    std::string BonusShade;
    std::string RowOpen;
};

class TableRun {
  public:
    // `homePageUrl` goes between the quotes of the page's link line.
    TableRun(RunWindow& window, std::string homePageUrl);

    // The create command (button 作成): enters the busy state and arms Timer1.
    void Button3Click();

    // The handler of trigger Timer<stage>, stage = 1..42 (Timer1Timer ..
    // Timer42Timer). A trigger that fires while its stage is not the one
    // pending is ignored.
    void TimerTimer(int stage);

    // True from the create command until the run ends.
    [[nodiscard]] bool running() const { return pendingStage_ != 0; }

    [[nodiscard]] const RunTables& tables() const { return tables_; }

  private:
    using StageWork = bool (TableRun::*)(int);
    struct Stage {
        StageWork work;            // returns false when the stage's test fails
        int index;                 // the digit position, field or draw it handles
        std::string_view failure;  // status message on failure; empty if it cannot fail
    };
    static const Table<Stage, kStageCount> kStages;

    // Stage work, in the order the chain runs it.
    bool copyInputLines(int);  // capture.cpp
    bool cutFields(int);
    bool serialDigitIsDigit(int k);  // validation.cpp
    bool numbersDiffer(int);
    bool numberInRange(int j);
    bool convertNumber(int j);  // building.cpp
    bool makeCellLabels(int);
    bool buildCells(int d);
    bool buildRow(int d);
    bool assemblePage(int);  // page.cpp

    // The chain itself (run.cpp).
    void arm(int stage);
    void leaveBusyState();

    RunWindow& window_;
    std::string homePageUrl_;
    RunTables tables_;
    // Scratch kept between runs so that their buffers are reused: the three
    // cell openings (plain, red, yellow) and the assembled page.
    std::array<std::string, 3> cellOpenings_;
    std::string page_;
    int pendingStage_ = 0;
};

}  // namespace numerlo
