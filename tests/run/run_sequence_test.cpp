// The order of window operations: the create command, the hand-over between
// stages, both exits, and what happens when a trigger cannot be armed.
#include <gtest/gtest.h>

#include "cp932_literals.h"
#include "fake_window.h"

namespace numerlo::testing {
namespace {

struct RunSequence : ::testing::Test {
    FakeWindow window;
    TableRun run{window, std::string(kTestHomeUrl)};
    RunSequence() { window.setInputs(kSerials, kResults); }
};

TEST_F(RunSequence, CreateCommandEntersTheBusyStateThenArmsTheFirstStage) {
    window.memo3 = "old page";
    run.Button3Click();
    const std::vector<std::string> expected = {
        "clear",     "status " + std::string(literals::kBusy),
        "disable 1", "disable 2",
        "disable 3", "disable 4",
        "disable 5", "start 1"};
    EXPECT_EQ(window.log, expected);
    EXPECT_EQ(window.memo3, "");
    EXPECT_TRUE(run.running());
}

TEST_F(RunSequence, EachStageStopsItselfThenArmsTheNextAndTheLastLeavesTheBusyState) {
    run.Button3Click();
    window.log.clear();
    window.pump(run);
    std::vector<std::string> expected;
    for (int k = 1; k < kStageCount; ++k) {
        expected.push_back("stop " + std::to_string(k));
        expected.push_back("start " + std::to_string(k + 1));
    }
    for (const char* op : {"add", "enable 1", "enable 2", "enable 3", "enable 4", "enable 5",
                           "status ", "stop 42"}) {
        expected.emplace_back(op);
    }
    EXPECT_EQ(window.log, expected);
}

TEST_F(RunSequence, FirstStageReadsTenLinesOfEachPaneAlternately) {
    window.logReads = true;
    run.Button3Click();
    run.TimerTimer(1);
    std::vector<std::string> reads;
    for (const auto& op : window.log) {
        if (op.starts_with("read")) {
            reads.push_back(op);
        }
    }
    std::vector<std::string> expected;
    for (int d = 0; d < kDraws; ++d) {
        expected.push_back("read 1 " + std::to_string(d));
        expected.push_back("read 2 " + std::to_string(d));
    }
    EXPECT_EQ(reads, expected);
}

TEST_F(RunSequence, TypingDuringTheRunChangesNothingButOutputTextStaysInFront) {
    struct Case {
        std::string typed;
        std::string expectedFront;
        std::string expectedEnd;
    };
    const std::string golden = [&] {
        FakeWindow w;
        TableRun r(w, std::string(kTestHomeUrl));
        w.setInputs(kSerials, kResults);
        r.Button3Click();
        w.pump(r);
        return w.memo3.substr(0, w.memo3.size() - 2);
    }();
    for (const Case& c : {Case{"note", "note\r\n", ""}, Case{"note\r\n", "note\r\n", "\r\n"},
                          Case{"", "", "\r\n"}}) {
        window.setInputs(kSerials, kResults);
        run.Button3Click();
        run.TimerTimer(1);
        window.setInputs("", "");  // the panes were already copied
        window.memo3 = c.typed;
        window.pump(run);
        EXPECT_EQ(window.memo3, c.expectedFront + golden + c.expectedEnd) << c.typed;
        EXPECT_EQ(window.status, "");
    }
}

TEST_F(RunSequence, StrayOrRepeatedTriggersAreIgnored) {
    run.TimerTimer(5);  // idle
    EXPECT_TRUE(window.log.empty());
    run.Button3Click();
    run.TimerTimer(1);
    window.log.clear();
    run.TimerTimer(1);   // already done
    run.TimerTimer(43);  // no such stage
    run.Button3Click();  // busy
    EXPECT_TRUE(window.log.empty());
    window.pump(run);
    EXPECT_EQ(window.status, "");
}

// A refused trigger must not leave the tool dead with every button disabled.
class RunRefusedTrigger : public ::testing::TestWithParam<int> {};

TEST_P(RunRefusedTrigger, EndsTheRunAtOnceAndSaysWhy) {
    const int stage = GetParam();
    FakeWindow window;
    TableRun run(window, std::string(kTestHomeUrl));
    window.setInputs(kSerials, kResults);
    window.refused = {stage};
    run.Button3Click();
    const std::vector<int> fired = window.pump(run);

    EXPECT_EQ(fired.size(), static_cast<std::size_t>(stage - 1));
    EXPECT_FALSE(run.running());
    EXPECT_TRUE(window.allButtonsEnabled());
    EXPECT_EQ(window.status, "");
    EXPECT_EQ(window.memo3, "");
    EXPECT_EQ(window.errorBoxes, std::vector<std::string>{std::string(literals::kTimerMessage)});
    const std::string start = "start " + std::to_string(stage);
    const std::vector<std::string> tail = {
        start,      "enable 1", "enable 2", "enable 3",
        "enable 4", "enable 5", "status ",  "error " + std::string(literals::kTimerMessage)};
    EXPECT_EQ(window.logFrom(start), tail);

    // The tool works again as soon as the trigger can be had.
    window.refused.clear();
    run.Button3Click();
    EXPECT_EQ(window.pump(run).size(), static_cast<std::size_t>(kStageCount));
    EXPECT_TRUE(window.memo3.ends_with("</HTML>\r\n"));
}

INSTANTIATE_TEST_SUITE_P(, RunRefusedTrigger, ::testing::Values(1, 2, 3, 14, 22, 41, 42),
                         [](const auto& info) { return "Stage" + std::to_string(info.param); });

}  // namespace
}  // namespace numerlo::testing
