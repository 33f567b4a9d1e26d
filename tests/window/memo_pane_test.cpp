// The pane as a person types into it, offscreen: text entered every way it
// can come, the lines a run reads, stand-ins, undo, the limit and drags.
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>

#include <map>

#include "window_harness.h"

using namespace numerlo;

namespace {

constexpr const char* kNoFont =
    "Ume P Gothic is not installed (fonts-horai-umefont): wrap points unknown";

// The ways text reaches a pane, each through the real widget.
enum class Way { Keys, InputMethod, Paste, Drop, AssistiveInsert, AssistiveReplace };

// Keys: each character as a key press that carries it; U+2028 is Shift+Enter.
// Assistive tools: through the pane's accessible editable-text interface, at
// the cursor or over the selection.
void enter(QPlainTextEdit* pane, Way way, const QString& text) {
    switch (way) {
        case Way::Keys:
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (text[i] == QChar::LineSeparator) {
                    QTest::keyClick(pane, Qt::Key_Return, Qt::ShiftModifier);
                    continue;
                }
                const qsizetype length = text[i].isHighSurrogate() ? 2 : 1;
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                                text.mid(i, length));
                QApplication::sendEvent(pane, &press);
                i += length - 1;
            }
            return;
        case Way::InputMethod: {  // committed, as a Japanese input method sends it
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(pane, &commit);
            return;
        }
        case Way::Paste:
            QGuiApplication::clipboard()->setText(text);
            QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
            break;
        case Way::AssistiveInsert:
        case Way::AssistiveReplace: {
            QAccessibleEditableTextInterface* edit =
                QAccessible::queryAccessibleInterface(pane)->editableTextInterface();
            const QTextCursor at = pane->textCursor();
            if (way == Way::AssistiveInsert) {
                edit->insertText(at.position(), text);
            } else {
                edit->replaceText(at.selectionStart(), at.selectionEnd(), text);
            }
            break;
        }
        case Way::Drop: {
            QMimeData mime;
            mime.setText(text);
            const QPoint at = pane->cursorRect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(pane->viewport(), &enter);
            QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(pane->viewport(), &move);
            QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(pane->viewport(), &drop);
            break;
        }
    }
    QCoreApplication::processEvents();  // a refusal's box follows the event
}

// A cursor in `pane` from `anchor` to `position`.
QTextCursor span(QPlainTextEdit* pane, int anchor, int position) {
    QTextCursor cursor(pane->document());
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    return cursor;
}

// Every displayed line of a pane: each wrapped piece of a line is one.
QStringList displayedLines(QPlainTextEdit* pane) {
    QStringList lines;
    QTextDocument* doc = pane->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        doc->documentLayout()->blockBoundingRect(block);  // laid out now
        for (int i = 0; i < block.layout()->lineCount(); ++i) {
            const QTextLine piece = block.layout()->lineAt(i);
            lines.append(block.text().mid(piece.textStart(), piece.textLength()));
        }
    }
    return lines;
}

}  // namespace

Q_DECLARE_METATYPE(Way)

class MemoPaneTest : public QObject, testing::WindowTestBase {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(h.start()); }
    void cleanup() { h.stop(); }

    // Entry: what text becomes however it comes in
    void everyLineSeparatorIsEnter_data();
    void everyLineSeparatorIsEnter();
    void enteredTextShowsAsItsCp932Form_data();
    void enteredTextShowsAsItsCp932Form();
    void everyKeyEntersThePanesForm_data();
    void everyKeyEntersThePanesForm();

    // The lines a run reads: wrapping, length, compositions
    void initialLinesAreOneDisplayedLineEach();
    void wrappedLinesCountAsDisplayedLines();
    void linesWrapAsQtWrapsThem_data();
    void linesWrapAsQtWrapsThem();
    void aDisplayedLineGivesAtMost4096Bytes();
    void aCompositionLeavesTheLinesARunReads();

    // Stand-ins: bytes CP932 cannot read on their own
    void editsBesideAnUnreadByteShowWhatItNowReads_data();
    void editsBesideAnUnreadByteShowWhatItNowReads();
    void editsBesideAStandInNeverMeetAStaleLayout_data();
    void editsBesideAStandInNeverMeetAStaleLayout();

    // Undo and the limit
    void undoPutsTheCursorBackAtTheEdit_data();
    void undoPutsTheCursorBackAtTheEdit();
    void entriesPastTheLimitAreRefusedWhole_data();
    void entriesPastTheLimitAreRefusedWhole();
    void aRefusedKeyLeavesNoUndoStep();

    // Drags, under the minimal platform only (ctest WindowPaneDrags)
    void textDraggedAwaySettlesWhereItLeft_data();
    void textDraggedAwaySettlesWhereItLeft();
};

