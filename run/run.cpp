// The stage chain: which work each trigger does, the hand-over from one stage
// to the next, and the ways a run ends.
#include "run.h"

#include <utility>

#include "cp932_literals.h"

namespace numerlo {

namespace {
constexpr std::string_view kCellOpen = R"(<TD Align="Left" VAlign="Middle")";
constexpr std::string_view kMainShade = R"( BGColor="#ff0000")";
constexpr std::string_view kBonusShade = R"( BGColor="#ffff00")";
constexpr std::string_view kRowOpen =
    "<TR>\r\n<TD Align=\"Left\" VAlign=\"Middle\" BGColor=\"#c0c0c0\">";
}  // namespace

// Trigger k runs row k-1. Stages 3 to 13 test the input; every other stage
// always passes.
const Table<TableRun::Stage, kStageCount> TableRun::kStages = {{
    {&TableRun::copyInputLines, 0, {}},                            // Timer1
    {&TableRun::cutFields, 0, {}},                                 // Timer2
    {&TableRun::serialDigitIsDigit, 0, literals::kSerialMessage},  // Timer3
    {&TableRun::serialDigitIsDigit, 1, literals::kSerialMessage},  // Timer4
    {&TableRun::serialDigitIsDigit, 2, literals::kSerialMessage},  // Timer5
    {&TableRun::numbersDiffer, 0, literals::kDistinctMessage},     // Timer6
    {&TableRun::numberInRange, 0, literals::kMainRangeMessage},    // Timer7
    {&TableRun::numberInRange, 1, literals::kMainRangeMessage},    // Timer8
    {&TableRun::numberInRange, 2, literals::kMainRangeMessage},    // Timer9
    {&TableRun::numberInRange, 3, literals::kMainRangeMessage},    // Timer10
    {&TableRun::numberInRange, 4, literals::kMainRangeMessage},    // Timer11
    {&TableRun::numberInRange, 5, literals::kMainRangeMessage},    // Timer12
    {&TableRun::numberInRange, 6, literals::kBonusRangeMessage},   // Timer13
    {&TableRun::convertNumber, 0, {}},                             // Timer14
    {&TableRun::convertNumber, 1, {}},                             // Timer15
    {&TableRun::convertNumber, 2, {}},                             // Timer16
    {&TableRun::convertNumber, 3, {}},                             // Timer17
    {&TableRun::convertNumber, 4, {}},                             // Timer18
    {&TableRun::convertNumber, 5, {}},                             // Timer19
    {&TableRun::convertNumber, 6, {}},                             // Timer20
    {&TableRun::makeCellLabels, 0, {}},                            // Timer21
    {&TableRun::buildCells, 0, {}},                                // Timer22
    {&TableRun::buildCells, 1, {}},                                // Timer23
    {&TableRun::buildCells, 2, {}},                                // Timer24
    {&TableRun::buildCells, 3, {}},                                // Timer25
    {&TableRun::buildCells, 4, {}},                                // Timer26
    {&TableRun::buildCells, 5, {}},                                // Timer27
    {&TableRun::buildCells, 6, {}},                                // Timer28
    {&TableRun::buildCells, 7, {}},                                // Timer29
    {&TableRun::buildCells, 8, {}},                                // Timer30
    {&TableRun::buildCells, 9, {}},                                // Timer31
    {&TableRun::buildRow, 0, {}},                                  // Timer32
    {&TableRun::buildRow, 1, {}},                                  // Timer33
    {&TableRun::buildRow, 2, {}},                                  // Timer34
    {&TableRun::buildRow, 3, {}},                                  // Timer35
    {&TableRun::buildRow, 4, {}},                                  // Timer36
    {&TableRun::buildRow, 5, {}},                                  // Timer37
    {&TableRun::buildRow, 6, {}},                                  // Timer38
    {&TableRun::buildRow, 7, {}},                                  // Timer39
    {&TableRun::buildRow, 8, {}},                                  // Timer40
    {&TableRun::buildRow, 9, {}},                                  // Timer41
    {&TableRun::assemblePage, 0, {}},                              // Timer42
}};

TableRun::TableRun(RunWindow& window, std::string homePageUrl)
    : window_(window), homePageUrl_(std::move(homePageUrl)) {}

void TableRun::Button3Click() {
    if (running()) {
        return;  // the disabled button already prevents this; never overlap runs
    }
    window_.clearOutputPane();
    tables_.CellOpen = kCellOpen;
    tables_.MainShade = kMainShade;
    tables_.BonusShade = kBonusShade;
    tables_.RowOpen = kRowOpen;
    window_.setStatusLine(std::string(literals::kBusy));
    for (int button = 1; button <= kButtonCount; ++button) {
        window_.setButtonEnabled(button, false);
    }
    arm(1);
}

void TableRun::TimerTimer(int stage) {
    if (stage < 1 || stage > kStageCount || stage != pendingStage_) {
        return;
    }
    const Stage& row = kStages[static_cast<std::size_t>(stage - 1)];
    const bool passed = (this->*row.work)(row.index);

    if (stage == kStageCount) {
        // The page is in Memo3 now: leave the busy state, clear the status
        // line, and stop our own trigger last.
        pendingStage_ = 0;
        leaveBusyState();
        window_.setStatusLine({});
        window_.stopTrigger(stage);
        return;
    }

    window_.stopTrigger(stage);
    if (passed) {
        arm(stage + 1);
        return;
    }
    pendingStage_ = 0;
    window_.setStatusLine(std::string(row.failure));
    leaveBusyState();
}

void TableRun::arm(int stage) {
    pendingStage_ = stage;
    if (window_.startTrigger(stage)) {
        return;
    }
    // Without its trigger the chain cannot go on. End the run at once so the
    // buttons work again, and say why.
    pendingStage_ = 0;
    leaveBusyState();
    window_.setStatusLine({});
    window_.showErrorBox(std::string(literals::kTimerMessage));
}

void TableRun::leaveBusyState() {
    for (int button = 1; button <= kButtonCount; ++button) {
        window_.setButtonEnabled(button, true);
    }
}

}  // namespace numerlo
