// What a person hears and reads of the window, offscreen: the error box, the
// names and notices a screen reader gets, and the labels on every palette.
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

#include "cp932_literals.h"
#include "window_harness.h"

using namespace numerlo;

namespace {

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

class AccessibilityTest : public QObject, testing::WindowTestBase {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(h.start()); }
    void cleanup() { h.stop(); }

    // The error box (also on a wide screen: ctest WindowErrorBoxesWideScreen)
    void errorBoxIsCriticalWithOneOkAndAFullStop();
    void errorBoxesShowPlainTextAndFitTheScreen_data();
    void errorBoxesShowPlainTextAndFitTheScreen();

    // Screen readers
    void screenReadersNameEachPane_data();
    void screenReadersNameEachPane();
    void screenReadersHearTheStatusLine_data();
    void screenReadersHearTheStatusLine();
    void commandsAreConfirmedAloud_data();
    void commandsAreConfirmedAloud();

    // Colours
    void labelsReadOnEveryPalette_data();
    void labelsReadOnEveryPalette();
};

void AccessibilityTest::errorBoxIsCriticalWithOneOkAndAFullStop() {
    h.form->showErrorBox(std::string(literals::kTimerMessage));
    QCOMPARE(h.boxes.size(), std::size_t(1));
    QCOMPARE(h.boxes[0].title, QStringLiteral("numerlo"));
    QCOMPARE(h.boxes[0].text, QStringLiteral("ﾀｲﾏｰを取得できません."));
    QCOMPARE(h.boxes[0].icon, QMessageBox::Critical);
    QCOMPARE(h.boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

// A box shows its text as plain text, and fits the screen however long
// the path in it.
void AccessibilityTest::errorBoxesShowPlainTextAndFitTheScreen_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("tags") << QStringLiteral("/tmp/<b>x</b>.txt");
    QTest::newRow("image") << QStringLiteral("<img width=3000 height=3000>.txt");
    QTest::newRow("4096 wide letters") << QLatin1Char('/') + QString(4095, u'W');
    QTest::newRow("1365 kanji") << QLatin1Char('/') + QString(1365, QChar(0x672C));
    QTest::newRow("line breaks") << QStringLiteral("/tmp/a") +
                                        QStringLiteral("\nline").repeated(20);
}
void AccessibilityTest::errorBoxesShowPlainTextAndFitTheScreen() {
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
void AccessibilityTest::screenReadersNameEachPane_data() {
    QTest::addColumn<int>("pane");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("name");
    QTest::newRow("serials") << 1 << QStringLiteral("Label1") << QStringLiteral("回数");
    QTest::newRow("results") << 2 << QStringLiteral("Label2") << QStringLiteral("本数字6+B数字1");
    QTest::newRow("output") << 3 << QString() << QStringLiteral("出目表");
}
void AccessibilityTest::screenReadersNameEachPane() {
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
void AccessibilityTest::screenReadersHearTheStatusLine_data() {
    QTest::addColumn<QString>("results");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("instruction lines")
        << QString() << QStringLiteral("抽選回数の入力に誤りがあります。");
    QTest::newRow("bonus out of range")
        << QStringLiteral("01 02 03 04 05 06 44\n").repeated(10)
        << QStringLiteral("Ｂ数字には01～43の半角数字を２桁で入力して下さい。例：1→×、01→○");
    QTest::newRow("page made") << toPaneText(testing::kResults)
                               << QStringLiteral("出目表を作成しました。");
}
void AccessibilityTest::screenReadersHearTheStatusLine() {
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
void AccessibilityTest::commandsAreConfirmedAloud_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("serials loaded") << 1 << QStringLiteral("draws.txt")
                                    << QStringLiteral("回数の欄にファイルを読み込みました。");
    QTest::newRow("results loaded")
        << 2 << QStringLiteral("draws.txt")
        << QStringLiteral("本数字6+B数字1の欄にファイルを読み込みました。");
    QTest::newRow("page saved") << 4 << QStringLiteral("page.html")
                                << QStringLiteral("出目表を %1 に保存しました。");
    QTest::newRow("cleared") << 5 << QString() << QStringLiteral("すべての欄をクリアしました。");
    QTest::newRow("missing file") << 1 << QStringLiteral("missing/draws.txt") << QString();
}
void AccessibilityTest::commandsAreConfirmedAloud() {
    QFETCH(int, button);
    QFETCH(QString, file);
    QFETCH(QString, spoken);
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    QVERIFY(testing::writeFile(dir.filePath(QStringLiteral("draws.txt")), "001\r\n"));
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
    QCOMPARE(SpokenNotices::said(),
             spoken.isEmpty() ? QStringList()
                              : QStringList{QString(spoken).replace(QStringLiteral("%1"), path)});
    QCOMPARE(status(), button == 5 ? QString() : message);
    QCOMPARE(h.boxes.size(), std::size_t(spoken.isEmpty() ? 1 : 0));
}

// The captions, the notice and the status line read on a dark palette,
// the user switching to it while the program runs, and stay black and
// red on a light one.
void AccessibilityTest::labelsReadOnEveryPalette_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<bool>("dark");
    // qt6ct's "darker", and a lighter grey where pure red reads at 2.2:1.
    QTest::newRow("darker") << windowPalette(QColor(0x222020), Qt::white) << true;
    QTest::newRow("dark grey") << windowPalette(QColor(0x4A4A4A), QColor(0xE0E0E0)) << true;
    QTest::newRow("light grey") << windowPalette(QColor(0xEFEFEF), Qt::black) << false;
    QTest::newRow("white, grey text") << windowPalette(Qt::white, QColor(0x606060)) << false;
}
void AccessibilityTest::labelsReadOnEveryPalette() {
    QFETCH(QPalette, palette);
    QFETCH(bool, dark);
    const QPalette before = QApplication::palette();
    const auto restore = qScopeGuard([&before] { QApplication::setPalette(before); });
    // From the other kind of palette to this one; Qt hands a new palette
    // on to the widgets in events of their own.
    for (const QPalette& next :
         {dark ? windowPalette(Qt::white, Qt::black) : windowPalette(QColor(0x222020), Qt::white),
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

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
