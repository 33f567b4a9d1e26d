// Times the real window offscreen: start-up from process start to the window
// shown, the click on 作成 to the page standing in Memo3 over N runs on real
// 1 ms triggers, and the worst entries into a pane (loaded, dropped, pasted,
// typed, committed by an input method, entered by an assistive tool) from
// every state a pane can be in. Prints medians and worst times, and peak
// memory.
//   window_bench [runs]        (QT_QPA_PLATFORM=offscreen is set for you)
#include <QAbstractEventDispatcher>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "memo_pane.h"
#include "qstring_cp932.h"
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

// Until the event loop has nothing left to do: posted events, paints,
// timers due.
void settle() {
    QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance();
    for (;;) {
        QCoreApplication::sendPostedEvents();
        if (!loop->processEvents(QEventLoop::AllEvents)) {
            QCoreApplication::sendPostedEvents();
            if (!loop->processEvents(QEventLoop::AllEvents)) {
                return;
            }
        }
    }
}

constexpr auto kLimit = static_cast<qsizetype>(numerlo::kPaneLimitBytes);

// The states a pane can be in, each with what puts the pane in it.
struct State {
    const char* name;
    std::function<void(numerlo::MemoPane&)> enter;
};

// Text as a pane holds it: stand-ins for a byte CP932 cannot read alone,
// slower to lay out than any character.
QString unreadable(qsizetype length) {
    return {length, QChar(numerlo::kStandInBase + 0xFD)};
}

// The most text of `unreadable` bytes the pane takes in one entry now, or a
// whole limit of it, refused, when it is full.
QString mostThatFits(const numerlo::MemoPane& pane) {
    const auto room = kLimit - static_cast<qsizetype>(pane.bytes().size());
    return unreadable(room > 0 ? room : kLimit);
}

void sendDrop(numerlo::MemoPane& pane, QMimeData& mime) {
    const QPoint at = pane.cursorRect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pane.viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pane.viewport(), &move);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pane.viewport(), &drop);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile out(path);
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    out.write(bytes);
}

// One way in: `prepare` runs untimed once the pane is in its state, `enter`
// is timed until the window is idle again.
struct Entry {
    std::string name;
    std::function<void(numerlo::MemoPane&)> prepare;
    std::function<void(numerlo::MemoPane&)> enter;
};

struct Row {
    std::string name;
    std::vector<std::vector<double>> ms;  // per state, per run
};

std::vector<Entry> entries(numerlo::TForm1& form, const QString& dir) {
    const auto load = [&form](const QString& file) {
        return [&form, file](numerlo::MemoPane&) {
            form.loadPane(numerlo::InputPane::Memo1, file);
            while (!form.idle()) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
        };
    };
    const auto file = [&dir](const char* name, const QByteArray& bytes) {
        QString path = dir + u'/' + QLatin1String(name);
        writeFile(path, bytes);
        return path;
    };
    const QString digits = file("digits.txt", QByteArray(kLimit, '7'));
    const QString bytesFd = file("fd.txt", QByteArray(kLimit, '\xfd'));
    const QString bytes01 = file("01.txt", QByteArray(kLimit, '\x01'));
    const QString lines = file("lines.txt", QByteArray("001\r\n").repeated(kLimit / 5));
    const auto nothing = [](numerlo::MemoPane&) {};
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        return [k, mods](numerlo::MemoPane& pane) { QTest::keyClick(&pane, k, mods); };
    };
    const auto commit = [](numerlo::MemoPane& pane, const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(&pane, &event);
    };
    const auto assistive = [](numerlo::MemoPane& pane, const QString& text) {
        QAccessible::queryAccessibleInterface(&pane)->editableTextInterface()->insertText(
            pane.textCursor().position(), text);
    };
    return {
        {"load: 64 KiB of one digit", nothing, load(digits)},
        {"load: 64 KiB of unreadable bytes (FD)", nothing, load(bytesFd)},
        {"load: 64 KiB of control bytes (01)", nothing, load(bytes01)},
        {"load: 64 KiB of serial lines", nothing, load(lines)},
        {"drop: file of 64 KiB unreadable bytes", nothing,
         [&form, bytesFd](numerlo::MemoPane& pane) {
             QMimeData mime;
             mime.setUrls({QUrl::fromLocalFile(bytesFd)});
             sendDrop(pane, mime);
             do {
                 QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
             } while (!form.idle());
         }},
        {"paste: 64 KiB more (refused unless cleared)",
         [](numerlo::MemoPane&) { QGuiApplication::clipboard()->setText(unreadable(kLimit)); },
         key(Qt::Key_V, Qt::ControlModifier)},
        {"paste: most unreadable text that fits",
         [](numerlo::MemoPane& pane) { QGuiApplication::clipboard()->setText(mostThatFits(pane)); },
         key(Qt::Key_V, Qt::ControlModifier)},
        {"drop: most unreadable text that fits", nothing,
         [](numerlo::MemoPane& pane) {
             QMimeData mime;
             mime.setText(mostThatFits(pane));
             sendDrop(pane, mime);
         }},
        {"input method: most unreadable text that fits", nothing,
         [commit](numerlo::MemoPane& pane) { commit(pane, mostThatFits(pane)); }},
        {"assistive tool: most unreadable text that fits", nothing,
         [assistive](numerlo::MemoPane& pane) { assistive(pane, mostThatFits(pane)); }},
        {"key 7 into the longest line", nothing, key(Qt::Key_7)},
        {"key Ctrl+Shift ZWNJ into the longest line", nothing,
         [](numerlo::MemoPane& pane) {
             QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown,
                             Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("\u200C"));
             QCoreApplication::sendEvent(&pane, &press);
         }},
        {"key Delete in the longest line", nothing, key(Qt::Key_Delete)},
        {"key Enter in the longest line", nothing, key(Qt::Key_Return)},
        {"undo of a key in the longest line", key(Qt::Key_7), key(Qt::Key_Z, Qt::ControlModifier)},
        {"input method: one character into it", nothing,
         [commit](numerlo::MemoPane& pane) { commit(pane, QStringLiteral("\u56DE")); }},
        {"assistive tool: one character into it", nothing,
         [assistive](numerlo::MemoPane& pane) { assistive(pane, QStringLiteral("7")); }},
        {"key 7 into the pane filled up (refused)",
         [](numerlo::MemoPane& pane) { pane.insertPlainText(mostThatFits(pane)); }, key(Qt::Key_7)},
    };
}