// Every line separator, however it arrives, is the line break Enter
// makes: in the displayed lines, in what the run reads and in the bytes.
void MemoPaneTest::everyLineSeparatorIsEnter_data() {
    QTest::addColumn<int>("pane");
    QTest::addColumn<Way>("way");
    QTest::addColumn<QString>("separator");
    QTest::newRow("Shift+Enter") << 1 << Way::Keys << QStringLiteral("\u2028");
    QTest::newRow("Shift+Enter, output pane") << 3 << Way::Keys << QStringLiteral("\u2028");
    QTest::newRow("input method U+2028") << 2 << Way::InputMethod << QStringLiteral("\u2028");
    QTest::newRow("paste U+0085") << 1 << Way::Paste << QStringLiteral("\u0085");
    QTest::newRow("paste CR LF") << 3 << Way::Paste << QStringLiteral("\r\n");
    QTest::newRow("drop U+2028") << 1 << Way::Drop << QStringLiteral("\u2028");
}
void MemoPaneTest::everyLineSeparatorIsEnter() {
    QFETCH(int, pane);
    QFETCH(Way, way);
    QFETCH(QString, separator);
    memo(pane)->clear();
    memo(pane)->setFocus();
    enter(memo(pane), way, QStringLiteral("001") + separator + QStringLiteral("002"));
    QCOMPARE(h.paneBytes(pane), std::string("001\r\n002"));
    QCOMPARE(memo(pane)->blockCount(), 2);
    if (pane != 3) {
        const auto input = pane == 1 ? InputPane::Memo1 : InputPane::Memo2;
        QCOMPARE(h.form->readPaneLine(input, 0), std::string("001"));
        QCOMPARE(h.form->readPaneLine(input, 1), std::string("002"));
    }
}

// Text takes its CP932 form as it enters: the pane shows what the run
// reads and a save writes.
void MemoPaneTest::enteredTextShowsAsItsCp932Form_data() {
    QTest::addColumn<Way>("way");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("input method wave dash")
        << Way::InputMethod << QStringLiteral("001\u301C") << QStringLiteral("001\uFF5E")
        << QByteArray("001\x81\x60");
    QTest::newRow("typed wave dash") << Way::Keys << QStringLiteral("\u301C")
                                     << QStringLiteral("\uFF5E") << QByteArray("\x81\x60");
    QTest::newRow("pasted JIS-style signs")
        << Way::Paste << QStringLiteral("\u2212\u2016\u00A2\u00A3\u00AC\u2014")
        << QStringLiteral("\uFF0D\u2225\uFFE0\uFFE1\uFFE2\u2015")
        << QByteArray("\x81\x7c\x81\x61\x81\x91\x81\x92\x81\xca\x81\x5c");
    QTest::newRow("typed emoji and kanji beyond CP932")
        << Way::Keys << QStringLiteral("A\U0001F600B\U00020BB7") << QStringLiteral("A?B?")
        << QByteArray("A?B?");
    QTest::newRow("input method kanji and what CP932 lacks")
        << Way::InputMethod << QStringLiteral("本数字\U0001F600é") << QStringLiteral("本数字??")
        << QByteArray("\x96\x7b\x90\x94\x8e\x9a??");
    QTest::newRow("assistive tool inserts")
        << Way::AssistiveInsert << QStringLiteral("00\U0001F600\u301C")
        << QStringLiteral("00?\uFF5E") << QByteArray("00?\x81\x60");
    QTest::newRow("assistive tool replaces")
        << Way::AssistiveReplace << QStringLiteral("00\U0001F600\u301C")
        << QStringLiteral("00?\uFF5E") << QByteArray("00?\x81\x60");
    QTest::newRow("dropped text ends at NUL")
        << Way::Drop << QStringLiteral("12").append(QChar(0)).append(u'3') << QStringLiteral("12")
        << QByteArray("12");
}
void MemoPaneTest::enteredTextShowsAsItsCp932Form() {
    QFETCH(Way, way);
    QFETCH(QString, entered);
    QFETCH(QString, shown);
    QFETCH(QByteArray, bytes);
    memo(2)->clear();
    memo(2)->setFocus();
    enter(memo(2), way, entered);
    QCOMPARE(memo(2)->document()->toRawText(), shown);
    QCOMPARE(h.paneBytes(2), bytes.toStdString());
    QCOMPARE(h.form->readPaneLine(InputPane::Memo2, 0), bytes.toStdString());
}

