// Random sequences of entries into a real input pane: keys with and without
// modifiers, caret moves and selections, undo and redo, input-method
// preedits and commits, assistive-tool edits and caret moves, pastes, drops,
// drags within the pane, loads, クリア and 作成 (pressed as an assistive
// tool presses it, the focus staying in the pane), from random start states.
// A composition may stay open across the steps an input method lets through.
// After every step the pane must show exactly what its bytes read back as,
// hold at most 64 KiB, and (for a short text) give its text back as the
// lines a run reads; a crash or a failure names its seed.
//
// A fixed set of seeds runs by default. NUMERLO_RANDOM_SEED runs one seed
// (NUMERLO_RANDOM_TRACE=1 prints its steps as they run), NUMERLO_RANDOM_STEPS
// sets the steps per seed, and NUMERLO_RANDOM_SECONDS goes on with further
// seeds for that long. Runs under Qt's minimal platform, which carries drags
// out.
#include <QAccessible>
#include <QClipboard>
#include <QDateTime>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>

#include "memo_pane.h"
#include "pane_form.h"
#include "window_harness.h"

using namespace numerlo;

namespace {

constexpr int kFixedSeeds = 16;
constexpr int kDefaultSteps = 60;
// Texts up to this many bytes are read back line by line after every step.
constexpr std::size_t kShortText = 1500;

// Pieces entered text is made of: line breaks of every kind, blanks, tabs,
// characters CP932 changes or lacks, lead and trail bytes of stand-ins.
const QString kPieces[] = {
    QStringLiteral("7"),      QStringLiteral("01 02 "),     QStringLiteral("\n"),
    QStringLiteral("\r\n"),   QStringLiteral("\u2028"),     QStringLiteral(" "),
    QStringLiteral("\t"),     QStringLiteral("@"),          QStringLiteral("\u3042"),
    QStringLiteral("\u301C"), QStringLiteral("\U0001F600"), QStringLiteral("\u200C"),
    QStringLiteral("\uF782"), QStringLiteral("\uFF71"),     QStringLiteral("\u6F22"),
    QStringLiteral("\u00A0"), QStringLiteral("\u00A0@"),    QStringLiteral("\0x")};

// Bytes a loaded file is made of.
const char* const kBytes[] = {"7", "001\r\n", "\x82", "\xA0",     "\x81", "@",   "\t",
                              " ", "\n",      "\r",   "\x82\xA0", "\xFD", "\x80"};

const Qt::Key kNamedKeys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return,   Qt::Key_Left,
                              Qt::Key_Right,     Qt::Key_Up,     Qt::Key_Down,     Qt::Key_Home,
                              Qt::Key_End,       Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Insert,
                              Qt::Key_Z,         Qt::Key_Y,      Qt::Key_X,        Qt::Key_V,
                              Qt::Key_A,         Qt::Key_K};
const Qt::KeyboardModifiers kModifiers[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                            Qt::ControlModifier | Qt::ShiftModifier,
                                            Qt::AltModifier};

class Entries {
  public:
    Entries(testing::WindowHarness& h, unsigned seed, bool trace)
        : h_(h), random_(seed), trace_(trace) {}

    // Runs `steps` random steps; false with the steps taken once the pane
    // breaks a rule.
    bool run(int steps) {
        pane_ =
            h_.child<MemoPane>(number(2) == 0 ? QStringLiteral("Memo1") : QStringLiteral("Memo2"));
        pane_->setFocus();
        start();
        for (int i = 0; i < steps; ++i) {
            step();
            QCoreApplication::processEvents();  // a refusal's box follows
            h_.boxes.clear();
            if (!whole()) {
                return false;
            }
        }
        return true;
    }
    [[nodiscard]] QString log() const { return log_.join(u"\n  "); }

