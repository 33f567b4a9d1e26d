// The pane text converter must give back every byte it was given, show
// real characters as themselves, and turn what CP932 lacks into "?".
#include <gtest/gtest.h>

#include <random>

#include "cp932_codec.h"

namespace numerlo::testing {
namespace {

std::string roundTrip(std::string_view bytes) {
    return encodeCp932(decodeCp932(bytes));
}

bool isBreakOrNul(unsigned char b) {
    return b == 0 || b == '\r' || b == '\n';
}

TEST(TextCp932Codec, EveryOneAndTwoByteSequenceComesBack) {
    for (unsigned a = 0; a < 0x100; ++a) {
        if (isBreakOrNul(static_cast<unsigned char>(a))) {
            continue;
        }
        const std::string one(1, static_cast<char>(a));
        ASSERT_EQ(roundTrip(one), one) << std::hex << a;
        for (unsigned b = 0; b < 0x100; ++b) {
            if (isBreakOrNul(static_cast<unsigned char>(b))) {
                continue;
            }
            const std::string two = {static_cast<char>(a), static_cast<char>(b)};
            ASSERT_EQ(roundTrip(two), two) << std::hex << a << ' ' << b;
        }
    }
}

TEST(TextCp932Codec, RandomBytesWithCrLfBreaksComeBack) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> length(0, 64);
    for (int round = 0; round < 20000; ++round) {
        std::string bytes;
        for (int n = length(random); n > 0; --n) {
            const auto b = static_cast<char>(byte(random));
            if (b == '\r' || b == '\n') {
                bytes += "\r\n";
            } else {
                bytes += b;
            }
        }
        ASSERT_EQ(roundTrip(bytes), bytes);
    }
}

TEST(TextCp932Codec, ShowsRealCharactersAsThemselves) {
    const std::pair<std::string_view, std::u16string_view> cases[] = {
        {"\x81\xaa", u"↑"},
        {"\x81\x60", u"～"},
        {"\x81\x40", u"\u3000"},
        {"10\x89\xf1\x95\xaa", u"10回分"},
        {"\xc0\xb2\xcf\xb0", u"ﾀｲﾏｰ"},
        {"\x95\x5c", u"表"},  // trail byte 0x5C is not a backslash here
        {"a\\~", u"a\\~"},
        {"001\r\n002\r\n", u"001\n002\n"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(decodeCp932(bytes), text);
        EXPECT_EQ(encodeCp932(text), bytes);
    }
}

TEST(TextCp932Codec, BrokenBytesBecomeStandInsOneByteEach) {
    const std::pair<std::string_view, std::u16string_view> cases[] = {
        {"\x81", u"\uF781"},            // lead byte at the end
        {"\x81 A", u"\uF781 A"},        // lead byte before a byte that cannot follow it
        {"\xff\xfd", u"\uF7FF\uF7FD"},  // bytes CP932 never uses
        {"\x87\x90", u"\uF787\uF790"},  // a duplicate of 0x81E0: kept as bytes, not changed
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(decodeCp932(bytes), text) << bytes;
        EXPECT_EQ(encodeCp932(text), bytes);
    }
}

TEST(TextCp932Codec, LoneBreaksAndUnencodableCharacters) {
    EXPECT_EQ(decodeCp932("a\rb\nc\n\rd"), u"a\nb\nc\n\nd");
    const std::pair<std::u16string_view, std::string_view> cases[] = {
        {u"é", "?"},
        {u"\U0001F600x", "?x"},  // one "?" for a surrogate pair
        {u"\xD800", "?"},        // a lone surrogate
        {u"a\u2029b", "a\r\nb"},
        {u"\t", "\t"},
        // What a Japanese input method types: the CP932 character meant.
        {u"001\u301C", "001\x81\x60"},
        {u"\u2212\u2016\u00A2\u00A3\u00AC\u2014",
         "\x81\x7c\x81\x61\x81\x91\x81\x92\x81\xca\x81\x5c"},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(encodeCp932(text), bytes);
    }
}

}  // namespace
}  // namespace numerlo::testing
