// numerlo-page run as a program: its page is the window's saved page for
// the same files, wrapped lines included; its CSV pages are the window's
// pages of the same draws; every fault has its exit status and message, and
// leaves the -o file and the folder as they were.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <fstream>
#include <utility>

#include "window/window_harness.h"

using namespace numerlo;
using namespace numerlo::testing;

namespace {

struct Ran {
    int exit = -1;
    QByteArray out;
    QString err;
};

// The program (or `command`) in `folder` with a terminal in `locale`.
Ran runProgram(const QString& folder, const QStringList& arguments,
               const QString& locale = QStringLiteral("C.UTF-8"),
               const QString& command = QStringLiteral(NUMERLO_PAGE_PROGRAM)) {
    QProcess program;
    program.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    program.setProcessEnvironment(env);
    program.start(command, arguments);
    if (!program.waitForFinished(30000) || program.exitStatus() != QProcess::NormalExit) {
        return {};
    }
    return {program.exitCode(), program.readAllStandardOutput(),
            QString::fromUtf8(program.readAllStandardError())};
}

// Draws 1..`count` as published: draws 1..10 are the example draws, every
// later one is draw 1's numbers; `bad` (if any) repeats a number.
std::string history(int count, int bad = 0) {
    const std::vector<std::string> results = testing::splitLines(testing::kResults);
    std::string csv = "開催回,日付,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,BONUS数字\r\n";
    for (int n = 1; n <= count; ++n) {
        std::string line = n <= 10 ? results[static_cast<std::size_t>(n - 1)] : results[0];
        if (n == bad) {
            line.replace(0, 2, line.substr(3, 2));
        }
        for (char& c : line) {
            c = c == ' ' ? ',' : c;
        }
        csv += std::to_string(n) + ",2000/10/5," + line + "\r\n";
    }
    return csv;
}

}  // namespace

class PageTest : public QObject, testing::WindowTestBase {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;

    [[nodiscard]] QString path(const QString& name) const { return dir->filePath(name); }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() {
        h.stop();
        dir.reset();
    }

    void theProgramSavesTheWindowsPageForTheSameFiles() {
        QVERIFY(h.start());
        // A serial line too wide for its pane fills three lines there, one
        // more wraps at its blank, a NUL ends the text, and a byte CP932
        // cannot read stands in.
        using std::string_literals::operator""s;
        writeFile(path("serials.txt"),
                  "00100200300400500600\n007 0080\n009\xff\r\n010\n011\n012\n013\0 014\n"s);
        writeFile(path("results.txt"), std::string(testing::kResults) + "\n");
        clickWith(1, path("serials.txt"));
        clickWith(2, path("results.txt"));
        QVERIFY(h.boxes.empty());
        QVERIFY(h.form->readPaneLine(InputPane::Memo1, 1).size() < 20);  // it did wrap
        h.click(3);
        QVERIFY(h.waitForRunEnd());
        QCOMPARE(h.status(), QString());
        clickWith(4, path("window.html"));

        const Ran ran =
            runProgram(dir->path(), {QStringLiteral("-o"), QStringLiteral("page.html"),
                                     QStringLiteral("serials.txt"), QStringLiteral("results.txt")});
        QCOMPARE(ran.err, QString());
        QCOMPARE(ran.exit, 0);
        QCOMPARE(readFile(path("page.html")), readFile(path("window.html")));
    }

