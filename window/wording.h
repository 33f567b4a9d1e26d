// The window's own texts: captions, initial pane lines and the notice.
#pragma once

#include <QString>

namespace numerlo::wording {

inline const QString kCaption = QStringLiteral("Numerlo");

// Each input pane opens with this many instruction lines.
inline constexpr int kInstructionLines = 10;

// The serial pane's first lines show the format, then ask for ten serials
// of three half-width digits.
inline const QString kSerialPaneLines[kInstructionLines] = {
    QStringLiteral("001"),    QStringLiteral("002"),    QStringLiteral("003"),
    QStringLiteral("↑"),      QStringLiteral("10回分"), QStringLiteral("の抽選"),
    QStringLiteral("回数を"), QStringLiteral("半角３"), QStringLiteral("桁で入"),
    QStringLiteral("力。"),
};

// The result pane's first lines show the format, then ask for ten draws of
// two-digit numbers: six main numbers, then the bonus, blanks between.
inline const QString kResultPaneLines[kInstructionLines] = {
    QStringLiteral("01 02 03 04 05 06 07"),
    QStringLiteral("37 38 39 40 41 42 43"),
    QStringLiteral("↑"),
    QStringLiteral("10回分の抽選結果を"),
    QStringLiteral("２桁の半角数字で10"),
    QStringLiteral("回分入力。左から６"),
    QStringLiteral("つは本数字、右の１"),
    QStringLiteral("つはボーナス数字を"),
    QStringLiteral("入力。数字の間は必"),
    QStringLiteral("ず半角スペースで。"),
};

inline const QString kLabel1 = QStringLiteral("回数");
inline const QString kLabel2 = QStringLiteral("本数字6+B数字1");
// What a screen reader calls the output pane, and says when a run has made
// the page (the status line shows nothing then).
inline const QString kOutputPaneName = QStringLiteral("出目表");
inline const QString kPageReady = QStringLiteral("出目表を作成しました。");
// What a screen reader says when a command went through: a pane loaded
// (named as the reader names it), the page saved (%1 is where), the panes
// cleared. The status line shows none of them.
inline const QString kSerialsLoaded = QStringLiteral("回数の欄にファイルを読み込みました。");
inline const QString kResultsLoaded =
    QStringLiteral("本数字6+B数字1の欄にファイルを読み込みました。");
inline const QString kPageSaved = QStringLiteral("出目表を %1 に保存しました。");
inline const QString kCleared = QStringLiteral("すべての欄をクリアしました。");
inline const QString kNotice = QStringLiteral("保存した出目表はブラウザで開いてご覧ください。");
inline const QString kButtons[] = {
    QStringLiteral("抽選回数"), QStringLiteral("本数字+B数字"), QStringLiteral("作成"),
    QStringLiteral("保存"),     QStringLiteral("クリア"),
};

// Error box messages of the file commands; the box adds the final ".".
// %1 is the file's full path.
inline const QString kCannotOpen = QStringLiteral("ﾌｧｲﾙ %1 は開けません");
inline const QString kTooLarge = QStringLiteral("文字列の大きさが ﾒﾓ の制限を越えました");
inline const QString kCannotCreate = QStringLiteral("ﾌｧｲﾙ %1 を作成できません");
inline const QString kWriteError = QStringLiteral("ｽﾄﾘｰﾑへの書き込みｴﾗｰ");

// The file dialogs' one filter each, and the open dialog's check box.
inline const QString kOpenFilter = QStringLiteral("text (*.txt)");
inline const QString kSaveFilter = QStringLiteral("html (*.html)");
inline const QString kReadOnlyBox = QStringLiteral("読み取り専用ファイルとして開く(&R)");

}  // namespace numerlo::wording
