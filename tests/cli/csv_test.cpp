// The published draw history read as numerlo-page reads it: both sets of
// header names, both encodings, a byte-order mark, CR LF, and where each
// fault is reported.
#include <gtest/gtest.h>

#include <string>

#include "cp932_codec.h"
#include "csv_draws.h"

using namespace numerlo;

namespace {

std::string cp932(const std::u16string& text) {
    return encodeCp932(text);
}

struct Readable {
    const char* name;
    std::string bytes;
};

class CliCsvReads : public ::testing::TestWithParam<Readable> {};

TEST_P(CliCsvReads, DrawNumbersAndNumbersInEveryForm) {
    const CsvDraws read = readDrawCsv(GetParam().bytes);
    ASSERT_TRUE(read.read) << read.problem.what;
    ASSERT_EQ(read.draws.size(), 3U);
    // In draw order, whatever order the file has.
    EXPECT_EQ(serialText(read.draws[0].number), "001");
    EXPECT_EQ(resultLine(read.draws[0]), "02 08 10 13 27 30 39");
    EXPECT_EQ(resultLine(read.draws[1]), "01 09 16 20 21 43 05");
    EXPECT_EQ(serialText(read.draws[2].number), "1900");
}

INSTANTIATE_TEST_SUITE_P(
    , CliCsvReads,
    ::testing::Values(
        Readable{"PublishedCp932Lf",
                 cp932(u"開催回,日付,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,BONUS数字,"
                       u"1等口数\n"
                       u"1900,2024/6/3,1,2,3,4,5,6,7,該当なし\n"
                       u"1,2000/10/5,2,8,10,13,27,30,39,0\n"
                       u"2,2000/10/12,1,9,16,20,21,43,5,1\n")},
        Readable{"OtherNamesUtf8BomCrLf",
                 "\xEF\xBB\xBF"
                 "ボーナス数字,本数字1,本数字2,本数字3,本数字4,本数字5,本数字6,抽せん回\r\n"
                 "39,02,08,10,13,27,30,0001\r\n"
                 "5,1,9,16,20,21,43,2\r\n"
                 "\r\n"
                 "7,1,2,3,4,5,6,1900\r\n"},
        Readable{
            "PublishedUtf8Quoted",
            "\"開催回\",\"日付\",\"第1数字\",\"第2数字\",\"第3数字\",\"第4数字\",\"第5数字\","
            "\"第6数字\",\"BONUS数字\",\"備考\"\n"
            "\"1\",\"2000/10/5\",\"2\",\"8\",\"10\",\"13\",\"27\",\"30\",\"39\",\"a, \"\"b\"\"\"\n"
            "2,2000/10/12,1,9,16,20,21,43,5,\n"
            "1900,x,1,2,3,4,5,6,7,\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct Faulty {
    const char* name;
    std::string bytes;
    std::size_t line;
    std::size_t column;
};

class CliCsvFaults : public ::testing::TestWithParam<Faulty> {};

TEST_P(CliCsvFaults, AreReportedAtTheirLineAndColumn) {
    const CsvDraws read = readDrawCsv(GetParam().bytes);
    EXPECT_FALSE(read.read);
    EXPECT_EQ(read.problem.line, GetParam().line) << read.problem.what;
    EXPECT_EQ(read.problem.column, GetParam().column) << read.problem.what;
}

const std::string kHeader =
    "開催回,日付,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,BONUS数字\n";
const std::string kDraw1 = "1,2000/10/5,2,8,10,13,27,30,39\n";

INSTANTIATE_TEST_SUITE_P(
    , CliCsvFaults,
    ::testing::Values(
        Faulty{"EmptyFile", "", 1, 0},
        Faulty{"UnknownHeader", "回,日付,1,2,3,4,5,6,B\n1,x,1,2,3,4,5,6,7\n", 1, 0},
        Faulty{"HeaderLacksTheBonus", "開催回,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字\n", 1,
               0},
        Faulty{"ColumnTwice",
               "開催回,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,BONUS数字,本数字1\n"
               "1,2,8,10,13,27,30,39,2\n",
               1, 9},
        Faulty{"NoDrawNumber", kHeader + kDraw1 + ",2000/10/12,1,9,16,20,21,43,5\n", 3, 1},
        Faulty{"DrawZero", kHeader + "0,2000/10/12,1,9,16,20,21,43,5\n", 2, 1},
        Faulty{"DrawPastFourDigits", kHeader + "10000,x,1,9,16,20,21,43,5\n", 2, 1},
        Faulty{"NumberPast43", kHeader + kDraw1 + "2,2000/10/12,44,9,16,20,21,43,5\n", 3, 3},
        Faulty{"NumberZero", kHeader + "2,x,1,9,16,20,21,43,0\n", 2, 9},
        Faulty{"NumberNotDigits", kHeader + "2,x,1,9,16,２０,21,43,5\n", 2, 6},
        Faulty{"SixNumbers", kHeader + kDraw1 + "2,2000/10/12,1,9,16,20,21,43\n", 3, 9},
        Faulty{"SameDrawTwice", kHeader + kDraw1 + "2,x,1,2,3,4,5,6,7\n" + kDraw1, 4, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