  private:
    int number(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random_); }
    template <typename T, std::size_t N>
    const T& any(const T (&items)[N]) {
        return items[number(static_cast<int>(N))];
    }
    int position() { return number(pane_->document()->characterCount()); }
    void note(QString what) {
        // Line breaks and NULs spelt out, so that each step is one line.
        for (const auto& [from, to] : {std::pair{u'\0', "\\0"},
                                       {u'\n', "\\n"},
                                       {u'\r', "\\r"},
                                       {u'\t', "\\t"},
                                       {u'\u2028', "\\u2028"}}) {
            what.replace(QChar(from), QLatin1String(to));
        }
        log_.append(what);
        if (trace_) {
            std::fprintf(stderr, "  %s\n", qPrintable(what));
        }
    }
    QString text() {
        if (number(12) == 0) {
            return {number(2) == 0 ? 3000 : 70000, u'7'};
        }
        QString text;
        for (int n = number(6); n > 0; --n) {
            text += any(kPieces);
        }
        return text;
    }
    std::string bytes(std::size_t most) {
        std::string bytes;
        const std::size_t size = number(4) == 0 ? most : static_cast<std::size_t>(number(200));
        while (bytes.size() < size) {
            bytes += any(kBytes);
        }
        return bytes;
    }
    void start() {
        switch (number(6)) {
            case 0:
                load("empty", std::string());
                break;
            case 1:
                note(QStringLiteral("start-up text"));
                break;
            case 2:
                load("long line", std::string(static_cast<std::size_t>(number(65536)), '7'));
                break;
            case 3:
                load("stand-ins", bytes(kPaneLimitBytes - number(300)));
                break;
            case 4:
                load("near the limit",
                     std::string("012345\r\n").append(kPaneLimitBytes - 8 - number(4), '7'));
                break;
            default:
                load("tabs and blanks",
                     std::string(static_cast<std::size_t>(number(65536)), number(2) ? '\t' : ' '));
        }
    }
    void load(const char* what, const std::string& file) {
        note(QStringLiteral("load %1, %2 bytes").arg(QLatin1String(what)).arg(file.size()));
        if (const std::optional<std::string> text = fileTextForPane(file)) {
            pane_->setBytes(*text);
        }
    }
    void step() {
        const int kind = number(13);
        // An input method takes every key while it composes, and a paste or
        // drag ends the composition first.
        if (kind <= 2 || kind == 5 || kind == 7) {
            endComposition();
        }
        switch (kind) {
            case 0:
            case 1:
                return key();
            case 2:
                return typed();
            case 3:
                return inputMethod();
            case 4:
                return assistiveTool();
            case 5: {
                const QString pasted = text();
                note(QStringLiteral("paste %1").arg(pasted.left(20)));
                QGuiApplication::clipboard()->setText(pasted);
                return QTest::keyClick(pane_, Qt::Key_V, Qt::ControlModifier);
            }
            case 6:
                return drop();
            case 7:
                return drag();
            case 8:
                return load("file", bytes(kPaneLimitBytes + 2));
            case 9:
                note(QStringLiteral("clear"));
                return h_.form->Button5Click();
            case 10: {
                note(QStringLiteral("create"));
                QAccessible::queryAccessibleInterface(h_.button(3))
                    ->actionInterface()
                    ->doAction(QAccessibleActionInterface::pressAction());
                runEnded_ = h_.waitForRunEnd();
                return;
            }
            default:
                return select(position(), position());
        }
    }
    void select(int anchor, int at) {
        note(QStringLiteral("select %1..%2").arg(anchor).arg(at));
        const int end = pane_->document()->characterCount() - 1;
        QTextCursor cursor(pane_->document());
        cursor.setPosition(std::clamp(anchor, 0, end));
        cursor.setPosition(std::clamp(at, 0, end), QTextCursor::KeepAnchor);
        pane_->setTextCursor(cursor);
    }
    void key() {
        const Qt::Key key = any(kNamedKeys);
        const Qt::KeyboardModifiers modifiers = any(kModifiers);
        note(QStringLiteral("key %1 %2").arg(key, 0, 16).arg(modifiers.toInt(), 0, 16));
        QTest::keyClick(pane_, key, modifiers);
    }
    void typed() {
        const QString typed = any(kPieces);
        const Qt::KeyboardModifiers modifiers = any(kModifiers);
        note(QStringLiteral("typed %1 %2").arg(typed).arg(modifiers.toInt(), 0, 16));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, modifiers, typed);
        QApplication::sendEvent(pane_, &press);
    }
    void inputMethod() {
        // What an input method composes: never a NUL nor a line break.
        QString preedit = number(2) == 0 ? QString() : text().left(40);
        preedit.removeIf([](QChar c) { return c.isNull() || isLineBreak(c.unicode()); });
        QList<QInputMethodEvent::Attribute> attributes;
        if (number(2) == 0) {
            attributes.append({QInputMethodEvent::Cursor, number(4), 1});
        }
        if (number(4) == 0) {  // the text an input method selects
            attributes.append({QInputMethodEvent::Selection, number(8), number(8) - 4, {}});
        }
        QInputMethodEvent event(preedit, attributes);
        const QString commit = number(2) == 0 ? QString() : text();
        // Never past the start of the text, as an input method asks.
        const int from = std::max(number(4) - 2, -pane_->textCursor().position());
        const int length = number(4);
        event.setCommitString(commit, from, length);
        QString marks;
        for (const QInputMethodEvent::Attribute& mark : attributes) {
            marks += QStringLiteral(" [%1 %2 %3]").arg(mark.type).arg(mark.start).arg(mark.length);
        }
        note(QStringLiteral("input method %1 | %2 (%3, %4)%5")
                 .arg(preedit.left(20), commit.left(20))
                 .arg(from)
                 .arg(length)
                 .arg(marks));
        QApplication::sendEvent(pane_, &event);
        composing_ = !preedit.isEmpty();
        preedit_ = preedit;
        if (number(2) == 0) {
            endComposition();
        }
    }
    // The composition is committed or given up.
    void endComposition() {
        if (!composing_) {
            return;
        }
        composing_ = false;
        QInputMethodEvent end;
        end.setCommitString(number(2) == 0 ? preedit_ : QString());
        note(QStringLiteral("input method ends with %1").arg(end.commitString().left(20)));
        QApplication::sendEvent(pane_, &end);
    }
    void assistiveTool() {
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(pane_);
        const int from = position();
        const int to = position();
        const QString entered = text();
        note(QStringLiteral("assistive tool %1 %2..%3 %4")
                 .arg(number(5))
                 .arg(from)
                 .arg(to)
                 .arg(entered.left(20)));
        switch (log_.back().section(u' ', 2, 2).toInt()) {
            case 0:
                return access->editableTextInterface()->insertText(from, entered);
            case 1:
                return access->editableTextInterface()->deleteText(from, to);
            case 2:
                return access->editableTextInterface()->replaceText(from, to, entered);
            case 3:
                return access->textInterface()->setCursorPosition(from);
            default:
                return access->textInterface()->setSelection(0, from, to);
        }
    }
    QPoint anywhere() {
        const QRect area = pane_->viewport()->rect();
        return {number(area.width()), number(area.height())};
    }
    void drop() {
        QMimeData mime;
        mime.setText(text());
        const QPoint at = anywhere();
        note(QStringLiteral("drop %1 at %2,%3").arg(mime.text().left(20)).arg(at.x()).arg(at.y()));
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane_->viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane_->viewport(), &drop);
    }
    // Text around a point of the pane dragged to another point of it.
    void drag() {
        const QPoint from = anywhere();
        const QPoint to = anywhere();
        const int at = pane_->cursorForPosition(from).position();
        note(QStringLiteral("drag from %1,%2 to %3,%4")
                 .arg(from.x())
                 .arg(from.y())
                 .arg(to.x())
                 .arg(to.y()));
        select(std::max(0, at - number(20)), at + number(20));
        QTimer::singleShot(0, pane_, [this, to] {  // inside the drag's own event loop
            QTest::mouseMove(pane_->viewport(), to);
            QTest::mouseRelease(pane_->viewport(), Qt::LeftButton, {}, to);
        });
        QTest::mousePress(pane_->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(pane_->viewport(),
                         from + QPoint(QApplication::startDragDistance() + 2, 0));
        QTest::mouseRelease(pane_->viewport(), Qt::LeftButton, {}, to);
    }
    // The pane shows what its bytes read back as, within the limit, with
    // its caret in its text.
    bool whole() {
        const std::string held = pane_->bytes();
        QString shown = pane_->document()->toRawText();
        shown.replace(QChar::ParagraphSeparator, u'\n');
        const int end = pane_->document()->characterCount() - 1;
        const QTextCursor caret = pane_->textCursor();
        return runEnded_ && held.size() <= kPaneLimitBytes && caret.position() <= end &&
               caret.anchor() <= end &&
               shown == toPaneText(held).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) &&
               (held.size() > kShortText || linesGiveTheText(held));
    }
    // The lines a run reads, joined, are the text without its line breaks,
    // whatever is being composed.
    bool linesGiveTheText(std::string held) {
        std::erase(held, '\r');
        std::erase(held, '\n');
        std::string joined;
        for (int line = 0; line < pane_->document()->lineCount() + 4; ++line) {
            joined += pane_->displayedLine(line);
        }
        return joined == held;
    }

    testing::WindowHarness& h_;
    std::mt19937 random_;
    bool trace_;
    MemoPane* pane_ = nullptr;
    QStringList log_;
    bool composing_ = false;
    QString preedit_;
    bool runEnded_ = true;
};

}  // namespace