    void csvPagesAreTheWindowsPagesOfTheSameDraws() {
        writeFile(path("draws.csv"), history(23));
        const std::string page = testing::WindowHarness::expectedPage() + "\r\n";
        const Ran one =
            runProgram(dir->path(), {QStringLiteral("--csv"), QStringLiteral("draws.csv"),
                                     QStringLiteral("--draws"), QStringLiteral("1")});
        QCOMPARE(one.exit, 0);
        QCOMPARE(one.out.toStdString(), page);

        QDir(dir->path()).mkdir(QStringLiteral("site"));
        const Ran every =
            runProgram(dir->path(), {QStringLiteral("--csv"), QStringLiteral("draws.csv"),
                                     QStringLiteral("--every"), QStringLiteral("site")});
        QCOMPARE(every.exit, 0);
        QCOMPARE(
            every.err,
            QStringLiteral("numerlo-page: draws 21 to 23 make no page of ten yet: left out\n"));
        QCOMPARE(QDir(path(QStringLiteral("site"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("0001-0010.html"), QStringLiteral("0011-0020.html")}));
        QCOMPARE(readFile(path(QStringLiteral("site/0001-0010.html"))), page);

        // --home, and the latest ten without --draws.
        const Ran latest = runProgram(
            dir->path(), {QStringLiteral("--csv"), QStringLiteral("draws.csv"),
                          QStringLiteral("--home"), QStringLiteral("https://my.site/loto6/")});
        QCOMPARE(latest.exit, 0);
        QVERIFY(latest.out.contains("<b>014</b>") && latest.out.contains("<b>023</b>") &&
                !latest.out.contains("<b>013</b>"));
        QVERIFY(latest.out.contains("<A HREF = \"https://my.site/loto6/\">"));
    }

    void faultsHaveTheirStatusAndLeaveEverythingAsItWas_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("message");
        const QString csv = QStringLiteral("draws.csv");
        QTest::newRow("unreadable file")
            << QStringList{QStringLiteral("none.txt"), csv} << 2
            << QStringLiteral("numerlo-page: none.txt: cannot be read");
        QTest::newRow("CSV fault")
            << QStringList{QStringLiteral("--csv"), QStringLiteral("bad.csv")} << 2
            << QStringLiteral(
                   "numerlo-page: bad.csv: line 3, column 3: 第1数字 \"44\" is not a number from 1 "
                   "to 43");
        QTest::newRow("--draws past the last")
            << QStringList{QStringLiteral("--csv"), csv, QStringLiteral("--draws"),
                           QStringLiteral("24")}
            << 2 << QStringLiteral("numerlo-page: draws.csv: --draws 24 is past the last draw, 23");
        QTest::newRow("--draws not a number")
            << QStringList{QStringLiteral("--csv"), csv, QStringLiteral("--draws"),
                           QStringLiteral("1x")}
            << 2 << QStringLiteral("numerlo-page: --draws takes the number of a draw, from 1");
        QTest::newRow("a draw missing")
            << QStringList{QStringLiteral("--csv"), csv, QStringLiteral("--draws"),
                           QStringLiteral("20")}
            << 2
            << QStringLiteral(
                   "numerlo-page: draws.csv: has no draw 24 (draws 20 to 29 are needed)");
        QTest::newRow("two modes")
            << QStringList{QStringLiteral("--csv"), csv, csv} << 2
            << QStringLiteral("numerlo-page: --csv takes no SERIALS or RESULTS files");
        QTest::newRow("two CSVs") << QStringList{QStringLiteral("--csv"), csv,
                                                 QStringLiteral("--csv"), QStringLiteral("bad.csv")}
                                  << 2
                                  << QStringLiteral("numerlo-page: --csv is given more than once");
        QTest::newRow("one of Qt's options")
            << QStringList{QStringLiteral("-platform"), QStringLiteral("none")} << 2
            << QStringLiteral("numerlo-page: Unknown options: p, l, a, t, f.");
        QTest::newRow("--every to a file")
            << QStringList{QStringLiteral("--csv"), csv, QStringLiteral("--every"),
                           QStringLiteral("old.html")}
            << 2 << QStringLiteral("numerlo-page: old.html: is not a folder");
        QTest::newRow("a check fails")
            << QStringList{QStringLiteral("--csv"), QStringLiteral("twice.csv")} << 1
            << QStringLiteral(
                   "numerlo-page: 本数字、Ｂ数字は７種類の異なった数字を入力して下さい。");
    }
    void faultsHaveTheirStatusAndLeaveEverythingAsItWas() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exit);
        QFETCH(QString, message);
        writeFile(path("draws.csv"), history(23));
        std::string bad = history(3);
        bad.replace(bad.find(",43,"), 4, ",44,");
        writeFile(path("bad.csv"), bad);
        writeFile(path("twice.csv"), history(15, 12));
        writeFile(path("old.html"), "old");
        const QStringList before = QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden);
        if (!arguments.contains(QStringLiteral("--every"))) {
            arguments.prepend(QStringLiteral("old.html"));
            arguments.prepend(QStringLiteral("-o"));
        }
        const Ran ran = runProgram(dir->path(), arguments);
        QCOMPARE(ran.err, message + QLatin1Char('\n'));
        QCOMPARE(ran.exit, exit);
        QCOMPARE(ran.out, QByteArray());
        QCOMPARE(readFile(path("old.html")), std::string("old"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    void aTerminalWithoutJapaneseShowsAQuestionMarkACharacter() {
        writeFile(path("twice.csv"), history(15, 12));
        const Ran ran =
            runProgram(dir->path(), {QStringLiteral("--csv"), QStringLiteral("twice.csv")},
                       QStringLiteral("C"));
        QCOMPARE(ran.exit, 1);
        const QString message =
            QStringLiteral("本数字、Ｂ数字は７種類の異なった数字を入力して下さい。");
        QCOMPARE(ran.err, QStringLiteral("numerlo-page: ") + QString(message.size(), u'?') + u'\n');
        const Ran help = runProgram(dir->path(), {QStringLiteral("--help")}, QStringLiteral("C"));
        QVERIFY2(help.out.contains("page (\?\?\?) of ten \?\?6 draws"), help.out.constData());
    }

    void fileNamesThatAreNotUtf8AreKeptAsTheyAre() {
        // 日付.csv and 日付.html named in CP932; the shell hands over the bytes.
        const std::string csv = dir->path().toStdString() + "/\x93\xfa.csv";
        const std::string page = dir->path().toStdString() + "/\x93\xfa.html";
        std::ofstream(csv) << history(10);
        const Ran ran =
            runProgram(dir->path(),
                       {QStringLiteral("-c"),
                        QStringLiteral("exec \"$0\" --csv \"$(printf '\\223\\372.csv')\" -o "
                                       "\"$(printf '\\223\\372.html')\""),
                        QStringLiteral(NUMERLO_PAGE_PROGRAM)},
                       QStringLiteral("C.UTF-8"), QStringLiteral("/bin/sh"));
        const bool saved = std::ifstream(page).good();
        std::remove(csv.c_str());  // QTemporaryDir takes only UTF-8 names
        std::remove(page.c_str());
        QCOMPARE(ran.err, QString());
        QCOMPARE(ran.exit, 0);
        QVERIFY(saved);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList());
    }

    void everyPageButTheFaultyOnesIsMade() {
        writeFile(path("draws.csv"), history(30, 15));
        QDir(dir->path()).mkdir(QStringLiteral("site"));
        const Ran ran =
            runProgram(dir->path(), {QStringLiteral("--csv"), QStringLiteral("draws.csv"),
                                     QStringLiteral("--every"), QStringLiteral("site")});
        QCOMPARE(ran.exit, 1);
        QCOMPARE(ran.err,
                 QStringLiteral("numerlo-page: draws 0011-0020: "
                                "本数字、Ｂ数字は７種類の異なった数字を入力して下さい。\n"));
        QCOMPARE(QDir(path(QStringLiteral("site"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("0001-0010.html"), QStringLiteral("0021-0030.html")}));
    }
};

QTEST_MAIN(PageTest)
#include "page_test.moc"
