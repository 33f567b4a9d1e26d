#include "page_command.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QScreen>

#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "csv_draws.h"
#include "form_layout.h"
#include "headless_run.h"
#include "load.h"
#include "pane_form.h"
#include "pane_lines.h"
#include "save.h"
#include "terminal_text.h"

namespace numerlo {

namespace {

// The most of a CSV file read: twenty times the whole history so far.
constexpr std::size_t kMostCsvBytes = std::size_t{4} * 1024 * 1024;

using Lines = Table<std::string, kDraws>;

// An argument's bytes (see runPageCommand).
std::string nameOf(const QString& name) {
    return name.toLatin1().toStdString();
}

struct Options {
    std::string home = NUMERLO_HOME_URL;
    bool homeGiven = false;
    std::optional<std::string> page;  // -o
    std::optional<std::string> csv;
    std::optional<QString> draws;
    std::optional<std::string> every;
    QStringList files;
};

// A web address that can stand between the quotes of the page's link:
// printable ASCII without quotes or angle brackets.
bool fitsTheLink(const QString& url) {
    return !url.isEmpty() && std::all_of(url.begin(), url.end(), [](QChar c) {
        return c.unicode() > u' ' && c.unicode() < 0x7f && c != u'"' && c != u'<' && c != u'>';
    });
}

// What is wrong with the options taken together, or nothing.
const char* misfit(const Options& o) {
    if (o.csv && !o.files.isEmpty()) {
        return "--csv takes no SERIALS or RESULTS files";
    }
    if (!o.csv && o.files.size() != 2) {
        return "give two files, SERIALS and RESULTS, or --csv FILE (see --help)";
    }
    if (!o.csv && (o.draws || o.every)) {
        return "--draws and --every go with --csv";
    }
    if (o.every && (o.draws || o.page)) {
        return "--every makes every page: it takes neither --draws nor -o";
    }
    if (o.homeGiven && !fitsTheLink(QString::fromStdString(o.home))) {
        return "--home takes a web address of printable ASCII without quotes or < >";
    }
    return nullptr;
}

// The page to standard output, or to the file -o names, saved as the
// window's save command saves it.
int deliver(const Options& o, std::string_view page) {
    if (o.page) {
        if (saveTextFile(*o.page, page) != SaveStatus::Saved) {
            sayError(*o.page, "cannot be written; it is as it was");
            return kExitWrong;
        }
        return kExitMade;
    }
    while (!page.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, page.data(), page.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            sayError({}, "standard output cannot be written");
            return kExitWrong;
        }
        page.remove_prefix(static_cast<std::size_t>(n));
    }
    return kExitMade;
}

int runAndDeliver(const Options& o, const Lines& serials, const Lines& results) {
    HeadlessRun run(o.home);
    const HeadlessRun::Outcome& outcome = run.run(serials, results);
    if (!outcome.made) {
        sayError({}, outcome.message, "CP932");
        return kExitCheckFailed;
    }
    return deliver(o, outcome.page);
}

// The first ten lines an input pane shows for a loaded file's text.
Lines paneLines(std::string_view bytes, std::string_view pane) {
    const qreal dpi = QGuiApplication::primaryScreen() != nullptr
                          ? QGuiApplication::primaryScreen()->logicalDotsPerInchY()
                          : 96.0;
    const QFont windowFont =
        lines::pixelFont(lines::windowFace(), layout::kWindowFontPixels, false, dpi);
    const QString text = QString::fromStdU16String(decodeCp932(bytes));
    const QStringList shown =
        lines::firstLines(text, lines::paneFont(windowFont),
                          lines::lineWidth(pane, lines::layoutScale(windowFont)), kDraws);
    Lines result;
    for (qsizetype d = 0; d < shown.size() && d < kDraws; ++d) {
        const QString& line = shown[d];
        result[static_cast<std::size_t>(d)] =
            encodeCp932({reinterpret_cast<const char16_t*>(line.utf16()),
                         static_cast<std::size_t>(line.size())});
    }
    return result;
}

// A file loaded as a pane loads it, or nothing (said why).
std::optional<std::string> loadForPane(const std::string& name) {
    const std::optional<std::string> start = loadTextFile(name, kFileBytesForPane);
    if (!start) {
        sayError(name, "cannot be read");
        return std::nullopt;
    }
    std::optional<std::string> text = fileTextForPane(*start);
    if (!text || text->size() > kPaneLimitBytes) {
        sayError(name, "is larger than a pane takes (64 KiB with CR LF line breaks)");
        return std::nullopt;
    }
    return text;
}

int fromTwoFiles(const Options& o) {
    const std::optional<std::string> serials = loadForPane(nameOf(o.files[0]));
    if (!serials) {
        return kExitWrong;
    }
    const std::optional<std::string> results = loadForPane(nameOf(o.files[1]));
    if (!results) {
        return kExitWrong;
    }
    return runAndDeliver(o, paneLines(*serials, "Memo1"), paneLines(*results, "Memo2"));
}

// The CSV file's draws, or nothing (said why).
std::optional<std::vector<Draw>> csvDraws(const std::string& name) {
    const std::optional<std::string> bytes = loadTextFile(name, kMostCsvBytes + 1);
    if (!bytes) {
        sayError(name, "cannot be read");
        return std::nullopt;
    }
    if (bytes->size() > kMostCsvBytes) {
        sayError(name, "is larger than 4 MiB: not a draw history");
        return std::nullopt;
    }
    CsvDraws read = readDrawCsv(*bytes);
    if (!read.read) {
        const CsvProblem& p = read.problem;
        std::string where = "line " + std::to_string(p.line);
        if (p.column > 0) {
            where += ", column " + std::to_string(p.column);
        }
        sayError(name, where + ": " + p.what);
        return std::nullopt;
    }
    if (read.draws.empty()) {
        sayError(name, "holds no draws");
        return std::nullopt;
    }
    return std::move(read.draws);
}

// The draw numbered `number`, if the file has it.
const Draw* findDraw(const std::vector<Draw>& draws, int number) {
    const auto at = std::lower_bound(draws.begin(), draws.end(), number,
                                     [](const Draw& d, int n) { return d.number < n; });
    return at != draws.end() && at->number == number ? &*at : nullptr;
}

// Draws first..first+9 as the two panes' lines; false (said why) when one
// is missing.
bool tenDraws(const std::vector<Draw>& draws, int first, const std::string& name, Lines& serials,
              Lines& results) {
    for (int d = 0; d < kDraws; ++d) {
        const Draw* draw = findDraw(draws, first + d);
        if (draw == nullptr) {
            sayError(name, "has no draw " + std::to_string(first + d) + " (draws " +
                               std::to_string(first) + " to " + std::to_string(first + kDraws - 1) +
                               " are needed)");
            return false;
        }
        serials[static_cast<std::size_t>(d)] = serialText(draw->number);
        results[static_cast<std::size_t>(d)] = resultLine(*draw);
    }
    return true;
}

// The first draw --draws asks for (or the latest ten's), or nothing.
std::optional<int> firstDraw(const Options& o, const std::vector<Draw>& draws) {
    const int last = draws.back().number;
    if (!o.draws) {
        return std::max(1, last - kDraws + 1);
    }
    bool number = !o.draws->isEmpty() && o.draws->size() <= 4;
    for (const QChar c : *o.draws) {
        number = number && c >= u'0' && c <= u'9';
    }
    const int first = number ? o.draws->toInt() : 0;
    if (first < 1) {
        sayError({}, "--draws takes the number of a draw, from 1");
        return std::nullopt;
    }
    if (first > last) {
        sayError(*o.csv, "--draws " + std::to_string(first) + " is past the last draw, " +
                             std::to_string(last));
        return std::nullopt;
    }
    return first;
}

int fromCsv(const Options& o) {
    const std::optional<std::vector<Draw>> draws = csvDraws(*o.csv);
    if (!draws) {
        return kExitWrong;
    }
    const std::optional<int> first = firstDraw(o, *draws);
    Lines serials;
    Lines results;
    if (!first || !tenDraws(*draws, *first, *o.csv, serials, results)) {
        return kExitWrong;
    }
    return runAndDeliver(o, serials, results);
}

// "0001-0010.html"
std::string pageName(int first) {
    char name[32];
    const int n = std::snprintf(name, sizeof name, "%04d-%04d.html", first, first + kDraws - 1);
    return {name, static_cast<std::size_t>(n)};
}

// Whether the history runs 1, 2, 3, ... without a gap (said where not).
bool noGap(const std::vector<Draw>& draws, const std::string& name) {
    for (std::size_t i = 0; i < draws.size(); ++i) {
        if (draws[i].number != static_cast<int>(i) + 1) {
            sayError(name,
                     "has no draw " + std::to_string(i + 1) + " (--every needs every draw from 1)");
            return false;
        }
    }
    return true;
}

// The draws past the last whole block of ten, which make no page.
void sayLeftOver(int firstLeft, int last) {
    if (firstLeft > last) {
        return;
    }
    const std::string draws =
        firstLeft == last ? "draw " + std::to_string(last)
                          : "draws " + std::to_string(firstLeft) + " to " + std::to_string(last);
    sayError({}, draws + " make no page of ten yet: left out");
}

int everyPage(const Options& o) {
    const std::optional<std::vector<Draw>> draws = csvDraws(*o.csv);
    if (!draws || !noGap(*draws, *o.csv)) {
        return kExitWrong;
    }
    if (!isFolder(*o.every)) {
        sayError(*o.every, "is not a folder");
        return kExitWrong;
    }
    const int last = draws->back().number;
    HeadlessRun run(o.home);
    Lines serials;
    Lines results;
    std::string path = *o.every + "/";
    const std::size_t folderLength = path.size();
    int status = kExitMade;
    for (int first = 1; first + kDraws - 1 <= last; first += kDraws) {
        tenDraws(*draws, first, *o.csv, serials, results);  // no gap: always all ten
        const HeadlessRun::Outcome& outcome = run.run(serials, results);
        const std::string name = pageName(first);
        if (!outcome.made) {
            sayError("draws " + name.substr(0, 9), outcome.message, "CP932");
            status = kExitCheckFailed;
            continue;
        }
        path.resize(folderLength);
        path += name;
        if (saveTextFile(path, outcome.page) != SaveStatus::Saved) {
            sayError(path, "cannot be written; it is as it was");
            return kExitWrong;
        }
    }
    sayLeftOver(last - last % kDraws + 1, last);
    return status;
}

QString helpText(const QCommandLineParser& parser) {
    return QStringLiteral(
               "Usage: numerlo-page [--home URL] [-o PAGE] SERIALS RESULTS\n"
               "       numerlo-page [--home URL] [-o PAGE] --csv FILE [--draws FIRST]\n"
               "       numerlo-page [--home URL] --csv FILE --every FOLDER\n"
               "Makes the hit-table page (出目表) of ten ロト6 draws, as the window's 作成 and "
               "保存 make it.\n\n") +
           parser.helpText().section(u'\n', 2);
}

// The options as QCommandLineParser knows them.
struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption home{QStringLiteral("home"),
                            QStringLiteral("The address of the link トップページへ."),
                            QStringLiteral("URL")};
    QCommandLineOption page{QStringLiteral("o"),
                            QStringLiteral("Save the page as PAGE, not to standard output."),
                            QStringLiteral("PAGE")};
    QCommandLineOption csv{QStringLiteral("csv"),
                           QStringLiteral("Take the draws from a published CSV history."),
                           QStringLiteral("FILE")};
    QCommandLineOption draws{QStringLiteral("draws"),
                             QStringLiteral("Draws FIRST to FIRST+9 (the latest ten without it)."),
                             QStringLiteral("FIRST")};
    QCommandLineOption every{
        QStringLiteral("every"),
        QStringLiteral("A page for every ten draws in FOLDER: 0001-0010.html, ..."),
        QStringLiteral("FOLDER")};
    QCommandLineOption help;
    QCommandLineOption version;

