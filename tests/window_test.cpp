// The main window as a person meets it, offscreen: layout, panes, the run on
// real 1 ms triggers, the clear command and the error box.
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app_title.h"
#include "form_layout.h"
#include "texts.h"
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

}  // namespace

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

    void fontIsTheMetricStandIn() const {
        if (!h.hasStandInFont()) {
            QSKIP(kNoFont);
        }
        QCOMPARE(h.form->font().pixelSize(), 12);
        const QFontMetrics metrics(h.form->font());
        QCOMPARE(metrics.height(), 12);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("01 02 03 04 05 06 07")), 106);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("10回分")), 36);
        QCOMPARE(h.form->layoutScale(), 1.0);
    }

    void controlsSitWhereTheLayoutSays() {
        for (const layout::Placement& p : layout::kControls) {
            const QString name = QString::fromLatin1(p.name.data(), qsizetype(p.name.size()));
            auto* control = h.form->findChild<QWidget*>(name);
            QVERIFY2(control != nullptr, qPrintable(name));
            QCOMPARE(control->geometry(), QRect(p.left, p.top, p.width, p.height));
        }
        QCOMPARE(h.form->size(), QSize(layout::kClientWidth, layout::kClientHeight));
        QCOMPARE(h.form->windowTitle(), QStringLiteral("Numerlo"));

        // Resizing moves nothing.
        h.form->resize(900, 600);
        QCOMPARE(memo(3)->geometry(), QRect(216, 8, 345, 257));

        const QStringList captions = {"抽選回数", "本数字+B数字", "作成", "保存", "クリア"};
        for (int b = 1; b <= 5; ++b) {
            QCOMPARE(button(b)->text(), captions[b - 1]);
        }
        QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("回数"));
        QCOMPARE(child<QLabel>("Label2")->text(), QStringLiteral("本数字6+B数字1"));
        QCOMPARE(status(), QString());
        QVERIFY(child<QLabel>("Label4")->sizeHint().width() <= 316);
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
        QCOMPARE(toBytes(status()), std::string(texts::kSerialMessage));
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
        QCOMPARE(toBytes(status()), std::string(texts::kBonusRangeMessage));
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

    void aDisplayedLineGivesAtMost4096Bytes() {
        memo(2)->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo(2)->setPlainText(QString(5000, QLatin1Char('7')) + QStringLiteral("\nnext"));
        QCOMPARE(h.form->readPaneLine(InputPane::Memo2, 0), std::string(4096, '7'));
        memo(2)->setPlainText(QString(3000, QChar(u'あ')));
        const std::string cut = h.form->readPaneLine(InputPane::Memo2, 0);
        QCOMPARE(cut.size(), std::size_t(4096));
        QCOMPARE(cut.substr(0, 2), std::string("\x82\xa0"));
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
        QCOMPARE(toBytes(status()), std::string(texts::kSerialMessage));
    }

    void errorBoxIsCriticalWithOneOkAndAFullStop() {
        h.form->showErrorBox(std::string(texts::kTimerMessage));
        QCOMPARE(h.boxes.size(), std::size_t(1));
        QCOMPARE(h.boxes[0].title, QStringLiteral("numerlo"));
        QCOMPARE(h.boxes[0].text, QStringLiteral("ﾀｲﾏｰを取得できません."));
        QCOMPARE(h.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(h.boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void applicationTitleIsTheFileStem() {
        QCOMPARE(applicationTitle(QStringLiteral("numerlo")), QStringLiteral("numerlo"));
        QCOMPARE(applicationTitle(QStringLiteral("NUMERLO.EXE")), QStringLiteral("Numerlo"));
        QCOMPARE(applicationTitle(QStringLiteral("my.tool.bin")), QStringLiteral("my"));
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
