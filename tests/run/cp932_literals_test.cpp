// The run's Japanese texts are spelled as bytes; decode them with the C
// library's CP932 converter to prove each says what it should.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>

#include "cp932_literals.h"

namespace numerlo::testing {
namespace {

std::string cp932ToUtf8(std::string_view bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    EXPECT_NE(reinterpret_cast<std::intptr_t>(cd), -1);
    std::string in(bytes);
    std::string out(bytes.size() * 3, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(rc, static_cast<std::size_t>(-1)) << "invalid CP932";
    out.resize(out.size() - outLeft);
    return out;
}

TEST(RunJapaneseBytes, DecodeToTheirJapanese) {
    const std::pair<std::string_view, const char*> cases[] = {
        {literals::kBusy, "作成中..."},
        {literals::kSerialMessage, "抽選回数の入力に誤りがあります。"},
        {literals::kDistinctMessage, "本数字、Ｂ数字は７種類の異なった数字を入力して下さい。"},
        {literals::kMainRangeMessage,
         "本数字には01～43の半角数字を２桁で入力して下さい。例：1→×、01→○"},
        {literals::kBonusRangeMessage,
         "Ｂ数字には01～43の半角数字を２桁で入力して下さい。例：1→×、01→○"},
        {literals::kTimerMessage, "ﾀｲﾏｰを取得できません"},
        {literals::kTitleOpen, "ロト6(ロトシックス)過去抽選結果の出目表("},
        {literals::kWaveDash, "～"},
        {literals::kTitleClose, "回)"},
        {literals::kKeywords, "ロト6,ロトシックス,過去抽選結果,出目表"},
        {literals::kCaption, "灰色＝抽選回数　　赤色＝本数字　　黄色＝ボーナス数字"},
        {literals::kTopPageLink, "トップページへ"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(cp932ToUtf8(bytes), text);
    }
    // The bytes that matter most, spelled out.
    EXPECT_EQ(literals::kWaveDash, "\x81\x60");
    EXPECT_NE(literals::kCaption.find("\x81\x40\x81\x40"), std::string_view::npos);
    EXPECT_EQ(literals::kCaption.substr(4, 2), "\x81\x81");
}

}  // namespace
}  // namespace numerlo::testing
