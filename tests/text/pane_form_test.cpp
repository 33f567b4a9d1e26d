// The form text takes in a pane, checked where it is written: each row is
// what goes in and the exact text or bytes that must come out.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "pane_form.h"

namespace numerlo::testing {
namespace {

using namespace std::literals;

constexpr std::size_t kLimit = kPaneLimitBytes;

struct TextCase {
    std::u16string_view in;
    std::u16string_view out;
};

TEST(TextPaneForm, EnteredTextTakesWhatCp932ReadsBack) {
    const TextCase cases[] = {
        {u"", u""},
        {u"001\u301C", u"001\uFF5E"},
        {u"\u2212\u2016\u00A2\u00A3\u00AC\u2014", u"\uFF0D\u2225\uFFE0\uFFE1\uFFE2\u2015"},
        {u"A\U0001F600B\U00020BB7\uD55C\u00E9", u"A?B???"},
        {u"a\r\nb\rc\nd\u2028e\u2029f\u0085g", u"a\nb\nc\nd\ne\nf\ng"},
        {u"\n\r\r\n", u"\n\n\n"},
        {u"12\0"
         u"3"sv,
         u"12"},
        {u"\uF782", u"\uF782"},
        {u"\uF781@", u"\u3000"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(paneForm(in), std::u16string(out)) << ::testing::PrintToString(in);
    }
}

TEST(TextPaneForm, RefusesMoreCharactersThanTwiceTheLimit) {
    EXPECT_TRUE(paneForm(std::u16string(2 * kLimit, u'7')).has_value());
    EXPECT_FALSE(paneForm(std::u16string(2 * kLimit + 1, u'7')).has_value());
    EXPECT_EQ(paneForm(u"1\0"s + std::u16string(3 * kLimit, u'7')), u"1");
}

TEST(TextRereadStandIns, ANeighbouringByteCompletesAStandIn) {
    const TextCase cases[] = {
        {u"\uF781@", u"\u3000"},
        {u"\uF782\uF7A0", u"\u3042"},
        {u"\uF782`zz", u"\uFF21zz"},
        {u"\uF782\nx", u"\uF782\nx"},
        {u"\uF782", u"\uF782"},
        {u"x\uF781", u"x\uF781"},
        {u"\u301C\u2028", u"\u301C\u2028"},  // no stand-in: left exactly as it is
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(rereadStandIns(in), out) << ::testing::PrintToString(in);
    }
}

TEST(TextLineBreaks, AreTheFiveSeparatorsEnterMakes) {
    for (const char16_t c : u"\n\r\u2028\u2029\u0085"sv) {
        EXPECT_TRUE(isLineBreak(c)) << int{c};
    }
    for (const char16_t c : u"\0\t\v\f\x1E\x1F \u00A0\u200B\uFEFF"sv) {
        EXPECT_FALSE(isLineBreak(c)) << int{c};
    }
    EXPECT_FALSE(isStandIn(u'\uF6FF'));
    EXPECT_TRUE(isStandIn(u'\uF700'));
    EXPECT_TRUE(isStandIn(u'\uF7FF'));
    EXPECT_FALSE(isStandIn(u'\uF800'));
    EXPECT_TRUE(holdsStandIn(u"ab\uF7A0"));
    EXPECT_FALSE(holdsStandIn(u"ab\uF800"));
}

TEST(TextNormaliseLineBreaks, EveryBreakBecomesCrLfUpToTheFirstNul) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", ""},
        {"a\nb", "a\r\nb"},
        {"a\rb", "a\r\nb"},
        {"a\r\nb", "a\r\nb"},
        {"a\n\rb", "a\r\n\r\nb"},
        {"a\r\rb", "a\r\n\r\nb"},
        {"\r\r\n\n", "\r\n\r\n\r\n"},
        {"end\r", "end\r\n"},
        {"\x82\n\x81", "\x82\r\n\x81"},
        {"001\0rest\n"sv, "001"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(normaliseLineBreaks(in), out) << ::testing::PrintToString(in);
    }
}

TEST(TextFileTextForPane, FitsWhenItsCrLfFormIsWithinTheLimit) {
    const std::string atLimit(kLimit, '7');
    EXPECT_EQ(fileTextForPane(atLimit), atLimit);
    EXPECT_EQ(fileTextForPane(std::string(kLimit + 1, '7')), std::nullopt);

    std::string crLfs;
    for (std::size_t i = 0; i < kLimit / 2; ++i) {
        crLfs += "\r\n";
    }
    EXPECT_EQ(fileTextForPane(std::string(kLimit / 2, '\n')), crLfs);
    EXPECT_EQ(fileTextForPane(std::string(kLimit / 2, '\n') + "7"), std::nullopt);
    EXPECT_EQ(fileTextForPane("001\0"s + std::string(kLimit - 3, '7')), "001");
}

}  // namespace
}  // namespace numerlo::testing
