// The main window as a person meets it, offscreen: layout, panes, the run on
// real 1 ms triggers, the clear command and the error box.
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessible>
#include <QClipboard>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <map>

#include "cp932_literals.h"
#include "memo_pane.h"
#include "window_harness.h"

using namespace numerlo;

namespace {

constexpr const char* kNoFont =
    "Ume P Gothic is not installed (fonts-horai-umefont): wrap points unknown";

void typeText(QWidget* widget, const QString& text) {
    // keyClicks only takes Latin-1; anything else arrives as committed
    // input-method text, as a Japanese input method would send it.
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

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
        case Way::InputMethod:
            typeText(pane, text);
            return;
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

// What a screen reader hears while this lives: the name of every
// notification shown, as Orca speaks it.
class SpokenNotices {
  public:
    SpokenNotices() {
        said().clear();
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            if (event->type() == QAccessible::ObjectShow &&
                event->accessibleInterface()->role() == QAccessible::Notification) {
                said().append(event->accessibleInterface()->text(QAccessible::Name));
            }
        });
    }
    SpokenNotices(const SpokenNotices&) = delete;
    SpokenNotices& operator=(const SpokenNotices&) = delete;
    ~SpokenNotices() {
        QAccessible::installUpdateHandler(nullptr);
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
    }
    static QStringList& said() {
        static QStringList notices;
        return notices;
    }
};

// Relative luminance and contrast ratio by the WCAG 2 formulas.
double luminance(const QColor& colour) {
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}
double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette windowPalette(const QColor& window, const QColor& text) {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    return palette;
}

}  // namespace

Q_DECLARE_METATYPE(Way)

class WindowTest : public QObject {
    Q_OBJECT

    testing::WindowHarness h;

    QPlainTextEdit* memo(int n) { return h.memo(n); }
    QPushButton* button(int n) { return h.button(n); }
    QString status() { return h.status(); }
    std::string memo3Bytes() { return h.paneBytes(3); }
    void waitForRunEnd() { QVERIFY(h.waitForRunEnd()); }
    void fillTenDraws() { h.fillTenDraws(); }
    template <typename T>
    T* child(const char* name) {
        return h.child<T>(QString::fromLatin1(name));
    }

  private slots:
    void init() { QVERIFY(h.start()); }
    void cleanup() { h.stop(); }