// Whatever Qt enters for a key takes the pane's form, whatever keys are
// held with it: Qt lets a formatting character through with Ctrl held.
// One undo takes the key back.
void MemoPaneTest::everyKeyEntersThePanesForm_data() {
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::newRow("Ctrl+Shift ZWNJ")
        << int{Qt::ControlModifier | Qt::ShiftModifier} << QStringLiteral("\u200C");
    QTest::newRow("Ctrl soft hyphen") << int{Qt::ControlModifier} << QStringLiteral("\u00AD");
    QTest::newRow("Ctrl right-to-left override")
        << int{Qt::ControlModifier} << QStringLiteral("\u202E");
}
void MemoPaneTest::everyKeyEntersThePanesForm() {
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    memo(1)->setPlainText(QStringLiteral("001ABC"));
    QTextCursor at(memo(1)->document());
    at.setPosition(3);
    memo(1)->setTextCursor(at);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::KeyboardModifiers(modifiers), text);
    QApplication::sendEvent(memo(1), &press);
    QCOMPARE(memo(1)->document()->toRawText(), QStringLiteral("001?ABC"));
    QCOMPARE(h.paneBytes(1), std::string("001?ABC"));
    QTest::keyClick(memo(1), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.paneBytes(1), std::string("001ABC"));
    QCOMPARE(memo(1)->textCursor().position(), 3);
}

void MemoPaneTest::initialLinesAreOneDisplayedLineEach() {
    if (!h.hasStandInFont()) {
        QSKIP(kNoFont);
    }
    const QStringList serials = {"001",    "002",    "003",    "↑",      "10回分",
                                 "の抽選", "回数を", "半角３", "桁で入", "力。"};
    const QStringList results = {
        "01 02 03 04 05 06 07", "37 38 39 40 41 42 43", "↑",
        "10回分の抽選結果を",   "２桁の半角数字で10",   "回分入力。左から６",
        "つは本数字、右の１",   "つはボーナス数字を",   "入力。数字の間は必",
        "ず半角スペースで。"};
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(toPaneText(h.form->readPaneLine(InputPane::Memo1, i)), serials[i]);
        QCOMPARE(toPaneText(h.form->readPaneLine(InputPane::Memo2, i)), results[i]);
    }
    // Each followed by a line break: an empty eleventh line, then nothing.
    for (const InputPane pane : {InputPane::Memo1, InputPane::Memo2}) {
        QCOMPARE(h.form->readPaneLine(pane, 10), std::string());
        QCOMPARE(h.form->readPaneLine(pane, 11), std::string());
        QCOMPARE(h.form->readPaneLine(pane, -1), std::string());
    }
    QVERIFY(memo(3)->toPlainText().isEmpty());
}

void MemoPaneTest::wrappedLinesCountAsDisplayedLines() {
    // Memo1 is 49 px wide: a long serial line wraps into pieces, and
    // every later line moves down by as many.
    memo(1)->setPlainText(QStringLiteral("0123456789012345678901234567890123456789\n002\n003"));
    std::string joined;
    int pieces = 0;
    while (true) {
        const std::string piece = h.form->readPaneLine(InputPane::Memo1, pieces);
        if (piece == "002") {
            break;
        }
        QVERIFY2(!piece.empty() && pieces < 40, "the long line never ended");
        joined += piece;
        ++pieces;
    }
    QVERIFY(pieces >= 4);
    QCOMPARE(joined, std::string("0123456789012345678901234567890123456789"));
    QCOMPARE(h.form->readPaneLine(InputPane::Memo1, pieces + 1), std::string("003"));
    QCOMPARE(h.form->readPaneLine(InputPane::Memo1, pieces + 2), std::string());
}

