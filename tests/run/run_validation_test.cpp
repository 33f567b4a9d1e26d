// Runs that stop in the input checks: the stage that fails, its message, and
// that nothing after it runs.
#include <gtest/gtest.h>

#include "cp932_literals.h"
#include "fake_window.h"

namespace numerlo::testing {
namespace {

// Ten copies of the good example with draw 3 (the fourth line) replaced.
std::string withDraw3(std::string_view text, std::string_view line) {
    auto lines = splitLines(text);
    lines[3] = line;
    std::string out;
    for (const auto& l : lines) {
        out += l + "\r\n";
    }
    return out;
}

struct FailCase {
    const char* name;
    std::string serials;
    std::string results;
    int stage;
    std::string_view message;
};
void PrintTo(const FailCase& c, std::ostream* out) {
    *out << c.name;
}

// The first lines of the serial pane as the window first shows it:
// 001, 002, 003, ↑, 10回分.
const std::string kInitialSerials =
    "001\r\n002\r\n003\r\n\x81\xaa\r\n"
    "10\x89\xf1\x95\xaa\r\n";

std::vector<FailCase> failCases() {
    const std::string s(kSerials);
    const std::string r(kResults);
    std::string noResults;
    std::string fullWidthBlanks =
        "01\x81\x40"
        "02\x81\x40"
        "03\x81\x40"
        "04\x81\x40"
        "05\x81\x40"
        "06\x81\x40"
        "07";
    return {
        {"SerialOfTwoDigits", withDraw3(s, "12"), r, 5, literals::kSerialMessage},
        {"LetterInSerial", withDraw3(s, "1a3"), r, 4, literals::kSerialMessage},
        {"LetterFirst", withDraw3(s, "a23"), r, 3, literals::kSerialMessage},
        {"EmptySerialLine", withDraw3(s, ""), r, 3, literals::kSerialMessage},
        {"BlankBeforeSerial", withDraw3(s, " 01"), r, 3, literals::kSerialMessage},
        {"FullWidthDigits", withDraw3(s, "\x82\x4f\x82\x50\x82\x51"), r, 3,
         literals::kSerialMessage},
        {"NineSerialLines", "001\r\n002\r\n003\r\n004\r\n005\r\n006\r\n007\r\n008\r\n009", r, 3,
         literals::kSerialMessage},
        {"InstructionTexts", kInitialSerials, r, 3, literals::kSerialMessage},
        {"RepeatedMain", s, withDraw3(r, "01 01 03 04 05 06 07"), 6, literals::kDistinctMessage},
        {"BonusRepeatsMain", s, withDraw3(r, "01 02 03 04 05 06 01"), 6,
         literals::kDistinctMessage},
        {"SingleDigitsWithBlanks", s, withDraw3(r, "1 2 3 4 5 6 7"), 6, literals::kDistinctMessage},
        {"EmptyResultLine", s, withDraw3(r, ""), 6, literals::kDistinctMessage},
        {"NoResultsAtAll", s, noResults, 6, literals::kDistinctMessage},
        {"NineResultLines", s, r.substr(0, r.rfind("\r\n")), 6, literals::kDistinctMessage},
        // Two-byte blanks shift the fields so that "@0" and a split 0x81 0x40 each
        // turn up twice.
        {"FullWidthBlanks", s, withDraw3(r, fullWidthBlanks), 6, literals::kDistinctMessage},
        {"SingleDigitShiftsFields", s, withDraw3(r, "1 02 03 04 05 06 07"), 7,
         literals::kMainRangeMessage},
        {"Zero", s, withDraw3(r, "00 02 03 04 05 06 07"), 7, literals::kMainRangeMessage},
        {"ThirdMainTooHigh", s, withDraw3(r, "01 02 44 04 05 06 07"), 9,
         literals::kMainRangeMessage},
        {"SixthMainTooHigh", s, withDraw3(r, "01 02 03 04 05 99 07"), 12,
         literals::kMainRangeMessage},
        {"BonusTooHigh", s, withDraw3(r, "01 02 03 04 05 06 44"), 13, literals::kBonusRangeMessage},
        {"BonusMissing", s, withDraw3(r, "01 02 03 04 05 06"), 13, literals::kBonusRangeMessage},
        {"BonusOneDigit", s, withDraw3(r, "01 02 03 04 05 06 7"), 13, literals::kBonusRangeMessage},
    };
}

class RunFailingStage : public ::testing::TestWithParam<FailCase> {};

TEST_P(RunFailingStage, StopsWithItsMessageAndRunsNothingAfter) {
    const FailCase& c = GetParam();
    FakeWindow window;
    window.memo3 = "left from before";
    TableRun run(window, std::string(kTestHomeUrl));
    window.setInputs(c.serials, c.results);
    run.Button3Click();
    const std::vector<int> fired = window.pump(run);

    ASSERT_FALSE(fired.empty());
    EXPECT_EQ(fired.back(), c.stage);
    EXPECT_EQ(fired.size(), static_cast<std::size_t>(c.stage));
    EXPECT_EQ(window.status, c.message);
    EXPECT_EQ(window.memo3, "");
    EXPECT_TRUE(window.armed.empty());
    EXPECT_TRUE(window.allButtonsEnabled());
    EXPECT_FALSE(run.running());
    EXPECT_TRUE(window.errorBoxes.empty());
    // Failure exit: own trigger stopped, then the message, then the buttons.
    const std::string stop = "stop " + std::to_string(c.stage);
    const std::vector<std::string> tail = {stop,       "status " + std::string(c.message),
                                           "enable 1", "enable 2",
                                           "enable 3", "enable 4",
                                           "enable 5"};
    EXPECT_EQ(window.logFrom(stop), tail);
}

INSTANTIATE_TEST_SUITE_P(, RunFailingStage, ::testing::ValuesIn(failCases()),
                         [](const auto& info) { return std::string(info.param.name); });

struct PassCase {
    const char* name;
    std::string serials;
    std::string results;
};
void PrintTo(const PassCase& c, std::ostream* out) {
    *out << c.name;
}

class RunPassingInput : public ::testing::TestWithParam<PassCase> {};

TEST_P(RunPassingInput, RunsAllStagesToThePage) {
    const PassCase& c = GetParam();
    FakeWindow window;
    TableRun run(window, std::string(kTestHomeUrl));
    window.setInputs(c.serials, c.results);
    run.Button3Click();
    EXPECT_EQ(window.pump(run).size(), static_cast<std::size_t>(kStageCount));
    EXPECT_EQ(window.status, "");
    EXPECT_TRUE(window.memo3.starts_with("<HTML>\r\n"));
    EXPECT_TRUE(window.memo3.ends_with("</HTML>\r\n"));
}

std::vector<PassCase> passCases() {
    const std::string s(kSerials);
    const std::string r(kResults);
    std::string sameDraws;
    for (int d = 0; d < kDraws; ++d) {
        sameDraws += "43 42 41 40 39 38 01\r\n";
    }
    return {
        {"FourDigitSerial", withDraw3(s, "0012"), r},
        {"HighestSerial", withDraw3(s, "999"), r},
        {"RepeatedSerialsAnyOrder",
         "010\r\n010\r\n001\r\n005\r\n005\r\n000\r\n999\r\n3\x30\x30\r\n"
         "123\r\n001",
         r},
        {"TenIdenticalDraws", s, sameDraws},
    };
}

INSTANTIATE_TEST_SUITE_P(, RunPassingInput, ::testing::ValuesIn(passCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace numerlo::testing
