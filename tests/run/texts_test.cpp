// The run's Japanese texts are spelled as bytes; decode them with the C
// library's CP932 converter to prove each says what it should.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>

#include "texts.h"

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
        {texts::kBusy, "作成中..."},
        {texts::kSerialMessage, "抽選回数の入力に誤りがあります。"},
        {texts::kDistinctMessage, "本数字、Ｂ数字は７種類の異なった数字を入力して下さい。"},
        {texts::kMainRangeMessage,
         "本数字には01～43の半角数字を２桁で入力して下さい。例：1→×、01→○"},
        {texts::kBonusRangeMessage,
         "Ｂ数字には01～43の半角数字を２桁で入力して下さい。例：1→×、01→○"},
        {texts::kTimerMessage, "ﾀｲﾏｰを取得できません"},
        {texts::kTitleOpen, "ロト6(ロトシックス)過去抽選結果の出目表("},
        {texts::kWaveDash, "～"},
        {texts::kTitleClose, "回)"},
        {texts::kKeywords, "ロト6,ロトシックス,過去抽選結果,出目表"},
        {texts::kCaption, "灰色＝抽選回数　　赤色＝本数字　　黄色＝ボーナス数字"},
        {texts::kTopPageLink, "トップページへ"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(cp932ToUtf8(bytes), text);
    }
    // The bytes that matter most, spelled out.
    EXPECT_EQ(texts::kWaveDash, "\x81\x60");
    EXPECT_NE(texts::kCaption.find("\x81\x40\x81\x40"), std::string_view::npos);
    EXPECT_EQ(texts::kCaption.substr(4, 2), "\x81\x81");
}

}  // namespace
}  // namespace numerlo::testing