class PaneRandomTest : public QObject {
    Q_OBJECT

    testing::WindowHarness h;

  private slots:
    // An input method's replacement that reaches past either end of the
    // text replaces only what lies in it, and never passes the limit; one
    // beside a selection, which Qt takes away first, re-reads what it joins.
    void replacementsKeepToTheText_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("commit");
        QTest::addColumn<int>("from");  // from the selection's start
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("after");
        const QByteArray full(kPaneLimitBytes, '7');
        QTest::newRow("past the end")
            << full << static_cast<int>(kPaneLimitBytes) << 0 << QStringLiteral("888") << -3 << 9
            << full.left(kPaneLimitBytes - 3) + "888";
        QTest::newRow("before the start")
            << QByteArray("0123456789") << 0 << 0 << QStringLiteral("888") << -5 << 5
            << QByteArray("8880123456789");
        QTest::newRow("beside a selection")
            << QByteArray("\x81\x37\x37\x82\r\n0123") << 6 << 1 << QString() << -5 << 2
            << QByteArray("\x81\x82\r\n023");
    }
    void replacementsKeepToTheText() {
        QFETCH(QByteArray, before);
        QFETCH(int, anchor);
        QFETCH(int, selected);
        QFETCH(QString, commit);
        QFETCH(int, from);
        QFETCH(int, length);
        QFETCH(QByteArray, after);
        QVERIFY(h.start());
        auto* pane = h.child<MemoPane>(QStringLiteral("Memo2"));
        pane->setFocus();
        QVERIFY(pane->setBytes(before.toStdString()));
        QTextCursor selection(pane->document());
        selection.setPosition(anchor);
        selection.setPosition(anchor + selected, QTextCursor::KeepAnchor);
        pane->setTextCursor(selection);
        QInputMethodEvent event;
        event.setCommitString(commit, from, length);
        QApplication::sendEvent(pane, &event);
        QCOMPARE(pane->bytes(), after.toStdString());
        QCOMPARE(pane->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'),
                 toPaneText(pane->bytes()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        h.stop();
    }

    void randomEntriesKeepThePaneWhole() {
        const int steps = qEnvironmentVariableIsSet("NUMERLO_RANDOM_STEPS")
                              ? qEnvironmentVariableIntValue("NUMERLO_RANDOM_STEPS")
                              : kDefaultSteps;
        const bool trace = qEnvironmentVariableIntValue("NUMERLO_RANDOM_TRACE") != 0;
        std::vector<unsigned> seeds;
        if (qEnvironmentVariableIsSet("NUMERLO_RANDOM_SEED")) {
            seeds.push_back(qEnvironmentVariable("NUMERLO_RANDOM_SEED").toUInt());
        } else {
            for (unsigned seed = 1; seed <= kFixedSeeds; ++seed) {
                seeds.push_back(seed);
            }
            // A drop while a composition showed, then PageUp: Qt's caret
            // moves looped for good.
            seeds.push_back(1394512620);
        }
        const qint64 budget = qEnvironmentVariableIntValue("NUMERLO_RANDOM_SECONDS") * qint64{1000};
        QElapsedTimer clock;
        clock.start();
        int done = 0;
        for (unsigned seed = seeds.front(), next = 0;;) {
            std::fprintf(stderr, "seed %u, %d steps\n", seed, steps);
            QVERIFY(h.start());
            Entries entries(h, seed, trace);
            const bool whole = entries.run(steps);
            h.stop();
            QVERIFY2(whole, qPrintable(QStringLiteral("seed %1 (NUMERLO_RANDOM_SEED=%1 "
                                                      "NUMERLO_RANDOM_STEPS=%2 replays it):\n  %3")
                                           .arg(seed)
                                           .arg(steps)
                                           .arg(entries.log())));
            ++done;
            if (++next < seeds.size()) {
                seed = seeds[next];
            } else if (clock.elapsed() < budget) {
                seed = static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()) + next;
            } else {
                break;
            }
        }
        std::fprintf(stderr, "%d seeds of %d steps, %d steps in all, in %.1f s\n", done, steps,
                     done * steps, static_cast<double>(clock.elapsed()) / 1000);
    }
};

QTEST_MAIN(PaneRandomTest)
#include "pane_random_test.moc"