// Every line wraps at word boundaries exactly as Qt's own pane wraps it,
// whatever long stretches other lines hold and however the text came:
// the run reads those lines.
void MemoPaneTest::linesWrapAsQtWrapsThem_data() {
    QTest::addColumn<int>("pane");
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");  // a displayed line the run must read as `reads`
    QTest::addColumn<QString>("reads");
    const QString serials =
        QStringLiteral("001\n002\n003\n004\n005\n006\n007\n008\n009\n010 10/05\n");
    const QString draws = QStringLiteral("01 02 03 04 05 06 07\n").repeated(3);
    QTest::newRow("a divider under the serials")
        << 1 << "paste" << serials + QString(300, u'=') << 9 << QStringLiteral("010 ");
    QTest::newRow("loaded over the instruction lines")
        << 1 << "load" << QString(8000, u'7') + u'\n' + serials << -1 << QString();
    QTest::newRow("2048 digits, stand-ins and kanji among draws")
        << 2 << "paste"
        << draws + QString(2048, u'7') + QStringLiteral(" 01 02\n\uF782\uF7A0") +
               QString(300, QChar(0xF7FD)) + QStringLiteral(" 回数を半角３桁で入力。\n") + draws
        << -1 << QString();
    QTest::newRow("joined by deleting a blank")
        << 2 << "join"
        << QString(1500, u'7') + u' ' + QString(1500, u'7') +
               QStringLiteral("\n123456789012345 123456789012345 123456789012345")
        << -1 << QString();
}
void MemoPaneTest::linesWrapAsQtWrapsThem() {
    QFETCH(int, pane);
    QFETCH(QString, way);
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QString, reads);
    auto* target = h.child<MemoPane>(QStringLiteral("Memo%1").arg(pane));
    const auto input = pane == 1 ? InputPane::Memo1 : InputPane::Memo2;
    if (way == "load") {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("serials.txt"));
        QVERIFY(testing::writeFile(file, toBytes(text)));
        h.form->loadPane(input, file);
        QVERIFY(h.waitForIdle());
    } else if (way == "join") {
        target->setPlainText(text);
        QTextCursor afterBlank(target->document());
        afterBlank.setPosition(static_cast<int>(text.indexOf(u' ')) + 1);
        target->setTextCursor(afterBlank);
        QTest::keyClick(target, Qt::Key_Backspace);
    } else {
        target->clear();
        enter(target, Way::Paste, text);
    }
    // Qt's own pane with the same face, width and margin.
    QPlainTextEdit qts;
    qts.setFont(target->font());
    qts.document()->setDocumentMargin(target->document()->documentMargin());
    qts.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qts.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    qts.resize(target->size());
    qts.setPlainText(target->toPlainText());
    qts.show();
    QCOMPARE(target->viewport()->width(), qts.viewport()->width());
    const QStringList lines = displayedLines(target);
    QCOMPARE(lines, displayedLines(&qts));
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(h.form->readPaneLine(input, i), toBytes(lines[i]));
    }
    if (line >= 0) {
        QCOMPARE(h.form->readPaneLine(input, line), toBytes(reads));
    }
}

void MemoPaneTest::aDisplayedLineGivesAtMost4096Bytes() {
    memo(2)->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo(2)->setPlainText(QString(5000, QLatin1Char('7')) + QStringLiteral("\nnext"));
    QCOMPARE(h.form->readPaneLine(InputPane::Memo2, 0), std::string(4096, '7'));
    memo(2)->setPlainText(QString(3000, QChar(u'あ')));
    const std::string cut = h.form->readPaneLine(InputPane::Memo2, 0);
    QCOMPARE(cut.size(), std::size_t(4096));
    QCOMPARE(cut.substr(0, 2), std::string("\x82\xa0"));
}

// Text an input method is composing is not the pane's yet: 作成 pressed
// by an assistive tool, the focus left in the pane, reads the lines of
// the pane's own text.
void MemoPaneTest::aCompositionLeavesTheLinesARunReads() {
    fillTenDraws();
    memo(1)->setFocus();
    memo(1)->moveCursor(QTextCursor::Start);
    QInputMethodEvent compose(QString(30, u'\u3042'), {});
    QApplication::sendEvent(memo(1), &compose);
    const QSignalSpy pressed(button(3), &QPushButton::clicked);
    QAccessible::queryAccessibleInterface(button(3))->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(pressed.count(), 1);
    waitForRunEnd();
    QCOMPARE(status(), QString());
    QCOMPARE(memo3Bytes(), testing::WindowHarness::expectedPage() + "\r\n");
}