    // Every control stands whole inside the window, apart from the others,
    // with its text unclipped; resizing the window moves none of them. With
    // the face the window was drawn for, nothing is scaled.
    void controlsStandWholeApartAndStill() {
        QList<QWidget*> controls;
        for (QWidget* control : h.form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control->isVisible()) {
                controls.append(control);
            }
        }
        QCOMPARE(controls.size(), 12);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const QRect at = controls[i]->geometry();
            QVERIFY2(h.form->rect().contains(at), qPrintable(controls[i]->objectName()));
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                QVERIFY2(!at.intersects(controls[j]->geometry()),
                         qPrintable(controls[i]->objectName() + u' ' + controls[j]->objectName()));
            }
            if (qobject_cast<QLabel*>(controls[i]) || qobject_cast<QPushButton*>(controls[i])) {
                QVERIFY2(controls[i]->sizeHint().width() <= at.width(),
                         qPrintable(controls[i]->objectName()));
            }
        }
        QVERIFY(child<QLabel>("Label1")->geometry().left() >= memo(1)->geometry().left());
        QVERIFY(child<QLabel>("Label2")->geometry().right() <= memo(2)->geometry().right());
        if (h.hasStandInFont()) {
            QCOMPARE(h.form->layoutScale(), 1.0);
            QCOMPARE(memo(3)->geometry(), QRect(216, 8, 345, 257));
        }
        QList<QRect> before;
        for (QWidget* control : controls) {
            before.append(control->geometry());
        }
        h.form->resize(900, 600);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            QCOMPARE(controls[i]->geometry(), before[i]);
        }
        QCOMPARE(h.form->windowTitle(), QStringLiteral("Numerlo"));
        QTRY_VERIFY(!h.form->windowIcon().isNull());  // given once the window is up

        const QStringList captions = {"抽選回数", "本数字+B数字", "作成", "保存", "クリア"};
        for (int b = 1; b <= 5; ++b) {
            QCOMPARE(button(b)->text(), captions[b - 1]);
        }
        QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("回数"));
        QCOMPARE(child<QLabel>("Label2")->text(), QStringLiteral("本数字6+B数字1"));
        QCOMPARE(status(), QString());
        QCOMPARE(child<QLabel>("Label3")->font().pixelSize(), 16);
        QVERIFY(child<QLabel>("Label3")->font().bold());
        QCOMPARE(child<QLabel>("Label3")->palette().color(QPalette::WindowText), QColor(Qt::red));

        // Tab order 0..7.
        QWidget* expected[] = {memo(1),   memo(2),   button(1), button(2),
                               button(3), button(4), button(5), memo(3)};
        h.form->activateWindow();
        memo(1)->setFocus();
        for (std::size_t i = 0; i + 1 < std::size(expected); ++i) {
            QCOMPARE(QApplication::focusWidget(), expected[i]);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), expected[std::size(expected) - 1]);
        for (int t = 1; t <= kStageCount; ++t) {
            auto* timer = h.form->findChild<QTimer*>(QStringLiteral("Timer%1").arg(t));
            QVERIFY(timer != nullptr);
            QVERIFY(!timer->isActive());
            QCOMPARE(timer->interval(), 1);
        }
    }

    void initialLinesAreOneDisplayedLineEach() {
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

    void createAtStartUpFailsAtTheSerialCheck() {
        QTest::mouseClick(button(3), Qt::LeftButton);
        waitForRunEnd();
        QCOMPARE(toBytes(status()), std::string(literals::kSerialMessage));
        QVERIFY(memo(3)->toPlainText().isEmpty());
        for (int b = 1; b <= 5; ++b) {
            QVERIFY(button(b)->isEnabled());
        }
    }

    void wholeFlowAsAPersonDoesIt() {
        memo(1)->clear();
        memo(2)->clear();
        QTest::mouseClick(memo(1), Qt::LeftButton);
        const auto serials = testing::splitLines(testing::kSerials);
        for (const auto& line : serials) {
            QTest::keyClicks(memo(1), QString::fromStdString(line));
            QTest::keyClick(memo(1), Qt::Key_Return);
        }
        QTest::keyClick(memo(1), Qt::Key_Tab);
        QVERIFY(memo(2)->hasFocus());
        for (const auto& line : testing::splitLines(testing::kResults)) {
            QTest::keyClicks(memo(2), QString::fromStdString(line));
            QTest::keyClick(memo(2), Qt::Key_Return);
        }

        QTest::mouseClick(button(3), Qt::LeftButton);
        QVERIFY(h.form->run().running());
        for (int b = 1; b <= 5; ++b) {
            QVERIFY(!button(b)->isEnabled());
        }
        QCOMPARE(status(), QStringLiteral("作成中..."));
        waitForRunEnd();
        QCOMPARE(memo3Bytes(), testing::WindowHarness::expectedPage() + "\r\n");
        QCOMPARE(status(), QString());
        for (int b = 1; b <= 5; ++b) {
            QVERIFY(button(b)->isEnabled());
        }
    }

    void textTypedIntoTheOutputPaneStaysInFront() {
        fillTenDraws();
        QTest::mouseClick(button(3), Qt::LeftButton);
        QVERIFY(h.form->run().running());
        QTest::keyClicks(memo(3), QStringLiteral("memo"));
        waitForRunEnd();
        QCOMPARE(memo3Bytes(), "memo\r\n" + testing::WindowHarness::expectedPage());
    }

    void failingInputShowsItsMessageAndLeavesTheOutputEmpty() {
        fillTenDraws();
        memo(2)->setPlainText(QStringLiteral("01 02 03 04 05 06 44\n").repeated(10));
        QTest::mouseClick(button(3), Qt::LeftButton);
        waitForRunEnd();
        QCOMPARE(toBytes(status()), std::string(literals::kBonusRangeMessage));
        QVERIFY(memo(3)->toPlainText().isEmpty());
    }

    void wrappedLinesCountAsDisplayedLines() {
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

    // Text an input method is composing is not the pane's yet: 作成 pressed
    // by an assistive tool, the focus left in the pane, reads the lines of
    // the pane's own text.
    void aCompositionLeavesTheLinesARunReads() {
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

    void aDisplayedLineGivesAtMost4096Bytes() {
        memo(2)->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo(2)->setPlainText(QString(5000, QLatin1Char('7')) + QStringLiteral("\nnext"));
        QCOMPARE(h.form->readPaneLine(InputPane::Memo2, 0), std::string(4096, '7'));
        memo(2)->setPlainText(QString(3000, QChar(u'あ')));
        const std::string cut = h.form->readPaneLine(InputPane::Memo2, 0);
        QCOMPARE(cut.size(), std::size_t(4096));
        QCOMPARE(cut.substr(0, 2), std::string("\x82\xa0"));
    }

    // Every line separator, however it arrives, is the line break Enter
    // makes: in the displayed lines, in what the run reads and in the bytes.
    void everyLineSeparatorIsEnter_data() {
        QTest::addColumn<int>("pane");
        QTest::addColumn<Way>("way");
        QTest::addColumn<QString>("separator");
        QTest::newRow("Shift+Enter") << 1 << Way::Keys << QStringLiteral("\u2028");
        QTest::newRow("Shift+Enter, output pane") << 3 << Way::Keys << QStringLiteral("\u2028");
        QTest::newRow("input method U+2028") << 2 << Way::InputMethod << QStringLiteral("\u2028");
        QTest::newRow("input method U+2029") << 1 << Way::InputMethod << QStringLiteral("\u2029");
        QTest::newRow("paste U+0085") << 1 << Way::Paste << QStringLiteral("\u0085");
        QTest::newRow("paste CR") << 2 << Way::Paste << QStringLiteral("\r");
        QTest::newRow("paste CR LF") << 3 << Way::Paste << QStringLiteral("\r\n");
        QTest::newRow("drop U+2028") << 1 << Way::Drop << QStringLiteral("\u2028");
    }
    void everyLineSeparatorIsEnter() {
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
    void enteredTextShowsAsItsCp932Form_data() {
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
        QTest::newRow("what CP932 lacks")
            << Way::InputMethod << QStringLiteral("\U0001F600\U00020BB7\uD55C\u00E9")
            << QStringLiteral("????") << QByteArray("????");
        QTest::newRow("assistive tool inserts")
            << Way::AssistiveInsert << QStringLiteral("00\U0001F600\u301C")
            << QStringLiteral("00?\uFF5E") << QByteArray("00?\x81\x60");
        QTest::newRow("assistive tool replaces")
            << Way::AssistiveReplace << QStringLiteral("00\U0001F600\u301C")
            << QStringLiteral("00?\uFF5E") << QByteArray("00?\x81\x60");
        QTest::newRow("dropped text ends at NUL")
            << Way::Drop << QStringLiteral("12").append(QChar(0)).append(u'3')
            << QStringLiteral("12") << QByteArray("12");
    }
    void enteredTextShowsAsItsCp932Form() {
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

    // A loaded byte that CP932 cannot read on its own shows as a stand-in;
    // an edit that brings a byte next to it makes the character they now
    // read as, and one undo takes both back. Keys 0 and 1 are the context
    // menu's Delete and Cut.
    void editsBesideAnUnreadByteShowWhatItNowReads_data() {
        QTest::addColumn<QByteArray>("loaded");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("typed after a lead byte")
            << QByteArray("\x81") << 1 << 1 << int{Qt::Key_At} << QStringLiteral("\u3000")
            << QByteArray("\x81\x40");
        QTest::newRow("lines between deleted")
            << QByteArray("\x82\r\nx\r\n`zz") << 1 << 4 << int{Qt::Key_Backspace}
            << QStringLiteral("\uFF21zz") << QByteArray("\x82`zz");
        QTest::newRow("context menu Delete") << QByteArray("\x82\x31`zz") << 1 << 2 << 0
                                             << QStringLiteral("\uFF21zz") << QByteArray("\x82`zz");
        QTest::newRow("context menu Cut") << QByteArray("\x82\x31\xA0") << 1 << 2 << 1
                                          << QStringLiteral("\u3042") << QByteArray("\x82\xA0");
    }
    void editsBesideAnUnreadByteShowWhatItNowReads() {
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
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, at,
                                   pane->viewport()->mapToGlobal(at));
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
    void editsBesideAStandInNeverMeetAStaleLayout_data() {
        QTest::addColumn<QByteArray>("loaded");
        QTest::addColumn<QString>("steps");
        const QByteArray sevens = QByteArray("001\r\n\x82\r\n") + QByteArray(300, '7');
        QTest::newRow("keys and an undo") << sevens << QStringLiteral("EHDD8EZUB");
        QTest::newRow("caret by an assistive tool") << sevens << QStringLiteral("EHDD8ECB");
        QTest::newRow("commit over a selection")
            << QByteArray(3000, '7') + QByteArray("\r\n\x82\x39\x39") << QStringLiteral("SI");
    }
    void editsBesideAStandInNeverMeetAStaleLayout() {
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
            QCOMPARE(
                pane->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'),
                toPaneText(pane->bytes()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        }
    }

    // Keys pressed while a run is pending never reach a pane, and the focus
    // goes back to 作成 when the run ends, whichever way it ends.
    void keysDuringARunNeverReachAPane_data() {
        QTest::addColumn<bool>("byMouse");
        QTest::addColumn<bool>("validDraws");
        QTest::newRow("clicked, page") << true << true;
        QTest::newRow("Space, page") << false << true;
        QTest::newRow("clicked, failed check") << true << false;
    }
    void keysDuringARunNeverReachAPane() {
        QFETCH(bool, byMouse);
        QFETCH(bool, validDraws);
        if (validDraws) {
            fillTenDraws();
        }
        const std::string serials = h.paneBytes(1);
        h.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
        if (byMouse) {
            QTest::mouseClick(button(3), Qt::LeftButton);
        } else {
            button(3)->setFocus();
            QTest::keyClick(button(3), Qt::Key_Space);
        }
        QVERIFY(h.form->run().running());
        // The focus stays on 作成 throughout: a screen reader hears of no
        // focus moving away and back.
        for (int i = 0; i < 10; ++i) {
            for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Tab, Qt::Key_A,
                                      Qt::Key_Backtab, Qt::Key_B}) {
                QTest::keyClick(QApplication::focusWidget(), key);
                QCOMPARE(QApplication::focusWidget(), button(3));
            }
        }
        waitForRunEnd();
        QCOMPARE(memo3Bytes(),
                 validDraws ? testing::WindowHarness::expectedPage() + "\r\n" : std::string());
        QCOMPARE(h.paneBytes(1), serials);
        QCOMPARE(QApplication::focusWidget(), button(3));
    }

    // One limit for every way text enters a pane. A paste or drop past it is
    // refused whole with a box; keys and input methods are refused quietly.
    void entriesPastTheLimitAreRefusedWhole_data() {
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
        QTest::newRow("drop past it")
            << 2 << Way::Drop << full << QStringLiteral("012345678") << false;
        QTest::newRow("input method past it")
            << 1 << Way::InputMethod << full << QStringLiteral("012345678") << false;
        QTest::newRow("key up to the limit")
            << 1 << Way::Keys << full + "0123456" << QStringLiteral("7") << true;
        QTest::newRow("key past it")
            << 2 << Way::Keys << full + "01234567" << QStringLiteral("8") << false;
        QTest::newRow("a 1 MiB line")
            << 2 << Way::Paste << QByteArray() << QString(1 << 20, u'7') << false;
        QTest::newRow("assistive tool past it")
            << 1 << Way::AssistiveInsert << full << QStringLiteral("012345678") << false;
        QTest::newRow("assistive tool's 100,000 characters")
            << 2 << Way::AssistiveReplace << QByteArray() << QString(100000, u'7') << false;
    }
    void entriesPastTheLimitAreRefusedWhole() {
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

    // Every line wraps at word boundaries exactly as Qt's own pane wraps it,
    // whatever long stretches other lines hold and however the text came:
    // the run reads those lines.
    void linesWrapAsQtWrapsThem_data() {
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
    void linesWrapAsQtWrapsThem() {
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
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(QByteArray::fromStdString(toBytes(text)));
            out.close();
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

    // Whatever Qt enters for a key takes the pane's form, whatever keys are
    // held with it: Qt lets a formatting character through with Ctrl held.
    // One undo takes the key back.
    void everyKeyEntersThePanesForm_data() {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::newRow("Ctrl+Shift ZWNJ")
            << int{Qt::ControlModifier | Qt::ShiftModifier} << QStringLiteral("\u200C");
        QTest::newRow("Ctrl soft hyphen") << int{Qt::ControlModifier} << QStringLiteral("\u00AD");
        QTest::newRow("Ctrl right-to-left override")
            << int{Qt::ControlModifier} << QStringLiteral("\u202E");
    }
    void everyKeyEntersThePanesForm() {
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

    // An undo puts the cursor back where the edit was, at the start of a
    // line too, however the text came in.
    void undoPutsTheCursorBackAtTheEdit_data() {
        QTest::addColumn<Way>("way");
        QTest::newRow("keys") << Way::Keys;
        QTest::newRow("input method") << Way::InputMethod;
        QTest::newRow("paste") << Way::Paste;
        QTest::newRow("drop") << Way::Drop;
    }
    void undoPutsTheCursorBackAtTheEdit() {
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

    // A key refused at the limit leaves no undo step: one undo takes back
    // the key before it, and the cursor stays at the edit.
    void aRefusedKeyLeavesNoUndoStep() {
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
    void textDraggedAwaySettlesWhereItLeft_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("left");
        QTest::newRow("within the pane") << QStringLiteral("Memo2") << QString(20, u'z');
        QTest::newRow("into another pane") << QStringLiteral("Memo1") << QString();
    }
    void textDraggedAwaySettlesWhereItLeft() {
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

    void typedJapaneseReachesTheRunAsCp932() {
        memo(2)->clear();
        memo(2)->setFocus();
        typeText(memo(2), QStringLiteral("本数字é"));
        QCOMPARE(h.form->readPaneLine(InputPane::Memo2, 0),
                 std::string("\x96\x7b\x90\x94\x8e\x9a?"));
    }

    void addFollowsTheLineBreakRule() {
        struct Case {
            QString before;
            std::string after;
        };
        const Case cases[] = {{QString(), "S\r\n"},
                              {QStringLiteral("x"), "x\r\nS"},
                              {QStringLiteral("x\n"), "x\r\nS\r\n"}};
        for (const Case& c : cases) {
            memo(3)->setPlainText(c.before);
            h.form->addToOutputPane("S");
            QCOMPARE(memo3Bytes(), c.after);
        }
    }

    void clearEmptiesEverythingAndCreateThenFailsAtOnce() {
        fillTenDraws();
        h.form->setStatusLine("old");
        memo(3)->setPlainText(QStringLiteral("page"));
        QTest::mouseClick(button(5), Qt::LeftButton);
        QVERIFY(memo(1)->toPlainText().isEmpty());
        QVERIFY(memo(2)->toPlainText().isEmpty());
        QVERIFY(memo(3)->toPlainText().isEmpty());
        QCOMPARE(status(), QString());
        QTest::mouseClick(button(3), Qt::LeftButton);
        waitForRunEnd();
        QCOMPARE(toBytes(status()), std::string(literals::kSerialMessage));
    }

    // A box shows its text as plain text, and fits the screen however long
    // the path in it.
    void errorBoxesShowPlainTextAndFitTheScreen_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("tags") << QStringLiteral("/tmp/<b>x</b>.txt");
        QTest::newRow("image") << QStringLiteral("<img width=3000 height=3000>.txt");
        QTest::newRow("4096 wide letters") << QLatin1Char('/') + QString(4095, u'W');
        QTest::newRow("1365 kanji") << QLatin1Char('/') + QString(1365, QChar(0x672C));
        QTest::newRow("line breaks")
            << QStringLiteral("/tmp/a") + QStringLiteral("\nline").repeated(20);
    }
    void errorBoxesShowPlainTextAndFitTheScreen() {
        QFETCH(QString, path);
        const QString text = QStringLiteral("ﾌｧｲﾙ %1 は開けません").arg(path);
        h.form->showError(text);
        QCOMPARE(h.boxes.size(), std::size_t(1));
        const testing::ShownBox& box = h.boxes[0];
        QCOMPARE(box.shown, text + u'.');
        QCOMPARE(box.read, text + u'.');
        QVERIFY2(
            box.screenArea.contains(box.frame),
            qPrintable(QStringLiteral("box %1x%2").arg(box.frame.width()).arg(box.frame.height())));
        QVERIFY(box.textInside);
        if (path.size() < 1000) {
            QVERIFY(!box.scrolls);  // all of it shows at once; only a very long path may scroll
        }
        QCOMPARE(box.keysReachTheEnd, box.scrolls);
    }

    // A screen reader names each pane: by the caption under it, or by a
    // name of its own for the output pane.
    void screenReadersNameEachPane_data() {
        QTest::addColumn<int>("pane");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("name");
        QTest::newRow("serials") << 1 << QStringLiteral("Label1") << QStringLiteral("回数");
        QTest::newRow("results") << 2 << QStringLiteral("Label2")
                                 << QStringLiteral("本数字6+B数字1");
        QTest::newRow("output") << 3 << QString() << QStringLiteral("出目表");
    }
    void screenReadersNameEachPane() {
        QFETCH(int, pane);
        QFETCH(QString, caption);
        QFETCH(QString, name);
        // The window itself is a window, whose title a screen reader reads.
        QCOMPARE(QAccessible::queryAccessibleInterface(h.form.get())->role(), QAccessible::Window);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(memo(pane));
        QVERIFY(iface != nullptr);
        QCOMPARE(iface->text(QAccessible::Name), name);
        QStringList labelledBy;
        for (const auto& [label, relation] : iface->relations(QAccessible::Label)) {
            labelledBy.append(label->object()->objectName());
        }
        QCOMPARE(labelledBy, caption.isEmpty() ? QStringList() : QStringList{caption});
        if (!caption.isEmpty()) {
            QCOMPARE(h.child<QLabel>(caption)->buddy(), memo(pane));
        }
    }

    // Every message of the status line is spoken, and that the page is
    // ready when a run ends with it: the line is shown as a notification.
    void screenReadersHearTheStatusLine_data() {
        QTest::addColumn<QString>("results");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("instruction lines")
            << QString() << QStringLiteral("抽選回数の入力に誤りがあります。");
        QTest::newRow("bonus out of range")
            << QStringLiteral("01 02 03 04 05 06 44\n").repeated(10)
            << QStringLiteral("Ｂ数字には01～43の半角数字を２桁で入力して下さい。例：1→×、01→○");
        QTest::newRow("page made")
            << toPaneText(testing::kResults) << QStringLiteral("出目表を作成しました。");
    }
    void screenReadersHearTheStatusLine() {
        QFETCH(QString, results);
        QFETCH(QString, spoken);
        if (!results.isEmpty()) {
            memo(1)->setPlainText(toPaneText(testing::kSerials));
            memo(2)->setPlainText(results);
        }
        const SpokenNotices listening;
        const QStringList& notices = SpokenNotices::said();
        QTest::mouseClick(button(3), Qt::LeftButton);
        waitForRunEnd();
        QTRY_COMPARE(notices, QStringList{spoken});
        // The line is the window's status bar, which reads the message again.
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(h.form.get());
        QStringList statusBars;
        for (int i = 0; i < window->childCount(); ++i) {
            if (window->child(i)->role() == QAccessible::StatusBar) {
                statusBars.append(window->child(i)->text(QAccessible::Name));
            }
        }
        QCOMPARE(statusBars, QStringList{spoken});
        // A message the next run's busy text replaces before it is spoken is
        // not spoken, nor the busy text; クリア leaves nothing to read.
        h.form->setStatusLine("old message");
        h.form->setStatusLine(std::string(literals::kBusy));
        QTest::qWait(20);
        QCOMPARE(notices, QStringList{spoken});
        QTest::mouseClick(button(5), Qt::LeftButton);
        QCOMPARE(QAccessible::queryAccessibleInterface(h.child<QLabel>(QStringLiteral("Label3")))
                     ->text(QAccessible::Name),
                 QString());
    }

    // A load, a save and クリア are confirmed aloud; the status line keeps
    // showing the run's message (クリア empties it), and a failure has only
    // its box.
    void commandsAreConfirmedAloud_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("serials loaded") << 1 << QStringLiteral("draws.txt")
                                        << QStringLiteral("回数の欄にファイルを読み込みました。");
        QTest::newRow("results loaded")
            << 2 << QStringLiteral("draws.txt")
            << QStringLiteral("本数字6+B数字1の欄にファイルを読み込みました。");
        QTest::newRow("page saved")
            << 4 << QStringLiteral("page.html") << QStringLiteral("出目表を %1 に保存しました。");
        QTest::newRow("cleared") << 5 << QString()
                                 << QStringLiteral("すべての欄をクリアしました。");
        QTest::newRow("missing file") << 1 << QStringLiteral("missing/draws.txt") << QString();
    }
    void commandsAreConfirmedAloud() {
        QFETCH(int, button);
        QFETCH(QString, file);
        QFETCH(QString, spoken);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        QFile draws(dir.filePath(QStringLiteral("draws.txt")));
        QVERIFY(draws.open(QIODevice::WriteOnly) && draws.write("001\r\n") == 5);
        draws.close();
        const SpokenNotices listening;
        h.click(3);  // fails: the line has a message
        waitForRunEnd();
        const QString message = status();
        QTRY_COMPARE(SpokenNotices::said(), QStringList{message});
        SpokenNotices::said().clear();
        if (!file.isEmpty()) {
            h.fileAnswers.emplace_back(path);
        }
        h.click(button);
        QVERIFY(h.waitForIdle());
        QTest::qWait(20);
        QCOMPARE(SpokenNotices::said(), spoken.isEmpty() ? QStringList()
                                                         : QStringList{QString(spoken).replace(
                                                               QStringLiteral("%1"), path)});
        QCOMPARE(status(), button == 5 ? QString() : message);
        QCOMPARE(h.boxes.size(), std::size_t(spoken.isEmpty() ? 1 : 0));
    }

    // The captions, the notice and the status line read on a dark palette,
    // the user switching to it while the program runs, and stay black and
    // red on a light one.
    void labelsReadOnEveryPalette_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<bool>("dark");
        // qt6ct's "darker", and a lighter grey where pure red reads at 2.2:1.
        QTest::newRow("darker") << windowPalette(QColor(0x222020), Qt::white) << true;
        QTest::newRow("dark grey") << windowPalette(QColor(0x4A4A4A), QColor(0xE0E0E0)) << true;
        QTest::newRow("light grey") << windowPalette(QColor(0xEFEFEF), Qt::black) << false;
        QTest::newRow("white, grey text") << windowPalette(Qt::white, QColor(0x606060)) << false;
    }
    void labelsReadOnEveryPalette() {
        QFETCH(QPalette, palette);
        QFETCH(bool, dark);
        const QPalette before = QApplication::palette();
        const auto restore = qScopeGuard([&before] { QApplication::setPalette(before); });
        // From the other kind of palette to this one; Qt hands a new palette
        // on to the widgets in events of their own.
        for (const QPalette& next : {dark ? windowPalette(Qt::white, Qt::black)
                                          : windowPalette(QColor(0x222020), Qt::white),
                                     palette}) {
            QApplication::setPalette(next);
            QTRY_COMPARE(h.form->palette().color(QPalette::Window), next.color(QPalette::Window));
        }
        const QColor window = palette.color(QPalette::Window);
        for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
            const auto* label = child<QLabel>(name);
            const QColor text = label->palette().color(QPalette::WindowText);
            const bool status = label == child<QLabel>("Label3");
            QVERIFY(label->font().bold());
            if (!dark) {
                QCOMPARE(text, status ? QColor(0xFF, 0, 0) : QColor(Qt::black));
                continue;
            }
            QVERIFY2(contrast(text, window) >= 4.5,
                     qPrintable(QStringLiteral("%1 %2 on %3: %4:1")
                                    .arg(QLatin1String(name), text.name(), window.name())
                                    .arg(contrast(text, window))));
            if (status) {
                QCOMPARE(text.hue(), 0);  // still a red
                QVERIFY(text.saturation() > 0);
            } else {
                QCOMPARE(text, palette.color(QPalette::WindowText));
            }
        }
    }

    // Return and keypad Enter press the focused command button, as Space
    // does; a key held with Alt or Meta never types into a pane.
    void keysDoWhatTheyAreFor_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("panesCleared");
        QTest::newRow("Return on クリア")
            << QStringLiteral("Button5") << int{Qt::Key_Return} << 0 << true;
        QTest::newRow("keypad Enter on クリア")
            << QStringLiteral("Button5") << int{Qt::Key_Enter} << int{Qt::KeypadModifier} << true;
        QTest::newRow("Alt+S in a pane")
            << QStringLiteral("Memo1") << int{Qt::Key_S} << int{Qt::AltModifier} << false;
        QTest::newRow("Alt+1 in a pane")
            << QStringLiteral("Memo2") << int{Qt::Key_1} << int{Qt::AltModifier} << false;
        QTest::newRow("Alt+Shift+C in a pane") << QStringLiteral("Memo1") << int{Qt::Key_C}
                                               << int{Qt::AltModifier | Qt::ShiftModifier} << false;
        QTest::newRow("Meta+C in a pane")
            << QStringLiteral("Memo3") << int{Qt::Key_C} << int{Qt::MetaModifier} << false;
    }
    void keysDoWhatTheyAreFor() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, panesCleared);
        memo(3)->setPlainText(QStringLiteral("page"));
        const std::string before[] = {h.paneBytes(1), h.paneBytes(2), h.paneBytes(3)};
        h.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
        auto* target = h.child<QWidget>(focus);
        target->setFocus();
        QTest::keyClick(target, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
        for (int pane = 1; pane <= 3; ++pane) {
            QCOMPARE(h.paneBytes(pane), panesCleared ? std::string() : before[pane - 1]);
        }
    }

    void errorBoxIsCriticalWithOneOkAndAFullStop() {
        h.form->showErrorBox(std::string(literals::kTimerMessage));
        QCOMPARE(h.boxes.size(), std::size_t(1));
        QCOMPARE(h.boxes[0].title, QStringLiteral("numerlo"));
        QCOMPARE(h.boxes[0].text, QStringLiteral("ﾀｲﾏｰを取得できません."));
        QCOMPARE(h.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(h.boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
