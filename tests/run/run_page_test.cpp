// Whole runs that succeed: the page, byte for byte, and what the tables hold.
#include <gtest/gtest.h>

#include "cp932_literals.h"
#include "fake_window.h"

namespace numerlo::testing {
namespace {

std::vector<int> allStages() {
    std::vector<int> stages;
    for (int k = 1; k <= kStageCount; ++k) {
        stages.push_back(k);
    }
    return stages;
}

struct RunPage : ::testing::Test {
    FakeWindow window;
    TableRun run{window, std::string(kTestHomeUrl)};

    std::vector<int> create() {
        run.Button3Click();
        return window.pump(run);
    }
};

TEST_F(RunPage, TenDrawsGiveTheGoldenPageAndOneLineBreak) {
    window.setInputs(kSerials, kResults);
    EXPECT_EQ(create(), allStages());
    const std::string golden = goldenPage();
    ASSERT_EQ(golden.size(), 22739U) << "golden page missing or changed";
    EXPECT_EQ(window.memo3, golden + "\r\n");
    EXPECT_EQ(splitLines(golden).size(), 1361U);
    EXPECT_EQ(window.status, "");
    EXPECT_TRUE(window.allButtonsEnabled());
    EXPECT_FALSE(run.running());
    EXPECT_TRUE(window.errorBoxes.empty());
}

TEST_F(RunPage, SerialsGoIntoThePageAsCaptured) {
    window.setInputs("123abc\r\n002\r\n003\r\n004\r\n005\r\n006\r\n007\r\n008\r\n009\r\n010<b>",
                     kResults);
    create();
    const std::string title = std::string(literals::kTitleOpen) + "123abc" +
                              std::string(literals::kWaveDash) + "010<b>" +
                              std::string(literals::kTitleClose);
    const auto lines = splitLines(window.memo3);
    EXPECT_EQ(lines[3], "<meta name=\"description\" content=\"" + title + "\">");
    EXPECT_EQ(lines[5], "<TITLE>" + title + "</TITLE>");
    EXPECT_EQ(lines[10], "<FONT color = \"#ff0000\" >" + title + "</FONT></H1>");
    EXPECT_EQ(lines[16 + 2], "<b>123abc</b>");
    EXPECT_EQ(lines[16 + 9 * 134 + 2], "<b>010<b></b>");
}

// Only the columns of the numbers are read: other separators or bytes after
// the bonus give the very same page.
TEST_F(RunPage, SeparatorsAndTrailingBytesAreNeverRead) {
    for (const char* firstDraw :
         {"01,02,03,04,05,06,07", "01x02y03z04-05+06/07", "01 02 03 04 05 06 07 and more bytes"}) {
        auto lines = splitLines(kResults);
        lines[0] = firstDraw;
        std::string results;
        for (const auto& line : lines) {
            results += line + "\r\n";
        }
        window.setInputs(kSerials, results);
        create();
        EXPECT_EQ(window.memo3, goldenPage() + "\r\n") << firstDraw;
    }
}

TEST_F(RunPage, NumbersLoseTheirLeadingZeroButTheNextRunCutsAfresh) {
    window.setInputs(kSerials, kResults);
    create();
    const RunTables& t = run.tables();
    EXPECT_EQ(t.NumberTexts[0][0], "1");
    EXPECT_EQ(t.NumberTexts[6][0], "7");
    EXPECT_EQ(t.NumberTexts[0][1], "43");
    EXPECT_EQ(t.NumberValues[5][1], 38);
    EXPECT_EQ(t.CellLabels[1], "01");
    EXPECT_EQ(t.CellLabels[43], "43");

    // A second run with other draws overwrites every entry it fills.
    std::string results;
    for (int d = 0; d < kDraws; ++d) {
        results += "11 12 13 14 15 16 17\r\n";
    }
    window.setInputs("901\r\n902\r\n903\r\n904\r\n905\r\n906\r\n907\r\n908\r\n909\r\n910", results);
    create();
    EXPECT_EQ(window.status, "");
    EXPECT_EQ(t.SerialTexts[0], "901");
    EXPECT_EQ(t.NumberTexts[0][0], "11");
    EXPECT_EQ(t.NumberValues[6][9], 17);
    EXPECT_EQ(window.memo3.find("<b>001</b>"), std::string::npos);
    EXPECT_NE(window.memo3.find("<b>910</b>"), std::string::npos);
    EXPECT_EQ(window.memo3.find("#ff0000\">\r\n01\r\n"), std::string::npos);
    EXPECT_EQ(splitLines(window.memo3).size(), 1361U + 1);
}

TEST_F(RunPage, OnlyTheFirstTenLinesOfEachPaneCount) {
    window.setInputs(std::string(kSerials) + "\r\n011\r\nxyz", std::string(kResults) + "\r\nbad");
    create();
    EXPECT_EQ(window.memo3, goldenPage() + "\r\n");
}

}  // namespace
}  // namespace numerlo::testing