std::vector<Row> paneEntries(numerlo::TForm1& form, numerlo::MemoPane& pane, int runs) {
    // The long states leave room for a few characters more.
    const QString startUpText = pane.toPlainText();
    constexpr std::size_t kRoom = 64;
    const std::string stretch(numerlo::kPaneLimitBytes - kRoom, '\xfd');
    std::string serials;
    while (serials.size() + 5 <= numerlo::kPaneLimitBytes - kRoom) {
        serials += "001\r\n";
    }
    const State states[] = {
        {"start-up text", [startUpText](numerlo::MemoPane& p) { p.setPlainText(startUpText); }},
        {"cleared", [](numerlo::MemoPane& p) { p.clear(); }},
        {"64 KiB stretch", [stretch](numerlo::MemoPane& p) { p.setBytes(stretch); }},
        {"64 KiB of lines", [serials](numerlo::MemoPane& p) { p.setBytes(serials); }},
    };
    QTemporaryDir dir;
    std::vector<Row> rows;
    for (const Entry& entry : entries(form, dir.path())) {
        Row row{entry.name, {}};
        for (const State& state : states) {
            std::vector<double> ms;
            for (int i = 0; i < runs; ++i) {
                state.enter(pane);
                pane.setFocus();
                // The cursor in the middle of the longest line.
                QTextCursor middle(pane.document());
                middle.setPosition(pane.document()->characterCount() / 2);
                pane.setTextCursor(middle);
                settle();
                entry.prepare(pane);
                settle();
                QElapsedTimer clock;
                clock.start();
                entry.enter(pane);
                settle();
                ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            }
            row.ms.push_back(ms);
        }
        rows.push_back(row);
    }
    return rows;
}

void reportEntries(const std::vector<Row>& rows, int runs) {
    std::printf("Entries into the serial pane, ms until the window is idle, median / max of %d:\n",
                runs);
    std::printf("%-46s %15s %15s %15s %15s\n", "", "start-up text", "cleared", "64 KiB stretch",
                "64 KiB of lines");
    std::vector<double> worst(4, 0.0);
    for (const Row& row : rows) {
        std::printf("%-46s", row.name.c_str());
        for (std::size_t s = 0; s < row.ms.size(); ++s) {
            std::vector<double> ms = row.ms[s];
            std::sort(ms.begin(), ms.end());
            std::printf("  %6.1f / %6.1f", ms[ms.size() / 2], ms.back());
            worst[s] = std::max(worst[s], ms.back());
        }
        std::printf("\n");
    }
    std::printf("%-46s", "worst entry");
    for (const double ms : worst) {
        std::printf("  %15.1f", ms);
    }
    std::printf("\n");
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

    // The worst entries into the serial pane (the narrowest) from each state
    // it can be in, timed until the event loop has nothing left to do: the
    // pane laid out and painted, any refusal's box answered.
    auto* memo1 = form.findChild<numerlo::MemoPane*>(QStringLiteral("Memo1"));
    const std::vector<Row> rows = paneEntries(form, *memo1, runs);

    // The output pane does not wrap; a whole limit of one line.
    std::vector<double> outputMs;
    {
        auto* memo3pane = form.findChild<numerlo::MemoPane*>(QStringLiteral("Memo3"));
        QGuiApplication::clipboard()->setText(QString(kLimit, u'7'));
        for (int i = 0; i < runs; ++i) {
            memo3pane->clear();
            settle();
            QElapsedTimer clock;
            clock.start();
            QTest::keyClick(memo3pane, Qt::Key_V, Qt::ControlModifier);
            settle();
            outputMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
    }

    report("start-up to window shown", startUp);
    report("create click to page shown", runMs);
    report("bare chain of 42 1 ms timers", bareChain);
    reportEntries(rows, runs);
    report("output pane: paste of one 64 KiB line", outputMs);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-28s %7.1f MB\n", "peak memory (this process)",
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