// A loaded byte that CP932 cannot read on its own shows as a stand-in;
// an edit that brings a byte next to it makes the character they now
// read as, and one undo takes both back. Keys 0 and 1 are the context
// menu's Delete and Cut.
void MemoPaneTest::editsBesideAnUnreadByteShowWhatItNowReads_data() {
    QTest::addColumn<QByteArray>("loaded");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("typed after a lead byte") << QByteArray("\x81") << 1 << 1 << int{Qt::Key_At}
                                             << QStringLiteral("\u3000") << QByteArray("\x81\x40");
    QTest::newRow("lines between deleted")
        << QByteArray("\x82\r\nx\r\n`zz") << 1 << 4 << int{Qt::Key_Backspace}
        << QStringLiteral("\uFF21zz") << QByteArray("\x82`zz");
    QTest::newRow("context menu Delete") << QByteArray("\x82\x31`zz") << 1 << 2 << 0
                                         << QStringLiteral("\uFF21zz") << QByteArray("\x82`zz");
    QTest::newRow("context menu Cut") << QByteArray("\x82\x31\xA0") << 1 << 2 << 1
                                      << QStringLiteral("\u3042") << QByteArray("\x82\xA0");
}
void MemoPaneTest::editsBesideAnUnreadByteShowWhatItNowReads() {
    QFETCH(QByteArray, loaded);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, key);
    QFETCH(QString, shown);
    QFETCH(QByteArray, bytes);
    auto* pane = h.child<MemoPane>(QStringLiteral("Memo2"));
    QVERIFY(pane->setBytes(loaded.toStdString()));
    QTextCursor selection = pane->textCursor();
    selection.setPosition(from);
    selection.setPosition(to, QTextCursor::KeepAnchor);
    pane->setTextCursor(selection);
    const QString shownBefore = pane->document()->toRawText();
    QTimer choose;  // in the menu, once it shows
    choose.setSingleShot(true);
    QObject::connect(&choose, &QTimer::timeout, [key] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        menu->findChild<QAction*>(key == 0 ? QStringLiteral("edit-delete")
                                           : QStringLiteral("edit-cut"))
            ->trigger();
        menu->close();
    });
    if (key <= 1) {
        choose.start(0);
        const QPoint at(5, 5);
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, pane->viewport()->mapToGlobal(at));
        QApplication::sendEvent(pane->viewport(), &menu);
    } else {
        QTest::keyClick(pane, static_cast<Qt::Key>(key));
    }
    QCOMPARE(pane->document()->toRawText(), shown);
    QCOMPARE(pane->bytes(), bytes.toStdString());
    QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pane->bytes(), loaded.toStdString());
    QCOMPARE(pane->document()->toRawText(), shownBefore);
    QTest::keyClick(pane, Qt::Key_Y, Qt::ControlModifier);  // redo, as Ctrl+Shift+Z
    QCOMPARE(pane->document()->toRawText(), shown);
    QCOMPARE(pane->bytes(), bytes.toStdString());
}

