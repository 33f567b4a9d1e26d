// The program as it starts and ends: its title, and a clean end when the
// session asks it to stop in the middle of a save.
#include <QApplication>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>

#include "app_title.h"
#include "flush_hook.h"
#include "quit_on_signal.h"
#include "tform1.h"

namespace {

// The window with its page, `page`, saved to `path` through 保存 on a slow
// disk, and SIGTERM sent `stopAfterMs` into the save. Returns the exit code.
int saveThenStop(const QString& path, const QString& page, int stopAfterMs) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "numerlo";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    numerlo::TForm1 form(QStringLiteral("numerlo"));
    numerlo::quitOnTerminationSignals(form);
    // The file dialog is answered; a box waits as the program's would, with
    // nobody there to answer it.
    form.setModalRunner([&path](QDialog& dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            files->selectFile(path);
            return int{QDialog::Accepted};
        }
        return dialog.exec();
    });
    form.findChild<QPlainTextEdit*>(QStringLiteral("Memo3"))->setPlainText(page);
    form.show();
    numerlo::testing::duringFlush = numerlo::testing::slowDisk(std::chrono::milliseconds(400));
    QTimer::singleShot(0, &form, [&form, stopAfterMs] {
        form.findChild<QPushButton*>(QStringLiteral("Button4"))->click();
        QTimer::singleShot(stopAfterMs, [] { ::kill(::getpid(), SIGTERM); });
    });
    return QApplication::exec();
}

}  // namespace

class AppTest : public QObject {
    Q_OBJECT

  private slots:
    void titleIsTheProgramFileStem() {
        using numerlo::applicationTitle;
        QCOMPARE(applicationTitle(QStringLiteral("numerlo")), QStringLiteral("numerlo"));
        QCOMPARE(applicationTitle(QStringLiteral("NUMERLO.EXE")), QStringLiteral("Numerlo"));
        QCOMPARE(applicationTitle(QStringLiteral("my.tool.bin")), QStringLiteral("my"));
    }

    // SIGTERM while a save waits ends the program cleanly once the page is
    // saved whole.
    void stoppedDuringASaveEndsOnceItIsSaved() {
        const QTemporaryDir dir;
        const QString page = dir.filePath(QStringLiteral("page.html"));
        const pid_t child = ::fork();
        if (child == 0) {
            ::_exit(saveThenStop(page, QStringLiteral("page"), 100));
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        std::ifstream in(page.toStdString(), std::ios::binary);
        QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), std::string("page"));
    }

    // SIGTERM while a save waits on a pipe read slowly (one 4 KiB page each
    // half second: 50 s for this page) ends the program once the stream has
    // had its usual patience, 2 s, not once the reader is done.
    void stoppedWhileAPipeIsReadSlowlyEndsAfterItsPatience() {
        using std::chrono::steady_clock;
        const QTemporaryDir dir;
        const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("pipe")));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0 && ::fcntl(reader, F_SETPIPE_SZ, 4096) >= 0);
        const auto start = steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(reader);
            ::_exit(
                saveThenStop(QFile::decodeName(fifo), QString(qsizetype{400} * 1024, u'7'), 1000));
        }
        int status = 0;
        pid_t ended = 0;
        while ((ended = ::waitpid(child, &status, WNOHANG)) == 0 &&
               steady_clock::now() - start < std::chrono::seconds(15)) {
            char page[4096];
            [[maybe_unused]] const auto got = ::read(reader, page, sizeof page);
            QTest::qSleep(500);
        }
        const auto took = steady_clock::now() - start;
        if (ended == 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
        }
        ::close(reader);
        QCOMPARE(ended, child);
        // Start-up, 1 s to the signal, 2 s of patience, and some to spare.
        QVERIFY(took < std::chrono::seconds(10));
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }
};

QTEST_APPLESS_MAIN(AppTest)
#include "app_test.moc"
