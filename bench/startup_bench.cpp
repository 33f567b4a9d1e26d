// Start-up time and resident memory of the Numerlo window against a bare Qt
// window with the same font, one pane and one button, side by side in one
// run. Under a real X server: the one in DISPLAY, or an Xvfb started here if
// there is one; offscreen otherwise.
//   startup_bench [rounds]
// Each round starts both programs (this binary in another role) in turn and
// times process start to the window exposed, then reads the process's
// resident memory once it has settled.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app_title.h"
#include "pane_lines.h"
#include "tform1.h"

namespace {

// One window, shown, then held until the driver has read its memory.
int showWindow(bool bare) {
    int argc = 1;
    char name[] = "numerlo";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QTranslator qtTexts;  // as the program does
    if (!bare && qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qtTexts);
    }
    QWidget* window = nullptr;
    if (bare) {
        QFont::insertSubstitution(numerlo::lines::kFontFamily, numerlo::lines::kStandInFamily);
        QFont font(numerlo::lines::kFontFamily);
        font.setPixelSize(12);
        window = new QWidget;
        window->setFont(font);
        window->resize(565, 321);
        (new QPlainTextEdit(window))->setGeometry(8, 8, 49, 137);
        (new QPushButton(QStringLiteral("作成"), window))->setGeometry(8, 208, 89, 25);
    } else {
        window = new numerlo::TForm1(numerlo::applicationTitle(QStringLiteral("numerlo")));
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) {
        return 1;
    }
    std::puts("shown");
    std::fflush(stdout);
    QTest::qWait(300);  // let it settle as an idle window would
    std::puts("settled");
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    delete window;
    return 0;
}

double residentMb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Starts an Xvfb of our own if no display is given and one is installed.
QString startXvfb(QProcess& server) {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        return {};
    }
    for (int display = 90; display < 99; ++display) {
        if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display))) {
            continue;
        }
        server.start(xvfb, {QStringLiteral(":%1").arg(display), QStringLiteral("-screen"),
                            QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        for (int wait = 0; wait < 50; ++wait) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display))) {
                return QStringLiteral(":%1").arg(display);
            }
            QThread::msleep(100);
        }
        server.kill();
        server.waitForFinished();
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::string(argv[1]) == "--bare" || std::string(argv[1]) == "--numerlo")) {
        return showWindow(std::string(argv[1]) == "--bare");
    }
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    QProcess server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString platform =
        QStringLiteral("X server %1").arg(environment.value(QStringLiteral("DISPLAY")));
    if (!environment.contains(QStringLiteral("DISPLAY"))) {
        const QString display = startXvfb(server);
        platform = display.isEmpty() ? QStringLiteral("offscreen (no X server)")
                                     : QStringLiteral("Xvfb %1").arg(display);
        if (display.isEmpty()) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            environment.insert(QStringLiteral("DISPLAY"), display);
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        }
    }

    std::vector<double> startMs[2];
    std::vector<double> memoryMb[2];
    for (int round = 0; round < rounds + 1; ++round) {  // the first round warms the caches
        for (int which = 0; which < 2; ++which) {
            QProcess child;
            child.setProcessEnvironment(environment);
            QElapsedTimer clock;
            clock.start();
            child.start(QCoreApplication::applicationFilePath(),
                        {which == 0 ? QStringLiteral("--bare") : QStringLiteral("--numerlo")});
            if (!child.waitForReadyRead(20000)) {
                std::fprintf(stderr, "the window did not show\n");
                return 1;
            }
            const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            while (!child.readAll().contains("settled") && child.waitForReadyRead(5000)) {
            }
            const double mb = residentMb(child.processId());
            child.write("\n");
            child.closeWriteChannel();
            child.waitForFinished();
            if (round > 0) {
                startMs[which].push_back(ms);
                memoryMb[which].push_back(mb);
            }
        }
    }
    server.terminate();
    server.waitForFinished();

    const double bareMs = median(startMs[0]);
    const double ourMs = median(startMs[1]);
    const double bareMb = median(memoryMb[0]);
    const double ourMb = median(memoryMb[1]);
    std::printf("Start-up and memory, %d rounds, %s (medians):\n", rounds, qPrintable(platform));
    std::printf("  bare window (same font, a pane, a button)  %7.1f ms  %6.1f MB resident\n",
                bareMs, bareMb);
    std::printf("  Numerlo window                             %7.1f ms  %6.1f MB resident\n", ourMs,
                ourMb);
    std::printf("  ratio                                      %7.2f     %6.2f\n", ourMs / bareMs,
                ourMb / bareMb);
    return 0;
}