    CommandLine() : help(parser.addHelpOption()), version(parser.addVersionOption()) {
        parser.addOptions({home, page, csv, draws, every});
        parser.addPositionalArgument(QStringLiteral("SERIALS"),
                                     QStringLiteral("Ten draw serials, one a line."));
        parser.addPositionalArgument(QStringLiteral("RESULTS"),
                                     QStringLiteral("Ten lines of seven two-digit numbers."));
    }

    // An option given twice: the parser would take the last one silently,
    // and two CSV files or two pages are not what one command makes.
    [[nodiscard]] std::optional<std::string> givenTwice() const {
        for (const QCommandLineOption* option : {&home, &page, &csv, &draws, &every}) {
            if (parser.values(*option).size() > 1) {
                const QString name = option->names().constFirst();
                return (name.size() == 1 ? "-" : "--") + name.toStdString() +
                       " is given more than once";
            }
        }
        return std::nullopt;
    }

    [[nodiscard]] std::optional<std::string> name(const QCommandLineOption& option) const {
        return parser.isSet(option) ? std::optional<std::string>(nameOf(parser.value(option)))
                                    : std::nullopt;
    }

    [[nodiscard]] Options options() const {
        Options o;
        if (parser.isSet(home)) {
            o.home = nameOf(parser.value(home));
            o.homeGiven = true;
        }
        o.page = name(page);
        o.csv = name(csv);
        o.every = name(every);
        if (parser.isSet(draws)) {
            o.draws = parser.value(draws);
        }
        o.files = parser.positionalArguments();
        return o;
    }
};

}  // namespace

int runPageCommand(const QStringList& arguments) {
    CommandLine line;
    if (!line.parser.parse(arguments)) {
        // It quotes the argument as given: in the terminal's own encoding.
        sayError({}, nameOf(line.parser.errorText()), ::nl_langinfo(CODESET));
        return kExitWrong;
    }
    if (line.parser.isSet(line.help) || line.parser.isSet(line.version)) {
        // The help's Japanese words in the terminal's encoding, as messages.
        const std::string text = line.parser.isSet(line.help)
                                     ? forTerminal(helpText(line.parser).toStdString(), "UTF-8")
                                     : std::string("numerlo-page " NUMERLO_VERSION "\n");
        return deliver(Options{}, text);
    }
    if (const std::optional<std::string> twice = line.givenTwice()) {
        sayError({}, *twice);
        return kExitWrong;
    }
    const Options o = line.options();
    if (const char* wrong = misfit(o)) {
        sayError({}, wrong);
        return kExitWrong;
    }
    return o.every ? everyPage(o) : o.csv ? fromCsv(o) : fromTwoFiles(o);
}

}  // namespace numerlo
