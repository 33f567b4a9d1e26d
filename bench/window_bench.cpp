// Times the real window offscreen: start-up from process start to the window
// shown, and the click on 作成 to the page standing in Memo3, over N runs on
// real 1 ms triggers. Prints median and 95th percentile, and peak memory.
//   window_bench [runs]        (QT_QPA_PLATFORM=offscreen is set for you)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "memo_pane.h"
#include "pane_text.h"
#include "text_files.h"
#include "tform1.h"

namespace {

constexpr const char* kSerials = "001\n002\n003\n004\n005\n006\n007\n008\n009\n010";
constexpr const char* kResults =
    "01 02 03 04 05 06 07\n43 42 41 40 39 38 01\n05 12 19 27 33 41 22\n08 14 15 23 36 42 09\n"
    "02 11 17 28 30 39 43\n03 09 10 21 34 40 18\n06 13 24 25 31 37 20\n07 16 26 29 35 38 04\n"
    "04 18 20 32 41 43 11\n10 19 22 23 30 33 01";

void report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    std::printf("%-28s median %7.2f ms   p95 %7.2f ms   (n=%zu)\n", what, median, p95, ms.size());
}

int showAndQuit() {
    numerlo::TForm1 form(QStringLiteral("numerlo"));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        return 1;
    }
    std::puts("shown");
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("--show-and-quit"))) {
        return showAndQuit();
    }
    const int runs = args.size() > 1 ? std::max(1, args[1].toInt()) : 50;

    std::vector<double> startUp;
    for (int i = 0; i < 20; ++i) {
        QProcess child;
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--show-and-quit")});
        if (!child.waitForReadyRead(10000)) {
            std::fprintf(stderr, "start-up child did not answer\n");
            return 1;
        }
        startUp.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        child.waitForFinished();
    }

    // The floor: 42 bare one-shot 1 ms timers, each armed by the last.
    std::vector<double> bareChain;
    for (int i = 0; i < runs; ++i) {
        std::vector<std::unique_ptr<QTimer>> timers;
        int fired = 0;
        for (int k = 0; k < numerlo::kStageCount; ++k) {
            auto timer = std::make_unique<QTimer>();
            timer->setInterval(1);
            timer->setTimerType(Qt::PreciseTimer);
            QObject::connect(timer.get(), &QTimer::timeout, [&timers, &fired, k] {
                timers[static_cast<std::size_t>(k)]->stop();
                ++fired;
                if (k + 1 < numerlo::kStageCount) {
                    timers[static_cast<std::size_t>(k) + 1]->start();
                }
            });
            timers.push_back(std::move(timer));
        }
        QElapsedTimer clock;
        clock.start();
        timers[0]->start();
        while (fired < numerlo::kStageCount) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        bareChain.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }

    numerlo::TForm1 form(QStringLiteral("numerlo"));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        return 1;
    }
    form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->setPlainText(kSerials);
    form.findChild<QPlainTextEdit*>(QStringLiteral("Memo2"))->setPlainText(kResults);
    auto* create = form.findChild<QPushButton*>(QStringLiteral("Button3"));
    auto* memo3 = form.findChild<QPlainTextEdit*>(QStringLiteral("Memo3"));

    std::vector<double> runMs;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        create->click();
        while (form.run().running()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        runMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (!memo3->toPlainText().endsWith(QStringLiteral("</HTML>\n"))) {
            std::fprintf(stderr, "run %d did not end with the page\n", i);
            return 1;
        }
    }

    // Loading a file at the pane's size limit, until the pane has been laid
    // out and painted: one long line that wraps, and many short lines.
    QTemporaryDir dir;
    std::vector<double> loadLong;
    std::vector<double> loadLines;
    for (const bool longLine : {true, false}) {
        QByteArray bytes;
        if (longLine) {
            bytes = QByteArray(static_cast<qsizetype>(numerlo::kPaneLimitBytes), '7');
        } else {
            const QByteArray line = "01 02 03 04 05 06 07\r\n";
            while (bytes.size() + line.size() <= static_cast<qsizetype>(numerlo::kPaneLimitBytes)) {
                bytes += line;
            }
        }
        QFile file(dir.filePath(QStringLiteral("limit.txt")));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.close();
        for (int i = 0; i < 10; ++i) {
            QElapsedTimer clock;
            clock.start();
            form.loadPane(numerlo::InputPane::Memo1, file.fileName());
            form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->repaint();
            (longLine ? loadLong : loadLines)
                .push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            (void)form.readPaneLine(numerlo::InputPane::Memo1, 9);
        }
    }

    report("start-up to window shown", startUp);
    report("create click to page shown", runMs);
    report("bare chain of 42 1 ms timers", bareChain);
    report("load at limit, one long line", loadLong);
    report("load at limit, short lines", loadLines);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-28s %7.1f MB\n", "peak memory (this process)",
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
