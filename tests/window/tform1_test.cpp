// The main window as a person meets it, offscreen: its layout and keys, the
// run on real 1 ms triggers, and the clear command.
#include "cp932_literals.h"
#include "window_harness.h"

using namespace numerlo;

class TForm1Test : public QObject, testing::WindowTestBase {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(h.start()); }
    void cleanup() { h.stop(); }

    // Layout and keys
    void controlsStandWholeApartAndStill();
    void keysDoWhatTheyAreFor_data();
    void keysDoWhatTheyAreFor();

    // The run
    void createAtStartUpFailsAtTheSerialCheck();
    void wholeFlowAsAPersonDoesIt();
    void failingInputShowsItsMessageAndLeavesTheOutputEmpty();
    void textTypedIntoTheOutputPaneStaysInFront();
    void keysDuringARunNeverReachAPane_data();
    void keysDuringARunNeverReachAPane();
    void addFollowsTheLineBreakRule();

    // Commands
    void clearEmptiesEverythingAndCreateThenFailsAtOnce();
};

// Every control stands whole inside the window, apart from the others,
// with its text unclipped; resizing the window moves none of them. With
// the face the window was drawn for, nothing is scaled.
void TForm1Test::controlsStandWholeApartAndStill() {
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

// Return and keypad Enter press the focused command button, as Space
// does; a key held with Alt or Meta never types into a pane.
void TForm1Test::keysDoWhatTheyAreFor_data() {
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
void TForm1Test::keysDoWhatTheyAreFor() {
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

void TForm1Test::createAtStartUpFailsAtTheSerialCheck() {
    QTest::mouseClick(button(3), Qt::LeftButton);
    waitForRunEnd();
    QCOMPARE(toBytes(status()), std::string(literals::kSerialMessage));
    QVERIFY(memo(3)->toPlainText().isEmpty());
    for (int b = 1; b <= 5; ++b) {
        QVERIFY(button(b)->isEnabled());
    }
}

void TForm1Test::wholeFlowAsAPersonDoesIt() {
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

void TForm1Test::failingInputShowsItsMessageAndLeavesTheOutputEmpty() {
    fillTenDraws();
    memo(2)->setPlainText(QStringLiteral("01 02 03 04 05 06 44\n").repeated(10));
    QTest::mouseClick(button(3), Qt::LeftButton);
    waitForRunEnd();
    QCOMPARE(toBytes(status()), std::string(literals::kBonusRangeMessage));
    QVERIFY(memo(3)->toPlainText().isEmpty());
}

void TForm1Test::textTypedIntoTheOutputPaneStaysInFront() {
    fillTenDraws();
    QTest::mouseClick(button(3), Qt::LeftButton);
    QVERIFY(h.form->run().running());
    QTest::keyClicks(memo(3), QStringLiteral("memo"));
    waitForRunEnd();
    QCOMPARE(memo3Bytes(), "memo\r\n" + testing::WindowHarness::expectedPage());
}

// Keys pressed while a run is pending never reach a pane, and the focus
// goes back to 作成 when the run ends, whichever way it ends.
void TForm1Test::keysDuringARunNeverReachAPane_data() {
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<bool>("validDraws");
    QTest::newRow("clicked, page") << true << true;
    QTest::newRow("Space, page") << false << true;
    QTest::newRow("clicked, failed check") << true << false;
}
void TForm1Test::keysDuringARunNeverReachAPane() {
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
        for (const Qt::Key key :
             {Qt::Key_Space, Qt::Key_Return, Qt::Key_Tab, Qt::Key_A, Qt::Key_Backtab, Qt::Key_B}) {
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

void TForm1Test::addFollowsTheLineBreakRule() {
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

void TForm1Test::clearEmptiesEverythingAndCreateThenFailsAtOnce() {
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

QTEST_MAIN(TForm1Test)
#include "tform1_test.moc"
