// Times the real window offscreen: start-up from process start to the window
// shown, the click on 作成 to the page standing in Memo3 over N runs on real
// 1 ms triggers, and the worst text a pane can be given, loaded, pasted or
// typed. Prints median and 95th percentile, and peak memory.
//   window_bench [runs]        (QT_QPA_PLATFORM=offscreen is set for you)
#include <QApplication>
#include <QClipboard>
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
    std::printf("%-46s median %7.2f ms   p95 %7.2f ms   (n=%zu)\n", what, median, p95, ms.size());
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
    form.setModalRunner([](QDialog&) { return int{QDialog::Accepted}; });  // refusals' boxes
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

    // The worst a pane may be given, through the real load command and a
    // real paste, until the serial pane (the narrowest) is laid out and
    // painted: what keeps the window busy longest.
    auto* memo1 = form.findChild<numerlo::MemoPane*>(QStringLiteral("Memo1"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("limit.txt"));
    constexpr auto limit = static_cast<qsizetype>(numerlo::kPaneLimitBytes);
    const auto stretches = [](char c) {
        // Stretches as long as a pane takes, one blank apart, to the limit.
        const QByteArray run = QByteArray(numerlo::kUnbrokenRunLimit, c) + ' ';
        return run.repeated(limit / run.size());
    };
    struct Entry {
        const char* what;
        QByteArray bytes;
    };
    const Entry entries[] = {
        {"short lines", QByteArray("01 02 03 04 05 06 07\r\n").repeated(limit / 22)},
        {"one unbroken line", QByteArray(limit, '7')},
        {"longest stretches", stretches('7')},
        {"unreadable-byte stretches", stretches('\xff')},
        {"one unbroken line of unreadable bytes", QByteArray(limit, '\xff')},
    };
    const auto laidOut = [](numerlo::MemoPane* pane) {
        (void)pane->displayedLine(1 << 30);  // lays out every line
        pane->repaint();
        QCoreApplication::processEvents();
    };
    std::vector<std::pair<std::string, std::vector<double>>> worst;
    for (const Entry& entry : entries) {
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(entry.bytes);
        out.close();
        std::vector<double> loadMs;
        std::vector<double> pasteMs;
        for (int i = 0; i < 10; ++i) {
            memo1->clear();
            QElapsedTimer clock;
            clock.start();
            form.loadPane(numerlo::InputPane::Memo1, file);
            while (!form.idle()) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
            laidOut(memo1);
            loadMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);

            memo1->clear();
            QGuiApplication::clipboard()->setText(numerlo::toPaneText(entry.bytes.toStdString()));
            clock.restart();
            QTest::keyClick(memo1, Qt::Key_V, Qt::ControlModifier);
            laidOut(memo1);
            pasteMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        worst.emplace_back(std::string("load: ") + entry.what, loadMs);
        worst.emplace_back(std::string("paste: ") + entry.what, pasteMs);
    }
    // A small file loaded over one unbroken line: the pane wraps at word
    // boundaries again only once that line is gone.
    {
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write("001\r\n002\r\n");
        out.close();
        std::vector<double> loadMs;
        for (int i = 0; i < 10; ++i) {
            memo1->setBytes(std::string(limit, '7'));
            laidOut(memo1);
            QElapsedTimer clock;
            clock.start();
            form.loadPane(numerlo::InputPane::Memo1, file);
            while (!form.idle()) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
            laidOut(memo1);
            loadMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        worst.emplace_back("load: two lines over one unbroken line", loadMs);
    }
    // A key typed at the start of the longest lines there may be: the whole
    // line is wrapped again. The last deletes the blank between two of the
    // longest stretches, which joins them into one too long to wrap at word
    // boundaries.
    const struct {
        const char* what;
        QByteArray bytes;
        Qt::Key key;
    } keys[] = {
        {"key into the longest stretches", stretches('7'), Qt::Key_Space},
        {"key into one unbroken line", QByteArray(limit - 1, '7'), Qt::Key_7},
        {"Delete joining two stretches", stretches('7'), Qt::Key_Delete},
    };
    for (const auto& typed : keys) {
        std::vector<double> keyMs;
        for (int i = 0; i < 10; ++i) {
            memo1->setBytes(typed.bytes.toStdString());
            laidOut(memo1);
            memo1->moveCursor(QTextCursor::Start);
            memo1->moveCursor(QTextCursor::NextWord);
            memo1->moveCursor(QTextCursor::Left);
            QElapsedTimer clock;
            clock.start();
            QTest::keyClick(memo1, typed.key);
            laidOut(memo1);
            keyMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        worst.emplace_back(typed.what, keyMs);
    }
    // The output pane does not wrap; a whole limit of one line.
    {
        auto* memo3pane = form.findChild<numerlo::MemoPane*>(QStringLiteral("Memo3"));
        std::vector<double> pasteMs;
        QGuiApplication::clipboard()->setText(QString(limit, u'7'));
        for (int i = 0; i < 10; ++i) {
            memo3pane->clear();
            QElapsedTimer clock;
            clock.start();
            QTest::keyClick(memo3pane, Qt::Key_V, Qt::ControlModifier);
            laidOut(memo3pane);
            pasteMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        worst.emplace_back("output pane: unbroken line", pasteMs);
    }

    report("start-up to window shown", startUp);
    report("create click to page shown", runMs);
    report("bare chain of 42 1 ms timers", bareChain);
    std::printf("Entering 64 KiB (the pane limit) into the serial pane, until laid out:\n");
    for (auto& [what, ms] : worst) {
        report(what.c_str(), ms);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-28s %7.1f MB\n", "peak memory (this process)",
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
