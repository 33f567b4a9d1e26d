// The program as it starts and ends: its title, and a clean end when the
// session asks it to stop in the middle of a save.
#include <QApplication>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

// The window with its page saved to `path` through 保存 on a slow disk, and
// SIGTERM sent while the save waits for the disk. Returns the exit code.
int saveThenStop(const QString& path) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "numerlo";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    numerlo::TForm1 form(QStringLiteral("numerlo"));
    numerlo::quitOnTerminationSignals(form);
    form.setModalRunner([&path](QDialog& dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            files->selectFile(path);
        }
        return int{QDialog::Accepted};
    });
    form.findChild<QPlainTextEdit*>(QStringLiteral("Memo3"))->setPlainText(QStringLiteral("page"));
    form.show();
    numerlo::testing::duringFlush = numerlo::testing::slowDisk(std::chrono::milliseconds(400));
    QTimer::singleShot(0, &form, [&form] {
        form.findChild<QPushButton*>(QStringLiteral("Button4"))->click();
        QTimer::singleShot(100, [] { ::kill(::getpid(), SIGTERM); });
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
            ::_exit(saveThenStop(page));
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        std::ifstream in(page.toStdString(), std::ios::binary);
        QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), std::string("page"));
    }
};

QTEST_APPLESS_MAIN(AppTest)
#include "app_test.moc"
