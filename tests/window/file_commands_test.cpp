// Loading the input panes from files and saving the output pane, through the
// real window with its dialogs answered by the test.
#include <QDir>
#include <QDropEvent>
#include <QFileIconProvider>
#include <QMimeData>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QUrl>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <utility>

#include "flush_hook.h"
#include "memo_pane.h"
#include "pane_form.h"
#include "window_harness.h"

using namespace numerlo;
using namespace numerlo::testing;

namespace {

// Limits the size of any file this process writes, as a full disk would,
// for as long as it lives.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

  private:
    rlimit saved_{};
};

// Holds a lease on `path` in a process of its own, and lets go `afterMs`
// after another program's open asked it to. False if the file system takes
// no leases.
bool holdLease(const QString& path, int lease, int afterMs) {
    int ready[2];
    if (::pipe(ready) != 0) {
        return false;
    }
    if (::fork() == 0) {
        ::alarm(10);
        std::signal(SIGIO, [](int) {});
        const int fd =
            ::open(QFile::encodeName(path).constData(), lease == F_WRLCK ? O_WRONLY : O_RDONLY);
        const char held = ::fcntl(fd, F_SETLEASE, lease) == 0 ? 1 : 0;
        [[maybe_unused]] const auto told = ::write(ready[1], &held, 1);
        if (held == 1) {
            ::pause();  // the breaker's open sends SIGIO
            ::usleep(static_cast<useconds_t>(afterMs) * 1000);
            ::fcntl(fd, F_SETLEASE, F_UNLCK);
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    char held = 0;
    const bool told = ::read(ready[0], &held, 1) == 1;
    ::close(ready[0]);
    return told && held == 1;
}

}  // namespace

class FileTest : public QObject, testing::WindowTestBase {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    // Where Qt's file dialog would keep what it remembers between uses of a
    // program, prepared with a folder to open in.
    QTemporaryDir config;
    std::string rememberedSettings;

    [[nodiscard]] QString path(const QString& name) const { return dir->filePath(name); }
    [[nodiscard]] QStringList dirEntries() const {
        return QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // The text of the one error box shown since the last call, checked to be
    // a critical box captioned with the application title; anything else
    // comes back as a description that no expected text matches.
    QString onlyErrorBox() {
        const std::vector<testing::ShownBox> shown = std::exchange(h.boxes, {});
        if (shown.size() != 1) {
            return QStringLiteral("<%1 boxes>").arg(shown.size());
        }
        if (shown[0].icon != QMessageBox::Critical || shown[0].title != QStringLiteral("numerlo") ||
            shown[0].buttons != QMessageBox::StandardButtons(QMessageBox::Ok)) {
            return QStringLiteral("<not a critical box with one OK>");
        }
        return shown[0].text;
    }
    void createPage() {
        h.fillTenDraws();
        h.click(3);
        QVERIFY(h.waitForRunEnd());
        QCOMPARE(h.status(), QString());
    }
    void dropOnto(int pane, const QList<QUrl>& urls, bool thenWait = true) {
        QMimeData mime;
        mime.setUrls(urls);
        QWidget* viewport = h.memo(pane)->viewport();
        const QPointF at(10, 10);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        if (!thenWait) {
            return;
        }
        QCoreApplication::processEvents();  // the load follows the drop
        QVERIFY(QTest::qWaitFor([this] { return h.form->idle() || h.form->run().running(); }));
    }

  private slots:
    void initTestCase() {
        QVERIFY(config.isValid());
        QDir(config.path()).mkdir(QStringLiteral("remembered"));
        rememberedSettings = "[FileDialog]\nlastVisited=" +
                             QUrl::fromLocalFile(config.filePath(QStringLiteral("remembered")))
                                 .toString()
                                 .toStdString() +
                             "\nviewMode=Detail\n";
        writeFile(config.filePath(QStringLiteral("QtProject.conf")), rememberedSettings);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        QVERIFY(h.start());
    }
    void cleanup() {
        h.stop();
        dir.reset();
    }

    void loadMakesEveryLineBreakCrLf_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("pane");
        QTest::newRow("CR LF") << 1 << QByteArray("001\r\n002\r\n") << QByteArray("001\r\n002\r\n");
        QTest::newRow("LF only") << 1 << QByteArray("001\n002\n") << QByteArray("001\r\n002\r\n");
        QTest::newRow("CR only") << 2 << QByteArray("001\r002\r") << QByteArray("001\r\n002\r\n");
        QTest::newRow("LF CR is two") << 2 << QByteArray("a\n\rb") << QByteArray("a\r\n\r\nb");
        QTest::newRow("text up to NUL") << 1 << QByteArray("12\0003\n456", 8) << QByteArray("12");
        QTest::newRow("empty file") << 2 << QByteArray() << QByteArray();
        QTest::newRow("Shift-JIS kept") << 1 << QByteArray("\x89\xf1\x90\x94\r\n\x81")
                                        << QByteArray("\x89\xf1\x90\x94\r\n\x81");
    }
    void loadMakesEveryLineBreakCrLf() {
        QFETCH(int, button);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, pane);
        writeFile(path("draws.txt"), file.toStdString());
        clickWith(button, path("draws.txt"));
        QCOMPARE(h.paneBytes(button), pane.toStdString());
        QVERIFY(h.boxes.empty());
    }

    void twelveSerialLinesLoadAndARunUsesTheFirstTen() {
        std::string serials(testing::kSerials);
        serials += "\r\n011\r\n012\r\n";
        writeFile(path("serials.txt"), serials);
        writeFile(path("results.txt"), std::string(testing::kResults) + "\r\n");
        clickWith(1, path("serials.txt"));
        clickWith(2, path("results.txt"));
        QCOMPARE(h.form->readPaneLine(InputPane::Memo1, 11), std::string("012"));
        h.click(3);
        QVERIFY(h.waitForRunEnd());
        QCOMPARE(h.paneBytes(3), testing::WindowHarness::expectedPage() + "\r\n");

        // And saved, the file is the page and one line break.
        clickWith(4, path("page.html"));
        QCOMPARE(readFile(path("page.html")), testing::WindowHarness::expectedPage() + "\r\n");
        QVERIFY(h.boxes.empty());

        // The browser check opens a page saved exactly this way.
        if (const QString out = qEnvironmentVariable("NUMERLO_SAVED_PAGE"); !out.isEmpty()) {
            clickWith(4, out);
            QCOMPARE(readFile(out), testing::WindowHarness::expectedPage() + "\r\n");
        }
    }

    void unreadableFilesShowTheirFullPathAndLeaveThePane_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << QStringLiteral("missing.txt");
        QTest::newRow("folder") << QStringLiteral("folder");
    }
    void unreadableFilesShowTheirFullPathAndLeaveThePane() {
        QFETCH(QString, name);
        QDir(dir->path()).mkdir(QStringLiteral("folder"));
        const std::string before = h.paneBytes(2);
        clickWith(2, path(name));
        QCOMPARE(h.paneBytes(2), before);
        QCOMPARE(onlyErrorBox(), QStringLiteral("ﾌｧｲﾙ %1 は開けません.").arg(path(name)));
    }

    void textOverThePaneLimitIsRefused_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<QByteArray>("pane");
        const auto limit = static_cast<qsizetype>(kPaneLimitBytes);
        const QByteArray lines = QByteArray("012345\r\n").repeated(limit / 8);
        QTest::newRow("at the limit") << lines << true << lines;
        QTest::newRow("one byte over") << lines + "7" << false << QByteArray();
        QTest::newRow("over once LF is CR LF")
            << QByteArray(limit - 10, '\n') << false << QByteArray();
        QTest::newRow("long, but NUL early")
            << QByteArray("001\0", 4) + QByteArray(limit * 2, '7') << true << QByteArray("001");
        QTest::newRow("one unbroken line at the limit")
            << QByteArray(limit, '7') << true << QByteArray(limit, '7');
    }
    void textOverThePaneLimitIsRefused() {
        QFETCH(QByteArray, file);
        QFETCH(bool, fits);
        QFETCH(QByteArray, pane);
        writeFile(path("big.txt"), file.toStdString());
        const std::string before = h.paneBytes(1);
        clickWith(1, path("big.txt"));
        if (fits) {
            QVERIFY(h.boxes.empty());
            QCOMPARE(h.paneBytes(1), pane.toStdString());
        } else {
            QCOMPARE(h.paneBytes(1), before);
            QCOMPARE(onlyErrorBox(), QStringLiteral("文字列の大きさが ﾒﾓ の制限を越えました."));
        }
    }

    void cancelChangesNothing() {
        const std::string before = h.paneBytes(1);
        clickWith(1, std::nullopt);
        clickWith(4, std::nullopt);
        QCOMPARE(h.paneBytes(1), before);
        QVERIFY(h.boxes.empty());
        QVERIFY(dirEntries().isEmpty());
    }

    void dialogsOfferTheirLastConfirmedName() {
        QVERIFY(h.form->findChildren<QFileDialog*>().isEmpty());  // made when first used
        writeFile(path("a.txt"), "001");
        clickWith(2, path("a.txt"));
        clickWith(1, std::nullopt);
        clickWith(4, path("page.html"));
        clickWith(4, std::nullopt);
        QCOMPARE(h.dialogs.size(), std::size_t(4));
        // The open dialog is shared by both loads; the save dialog has its own.
        QCOMPARE(h.dialogs[0].name, QStringLiteral("OpenDialog1"));
        QCOMPARE(h.dialogs[0].offered, QString());
        // Each shows its filter as the window names it and lists by its pattern.
        QCOMPARE(h.dialogs[0].filters, QStringList{QStringLiteral("text (*.txt)")});
        QCOMPARE(h.dialogs[0].shownFilter, QStringLiteral("text"));
        QCOMPARE(h.dialogs[0].listingPatterns, QStringList{QStringLiteral("*.txt")});
        QCOMPARE(h.dialogs[1].offered, QStringLiteral("a.txt"));
        QCOMPARE(h.dialogs[2].name, QStringLiteral("SaveDialog1"));
        QCOMPARE(h.dialogs[2].offered, QString());
        QCOMPARE(h.dialogs[2].filters, QStringList{QStringLiteral("html (*.html)")});
        QCOMPARE(h.dialogs[2].shownFilter, QStringLiteral("html"));
        QCOMPARE(h.dialogs[2].listingPatterns, QStringList{QStringLiteral("*.html")});
        QCOMPARE(h.dialogs[2].mode, QFileDialog::AcceptSave);
        QCOMPARE(h.dialogs[3].offered, QStringLiteral("page.html"));
        auto* readOnly = h.form->findChild<QWidget*>(QStringLiteral("ReadOnlyBox"));
        QVERIFY(readOnly != nullptr);
        QCOMPARE(readOnly->parent()->objectName(), QStringLiteral("OpenDialog1"));
        QCOMPARE(h.form->findChildren<QFileDialog*>().size(), 2);
    }

    // Qt's real dialogs, with nothing in between: each name is pasted into the
    // dialog's own name field and accepted with its Open or Save button.
    void realDialogsTakeTheNameAsTypedAndKeepNothing() {
        h.realFileDialogs = true;
        writeFile(path("page.html"), "something older");
        h.memo(3)->setPlainText(QStringLiteral("page"));
        clickWith(1, path("missing.txt"));  // a missing file is accepted; the load says why not
        QCOMPARE(onlyErrorBox(), QStringLiteral("ﾌｧｲﾙ %1 は開けません.").arg(path("missing.txt")));
        clickWith(4, path("page.html"));  // overwritten without a question
        clickWith(4, path("abc"));        // no extension added
        // Quotes and all, not a list of names, but for a pair around the
        // whole name: Qt would grey its button out for x" and go into d for
        // x"d.
        QDir(dir->path()).mkdir(QStringLiteral("d"));
        for (const QString& quoted :
             {QStringLiteral("say \"hi\""), QStringLiteral("x\""), QStringLiteral("x\"d")}) {
            clickWith(4, path(quoted));
            QCOMPARE(readFile(path(quoted)), std::string("page"));
        }
        clickWith(4, u'"' + path("quoted") + u'"');
        QCOMPARE(readFile(path("page.html")), std::string("page"));
        QCOMPARE(readFile(path("abc")), std::string("page"));
        QCOMPARE(dirEntries(), (QStringList{QStringLiteral("abc"), QStringLiteral("d"),
                                            QStringLiteral("page.html"), QStringLiteral("quoted"),
                                            QStringLiteral("say \"hi\""), QStringLiteral("x\""),
                                            QStringLiteral("x\"d")}));
        // Files are told apart by their names: a file's content is never read
        // to list it, as one that never gives it would hold the window.
        writeFile(path("noextension"), "%PDF-1.4\n");
        const QString listedAs = h.form->findChild<QFileDialog*>(QStringLiteral("OpenDialog1"))
                                     ->iconProvider()
                                     ->type(QFileInfo(path("noextension")));
        QVERIFY(listedAs !=
                QMimeDatabase().mimeTypeForName(QStringLiteral("application/pdf")).comment());
        QCOMPARE(h.dialogs.size(), std::size_t(7));
        for (const testing::SeenDialog& seen : h.dialogs) {
            QVERIFY2(!seen.objected, qPrintable(seen.name));
            // Whole on the screen, centred across it, a third of the way down.
            QVERIFY2(seen.screenArea.contains(seen.frame),
                     qPrintable(
                         QStringLiteral("%1x%2").arg(seen.frame.width()).arg(seen.frame.height())));
            QCOMPARE(seen.frame.topLeft(),
                     QPoint(seen.screen.x() + (seen.screen.width() - seen.frame.width()) / 2,
                            seen.screen.y() + (seen.screen.height() - seen.frame.height()) / 3));
            QVERIFY(seen.folder != config.filePath(QStringLiteral("remembered")));
        }
        // Nothing was read at the start, nor written for the next one.
        h.stop();
        QCOMPARE(readFile(config.filePath(QStringLiteral("QtProject.conf"))), rememberedSettings);
        QCOMPARE(
            QDir(config.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList{QStringLiteral("QtProject.conf"), QStringLiteral("remembered")}));
    }

    // Any name typed reaches the save, and the dialog offers it whole the
    // next time. Qt's own dialog greys its button out for a name longer
    // than the folder allows and turns it away without a word; and after a
    // save into a folder that is gone it offers the path less its first
    // slash, below the folder it stays in.
    void everyNameReachesTheSaveAndComesBackWhole() {
        h.realFileDialogs = true;
        h.memo(3)->setPlainText(QStringLiteral("page"));
        writeFile(path("plain.html"), "a file, not a folder");
        const QString tooLong = path(QString(300, u'a') + QStringLiteral(".html"));
        const QString gone = path(QStringLiteral("gone/x.html"));
        const QString underAFile = path(QStringLiteral("plain.html/x.html"));
        for (const QString& name :
             {tooLong, gone, underAFile, QStringLiteral("/nonexistent/x.html")}) {
            clickWith(4, name);
            QCOMPARE(onlyErrorBox(), QStringLiteral("ﾌｧｲﾙ %1 を作成できません.").arg(name));
        }
        clickWith(4, std::nullopt);
        QCOMPARE(h.dialogs.size(), std::size_t(5));
        QVERIFY(!h.dialogs[0].objected);
        QCOMPARE(h.dialogs[2].offered, gone);
        QCOMPARE(h.dialogs[3].offered, underAFile);
        QVERIFY(QFileInfo(h.dialogs[3].folder).isDir());
        QCOMPARE(h.dialogs[4].offered, QStringLiteral("/nonexistent/x.html"));
    }

    // Return in the list of matching names under the name field takes the
    // name, and the window is active again as the dialog closes: a screen
    // reader follows the focus back to the button.
    void theWindowIsActiveAgainAfterTheNameList() {
        h.realFileDialogs = true;
        h.enterFromTheNameList = true;
        writeFile(path("serials.txt"), "001\r\n");
        h.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
        h.button(1)->setFocus();
        clickWith(1, path("serials.txt"));
        QCOMPARE(h.paneBytes(1), std::string("001\r\n"));
        QTRY_COMPARE(QApplication::activeWindow(), h.form.get());
        QCOMPARE(QApplication::focusWidget(), h.button(1));
    }

    void saveWritesThePaneExactly_data() {
        QTest::addColumn<bool>("run");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray page = QByteArray::fromStdString(testing::WindowHarness::expectedPage());
        QTest::newRow("after a run") << true << QString() << page + "\r\n";
        QTest::newRow("before any run") << false << QString() << QByteArray();
        QTest::newRow("as edited") << false << QStringLiteral("出目表\n<p>")
                                   << QByteArray("\x8f\x6f\x96\xda\x95\x5c\r\n<p>");
    }
    void saveWritesThePaneExactly() {
        QFETCH(bool, run);
        QFETCH(QString, typed);
        QFETCH(QByteArray, expected);
        h.memo(3)->clear();
        if (run) {
            createPage();
        }
        if (!typed.isEmpty()) {
            h.memo(3)->setPlainText(typed);
        }
        // Saved twice under a name with no extension: used as typed, and
        // overwritten without a question.
        writeFile(path("abc"), "something older and longer than the page itself");
        clickWith(4, path("abc"));
        clickWith(4, path("abc"));
        QCOMPARE(readFile(path("abc")), expected.toStdString());
        QVERIFY(h.boxes.empty());
        QCOMPARE(dirEntries(), QStringList{QStringLiteral("abc")});
    }

    void saveKeepsPermissionsAndWritesThroughALink() {
        writeFile(path("real.html"), "old");
        QFile::setPermissions(path("real.html"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QVERIFY(QFile::link(path("real.html"), path("link.html")));
        h.memo(3)->setPlainText(QStringLiteral("new"));
        clickWith(4, path("link.html"));
        QCOMPARE(readFile(path("real.html")), std::string("new"));
        QVERIFY(QFileInfo(path("link.html")).isSymLink());
        QCOMPARE(QFile::permissions(path("real.html")), QFile::ReadOwner | QFile::WriteOwner |
                                                            QFile::ReadUser | QFile::WriteUser |
                                                            QFile::ReadGroup);
    }

    void aFileThatCannotBeCreatedSaysSo_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("no such folder") << QStringLiteral("nowhere/page.html");
        QTest::newRow("a folder") << QStringLiteral("folder");
    }
    void aFileThatCannotBeCreatedSaysSo() {
        QFETCH(QString, name);
        QDir(dir->path()).mkdir(QStringLiteral("folder"));
        h.memo(3)->setPlainText(QStringLiteral("page"));
        clickWith(4, path(name));
        QCOMPARE(onlyErrorBox(), QStringLiteral("ﾌｧｲﾙ %1 を作成できません.").arg(path(name)));
        QCOMPARE(dirEntries(), QStringList{QStringLiteral("folder")});
    }

    void aShortWriteKeepsTheEarlierFileWhole() {
        createPage();  // about 23 kB: one write, larger than any buffer
        const std::string earlier = "<HTML>the earlier page</HTML>\r\n";
        writeFile(path("page.html"), earlier);
        {
            const FileSizeLimit fullDisk(4096);
            clickWith(4, path("page.html"));
        }
        QCOMPARE(onlyErrorBox(), QStringLiteral("ｽﾄﾘｰﾑへの書き込みｴﾗｰ."));
        QCOMPARE(readFile(path("page.html")), earlier);
        QCOMPARE(dirEntries(), QStringList{QStringLiteral("page.html")});

        // A small text that fits the buffer fails only when flushed.
        h.memo(3)->setPlainText(QString(6000, QLatin1Char('x')));
        {
            const FileSizeLimit fullDisk(1000);
            clickWith(4, path("page.html"));
        }
        QCOMPARE(onlyErrorBox(), QStringLiteral("ｽﾄﾘｰﾑへの書き込みｴﾗｰ."));
        QCOMPARE(readFile(path("page.html")), earlier);
        QCOMPARE(dirEntries(), QStringList{QStringLiteral("page.html")});
    }

    // While a load or save waits for a slow disk, a lease or a stalled
    // reader, the window goes on answering, with its commands disabled.
    void fileWaitsLeaveTheWindowLive_data() {
        QTest::addColumn<QString>("wait");
        QTest::addColumn<int>("button");
        QTest::newRow("save to a slow disk") << QStringLiteral("slow disk") << 4;
        QTest::newRow("save over a read lease") << QStringLiteral("read lease") << 4;
        QTest::newRow("load under a write lease") << QStringLiteral("write lease") << 1;
    }
    void fileWaitsLeaveTheWindowLive() {
        QFETCH(QString, wait);
        QFETCH(int, button);
        const QString file = path(button == 1 ? "serials.txt" : "page.html");
        writeFile(file, "001\r\n");
        h.memo(3)->setPlainText(QStringLiteral("page"));
        if (wait == QStringLiteral("slow disk")) {
            testing::duringFlush = testing::slowDisk(std::chrono::milliseconds(400));
        } else if (!holdLease(file, wait == QStringLiteral("read lease") ? F_RDLCK : F_WRLCK,
                              400)) {
            QSKIP("this file system takes no leases");
        }
        bool answeredWhileWaiting = false;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            if (!h.form->idle()) {
                answeredWhileWaiting = true;
                QVERIFY(!h.button(3)->isEnabled());
            }
        });
        probe.start(20);
        clickWith(button, file);
        testing::duringFlush = nullptr;
        ::wait(nullptr);
        QVERIFY(answeredWhileWaiting);
        QVERIFY(h.boxes.empty());
        QCOMPARE(h.paneBytes(button == 1 ? 1 : 3), std::string(button == 1 ? "001\r\n" : "page"));
        QCOMPARE(readFile(file), std::string(button == 1 ? "001\r\n" : "page"));
        QVERIFY(h.button(3)->isEnabled());
    }

    // Closing the window while a save waits ends it once the page is saved.
    void closingWaitsForASaveUnderWay() {
        h.memo(3)->setPlainText(QStringLiteral("page"));
        testing::duringFlush = testing::slowDisk(std::chrono::milliseconds(300));
        QTimer::singleShot(50, h.form.get(), [this] { h.form->close(); });
        h.fileAnswers.emplace_back(path("page.html"));
        h.click(4);
        QVERIFY(h.form->isVisible());
        QTRY_VERIFY(!h.form->isVisible());
        testing::duringFlush = nullptr;
        QCOMPARE(readFile(path("page.html")), std::string("page"));
    }

    void aDroppedFileLoadsLikeTheLoadCommand() {
        writeFile(path("results.txt"), "01 02 03 04 05 06 07\n43 42 41 40 39 38 01");
        dropOnto(2, {QUrl::fromLocalFile(path("results.txt"))});
        QCOMPARE(h.paneBytes(2), std::string("01 02 03 04 05 06 07\r\n43 42 41 40 39 38 01"));

        const std::string results = h.paneBytes(2);  // two files: neither is loaded nor inserted
        dropOnto(2, {QUrl::fromLocalFile(path("results.txt")), QUrl::fromLocalFile(path("a.txt"))});
        QCOMPARE(h.paneBytes(2), results);

        dropOnto(1, {QUrl::fromLocalFile(path("missing.txt"))});
        QCOMPARE(onlyErrorBox(), QStringLiteral("ﾌｧｲﾙ %1 は開けません.").arg(path("missing.txt")));

        // A name that is not UTF-8 loads that very file, by its bytes; Qt's
        // reading of it, U+FFFD for each such byte, names another file.
        const QString misread = path(QStringLiteral("\uFFFD\uFFFD.txt"));
        writeFile(misread, "001");
        const std::string bytesName =
            QFile::encodeName(dir->path()).toStdString() + "/\xFF\xFE.txt";
        std::ofstream(bytesName, std::ios::binary) << "002";
        const QUrl dropped(QUrl::fromLocalFile(dir->path()).toString() + "/%FF%FE.txt");
        dropOnto(1, {dropped});
        QCOMPARE(h.paneBytes(1), std::string("002"));
        ::unlink(bytesName.c_str());
        dropOnto(1, {dropped});
        QCOMPARE(h.paneBytes(1), std::string("002"));
        QCOMPARE(onlyErrorBox(), QStringLiteral("ﾌｧｲﾙ %1 は開けません.").arg(misread));
        // Two drops in one turn of the event loop: the first is loaded.
        dropOnto(2, {QUrl::fromLocalFile(path("results.txt"))}, false);
        dropOnto(1, {QUrl::fromLocalFile(path("results.txt"))});
        QVERIFY(h.waitForIdle());
        QCOMPARE(h.paneBytes(1), std::string("002"));
        // A NUL ends no name: a name holding one is no file, not the file
        // its start names.
        dropOnto(1, {QUrl(QUrl::fromLocalFile(path("results.txt")).toString() + "%00.txt")});
        QCOMPARE(h.paneBytes(1), std::string("002"));
        QVERIFY(onlyErrorBox().endsWith(QStringLiteral(" は開けません.")));

        // Refused while a run is pending, like the buttons.
        h.fillTenDraws();
        h.click(3);
        QVERIFY(h.form->run().running());
        dropOnto(1, {QUrl::fromLocalFile(path("results.txt"))});
        QCOMPARE(h.paneBytes(1), std::string(testing::kSerials));
        QVERIFY(h.waitForRunEnd());
        QCOMPARE(h.status(), QString());
    }
};

QTEST_MAIN(FileTest)
#include "file_commands_test.moc"