// Keys and input-method text beside a stand-in, with the caret brought
// there by keys, by an undo or by an assistive tool, take the edit and
// re-read the stand-ins; the pane never lays out or scrolls to a line
// whose text has changed under it. Keys: E End, H Home, D Down, U Up,
// Z undo, B Backspace, C the caret put at line 1 by an assistive tool,
// I a commit replacing the character after the selection's start.
void MemoPaneTest::editsBesideAStandInNeverMeetAStaleLayout_data() {
    QTest::addColumn<QByteArray>("loaded");
    QTest::addColumn<QString>("steps");
    const QByteArray sevens = QByteArray("001\r\n\x82\r\n") + QByteArray(300, '7');
    QTest::newRow("keys and an undo") << sevens << QStringLiteral("EHDD8EZUB");
    QTest::newRow("caret by an assistive tool") << sevens << QStringLiteral("EHDD8ECB");
    QTest::newRow("commit over a selection")
        << QByteArray(3000, '7') + QByteArray("\r\n\x82\x39\x39") << QStringLiteral("SI");
}
void MemoPaneTest::editsBesideAStandInNeverMeetAStaleLayout() {
    QFETCH(QByteArray, loaded);
    QFETCH(QString, steps);
    auto* pane = h.child<MemoPane>(QStringLiteral("Memo1"));
    QVERIFY(pane->setBytes(loaded.toStdString()));
    pane->setFocus();
    const std::map<QChar, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
        {u'E', {Qt::Key_End, Qt::ControlModifier}},
        {u'H', {Qt::Key_Home, Qt::ControlModifier}},
        {u'D', {Qt::Key_Down, {}}},
        {u'U', {Qt::Key_Up, {}}},
        {u'8', {Qt::Key_8, {}}},
        {u'Z', {Qt::Key_Z, Qt::ControlModifier}},
        {u'B', {Qt::Key_Backspace, {}}}};
    for (const QChar step : steps) {
        if (const auto key = keys.find(step); key != keys.end()) {
            QTest::keyClick(pane, key->second.first, key->second.second);
        } else if (step == u'C') {
            QAccessible::queryAccessibleInterface(pane)->textInterface()->setCursorPosition(
                static_cast<int>(pane->document()->findBlockByNumber(1).position()));
        } else if (step == u'S') {
            pane->setTextCursor(span(pane, 3000, 3001));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QStringLiteral("8"), 0, 1);
            QApplication::sendEvent(pane, &commit);
        }
        QCoreApplication::processEvents();
        QCOMPARE(pane->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'),
                 toPaneText(pane->bytes()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
}

// An undo puts the cursor back where the edit was, at the start of a
// line too, however the text came in.
void MemoPaneTest::undoPutsTheCursorBackAtTheEdit_data() {
    QTest::addColumn<Way>("way");
    QTest::newRow("keys") << Way::Keys;
    QTest::newRow("input method") << Way::InputMethod;
    QTest::newRow("paste") << Way::Paste;
    QTest::newRow("drop") << Way::Drop;
}
void MemoPaneTest::undoPutsTheCursorBackAtTheEdit() {
    QFETCH(Way, way);
    memo(1)->setPlainText(QStringLiteral("001\n002\n003"));
    for (const int at : {0, 4, 9}) {
        QTextCursor cursor(memo(1)->document());
        cursor.setPosition(at);
        memo(1)->setTextCursor(cursor);
        enter(memo(1), way, QStringLiteral("PQ"));
        QTest::keyClick(memo(1), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(memo(1), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(h.paneBytes(1), std::string("001\r\n002\r\n003"));
        QCOMPARE(memo(1)->textCursor().position(), at);
    }
}

// One limit for every way text enters a pane. A paste or drop past it is
// refused whole with a box; keys and input methods are refused quietly.
void MemoPaneTest::entriesPastTheLimitAreRefusedWhole_data() {
    QTest::addColumn<int>("pane");
    QTest::addColumn<Way>("way");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<bool>("taken");
    const QByteArray full = QByteArray("012345\r\n").repeated(kPaneLimitBytes / 8 - 1);
    QTest::newRow("paste up to the limit")
        << 1 << Way::Paste << full << QStringLiteral("01234567") << true;
    QTest::newRow("paste past it")
        << 1 << Way::Paste << full << QStringLiteral("012345678") << false;
    QTest::newRow("output pane paste past it")
        << 3 << Way::Paste << full << QStringLiteral("012345678") << false;
    QTest::newRow("drop past it") << 2 << Way::Drop << full << QStringLiteral("012345678") << false;
    QTest::newRow("input method past it")
        << 1 << Way::InputMethod << full << QStringLiteral("012345678") << false;
    QTest::newRow("key up to the limit")
        << 1 << Way::Keys << full + "0123456" << QStringLiteral("7") << true;
    QTest::newRow("key past it") << 2 << Way::Keys << full + "01234567" << QStringLiteral("8")
                                 << false;
    QTest::newRow("a 1 MiB line") << 2 << Way::Paste << QByteArray() << QString(1 << 20, u'7')
                                  << false;
    QTest::newRow("assistive tool past it")
        << 1 << Way::AssistiveInsert << full << QStringLiteral("012345678") << false;
    QTest::newRow("assistive tool's 100,000 characters")
        << 2 << Way::AssistiveReplace << QByteArray() << QString(100000, u'7') << false;
}
void MemoPaneTest::entriesPastTheLimitAreRefusedWhole() {
    QFETCH(int, pane);
    QFETCH(Way, way);
    QFETCH(QByteArray, before);
    QFETCH(QString, entered);
    QFETCH(bool, taken);
    auto* target = h.child<MemoPane>(QStringLiteral("Memo%1").arg(pane));
    target->setPlainText(toPaneText(before.toStdString()));
    target->setFocus();
    target->moveCursor(QTextCursor::End);
    enter(target, way, entered);
    QCOMPARE(target->bytes(),
             taken ? before.toStdString() + entered.toStdString() : before.toStdString());
    const bool box = !taken && way != Way::Keys && way != Way::InputMethod;
    QCOMPARE(h.boxes.size(), std::size_t(box ? 1 : 0));
    if (box) {
        QCOMPARE(h.boxes[0].text, QStringLiteral("文字列の大きさが ﾒﾓ の制限を越えました."));
    }
}

// A key refused at the limit leaves no undo step: one undo takes back
// the key before it, and the cursor stays at the edit.
void MemoPaneTest::aRefusedKeyLeavesNoUndoStep() {
    const std::string almost = std::string("012345\r\n").append(kPaneLimitBytes - 9, '7');
    auto* pane = h.child<MemoPane>(QStringLiteral("Memo1"));
    pane->setPlainText(toPaneText(almost));
    pane->setFocus();
    pane->moveCursor(QTextCursor::End);
    const int end = pane->textCursor().position();
    QTest::keyClick(pane, Qt::Key_8);  // the last byte that fits
    QTest::keyClick(pane, Qt::Key_9);
    QCOMPARE(pane->bytes(), almost + "8");
    QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pane->bytes(), almost);
    QCOMPARE(pane->textCursor().position(), end);
}

// Text dragged away between two stand-ins, to another place in its own
// pane or into another pane, leaves them side by side, where they now
// read as one character; one undo takes the move back. Offscreen, Qt
// ends every drag at once: run under the minimal platform (ctest
// pane_drags).
void MemoPaneTest::textDraggedAwaySettlesWhereItLeft_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("left");
    QTest::newRow("within the pane") << QStringLiteral("Memo2") << QString(20, u'z');
    QTest::newRow("into another pane") << QStringLiteral("Memo1") << QString();
}
void MemoPaneTest::textDraggedAwaySettlesWhereItLeft() {
    QFETCH(QString, target);
    QFETCH(QString, left);
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        QSKIP("offscreen drags end at once");
    }
    auto* pane = h.child<MemoPane>(QStringLiteral("Memo2"));
    auto* onto = h.child<MemoPane>(target);
    const std::string loaded = "\x82" + std::string(20, 'z') + "\xA0\r\nend";
    QVERIFY(pane->setBytes(loaded));
    QTextCursor zs(pane->document());
    zs.setPosition(1);
    zs.setPosition(21, QTextCursor::KeepAnchor);
    pane->setTextCursor(zs);
    QTextCursor among(pane->document());
    among.setPosition(10);
    const QPoint from = pane->cursorRect(among).center();
    QTextCursor end(onto->document());  // the end here, the start of the other pane
    end.movePosition(onto == pane ? QTextCursor::End : QTextCursor::Start);
    const QPoint to = pane->viewport()->mapFromGlobal(
        onto->viewport()->mapToGlobal(onto->cursorRect(end).center()));
    QTimer::singleShot(0, pane, [pane, to] {  // inside the drag's own event loop
        QTest::mouseMove(pane->viewport(), to);
        QTest::mouseRelease(pane->viewport(), Qt::LeftButton, {}, to);
    });
    QTest::mousePress(pane->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(pane->viewport(), from + QPoint(QApplication::startDragDistance() + 2, 0));
    QCOMPARE(pane->document()->toRawText(), QStringLiteral("\u3042\u2029end") + left);
    QCOMPARE(pane->bytes(), "\x82\xA0\r\nend" + left.toStdString());
    QVERIFY(onto->toPlainText().contains(QString(20, u'z')));
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pane->bytes(), loaded);
}

QTEST_MAIN(MemoPaneTest)
#include "memo_pane_test.moc"
