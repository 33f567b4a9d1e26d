#include "memo_pane.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QUrl>

#include <algorithm>
#include <optional>
#include <utility>

#include "pane_text.h"
#include "run_window.h"

namespace numerlo {

namespace {

bool isLineBreak(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator || c == QChar(0x0085);
}

bool isStandIn(QChar c) {
    return c.unicode() >= kStandInBase && c.unicode() < kStandInBase + 0x100;
}

// Entered text as the pane holds it: up to its first NUL, every kind of line
// break one '\n', and every character as CP932 reads back its bytes. Nothing
// for text past the pane's limit however it converts: no character gives
// less than half a byte, and a huge paste is not worth converting.
std::optional<QString> paneForm(QString text) {
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0) {
        text.truncate(nul);
    }
    if (static_cast<std::size_t>(text.size()) > 2 * kPaneLimitBytes) {
        return std::nullopt;
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar& c : text) {
        if (isLineBreak(c)) {
            c = u'\n';
        }
    }
    return toPaneText(toBytes(text));
}

// The longest stretch of `text` between two places where Qt may break a
// line, as its own line breaker finds them: laid out at no width without
// breaking anywhere, each line holds one such stretch. This costs time in
// proportion to the text, where wrapping a long stretch costs its square.
qsizetype longestUnbrokenRun(QString text, const QFont& font) {
    // Stand-ins break like letters, and a letter is far quicker to shape
    // than a character no face has.
    std::replace_if(text.begin(), text.end(), isStandIn, QChar(u'x'));
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    qsizetype longest = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(0);
        qsizetype end = line.textStart() + line.textLength();
        while (end > line.textStart() && text[end - 1].isSpace()) {
            --end;  // blanks at a line's end never wrap
        }
        longest = std::max(longest, end - line.textStart());
    }
    layout.endLayout();
    return longest;
}

}  // namespace

MemoPane::MemoPane(Role role, QWidget* parent) : QPlainTextEdit(parent), role_(role) {
    setTabChangesFocus(true);
    if (role == Role::Input) {
        setLineWrapMode(QPlainTextEdit::WidgetWidth);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    } else {
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    // A thin inner margin, as a native edit control has, so that the
    // instruction lines fit one displayed line each.
    document()->setDocumentMargin(2);
}

std::string MemoPane::bytes() const {
    // The raw text: toPlainText() would turn U+00A0 into a blank.
    return toBytes(document()->toRawText());
}

std::string MemoPane::displayedLine(int line) const {
    if (line < 0) {
        return {};
    }
    QTextDocument* doc = document();
    QAbstractTextDocumentLayout* docLayout = doc->documentLayout();
    int remaining = line;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        // Layout is lazy: asking for the block's extent wraps it now.
        docLayout->blockBoundingRect(block);
        const QTextLayout* blockLayout = block.layout();
        const int lines = std::max(1, blockLayout->lineCount());
        if (remaining >= lines) {
            remaining -= lines;
            continue;
        }
        QString text = block.text();
        if (blockLayout->lineCount() > 0) {
            const QTextLine piece = blockLayout->lineAt(remaining);
            text = text.mid(piece.textStart(), piece.textLength());
        }
        std::string bytes = toBytes(text);
        if (bytes.size() > kMaxLineBytes) {
            bytes.resize(kMaxLineBytes);
        }
        return bytes;
    }
    return {};
}

bool MemoPane::setBytes(std::string_view bytes) {
    if (bytes.size() > kPaneLimitBytes) {
        return false;
    }
    const QString text = toPaneText(bytes);
    if (role_ == Role::Input && longestUnbrokenRun(text, font()) > kUnbrokenRunLimit) {
        return false;
    }
    setPlainText(text);
    return true;
}

void MemoPane::addBytes(std::string_view bytes) {
    // The last block is empty exactly when the pane is empty or its text
    // ends with a line break.
    QTextDocument* doc = document();
    const bool atLineStart = doc->lastBlock().text().isEmpty();
    const QString added = toPaneText(bytes);
    if (doc->isEmpty()) {
        // The usual case after the create command. Setting the document's
        // whole text is much cheaper than inserting 1361 lines through a
        // cursor, and skips the widget's own format resets.
        doc->setPlainText(added + QLatin1Char('\n'));
        return;
    }
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(atLineStart ? added + QLatin1Char('\n') : QLatin1Char('\n') + added);
}

bool MemoPane::fits(int from, int to, const QString& entered) const {
    const QString before = document()->toRawText();
    from = std::clamp(from, 0, static_cast<int>(before.size()));
    to = std::clamp(to, from, static_cast<int>(before.size()));
    QString after = before;
    after.replace(from, to - from, entered);
    const std::size_t size = toBytes(after).size();
    // An edit that does not grow a text already past the limit may stand.
    if (size > kPaneLimitBytes && size > toBytes(before).size()) {
        return false;
    }
    if (role_ == Role::Output) {
        return true;  // it does not wrap
    }
    // Only the lines the edit touches can hold a longer run than before.
    const auto isBreak = [](QChar c) { return c == u'\n' || c == QChar::ParagraphSeparator; };
    qsizetype start = from;
    while (start > 0 && !isBreak(after[start - 1])) {
        --start;
    }
    qsizetype end = from + entered.size();
    while (end < after.size() && !isBreak(after[end])) {
        ++end;
    }
    return longestUnbrokenRun(after.mid(start, end - start), font()) <= kUnbrokenRunLimit;
}

bool MemoPane::fitsAtCursor(const QString& entered) const {
    const QTextCursor cursor = textCursor();
    return fits(cursor.selectionStart(), cursor.selectionEnd(), entered);
}

void MemoPane::keyPressEvent(QKeyEvent* event) {
    if (isReadOnly() || event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const bool enter = event->matches(QKeySequence::InsertParagraphSeparator);
    const QString text = event->text();
    QString entered;
    if (enter || event->matches(QKeySequence::InsertLineSeparator)) {
        entered = QStringLiteral("\n");  // Shift+Enter too: the line break Enter makes
    } else if (!text.isEmpty() && text.front().isPrint()) {
        entered = paneForm(text).value_or(QString());
    }
    if (!entered.isEmpty() && !fitsAtCursor(entered)) {
        QApplication::beep();
        event->accept();
        return;
    }
    // Deleting beside a stand-in may complete it as well as entering text.
    settling(entered, [&] {
        if (entered.isEmpty() || enter || entered == text) {
            QPlainTextEdit::keyPressEvent(event);
            return;
        }
        QTextCursor cursor = textCursor();
        cursor.insertText(entered);
        setTextCursor(cursor);
        ensureCursorVisible();
        event->accept();
    });
}

void MemoPane::inputMethodEvent(QInputMethodEvent* event) {
    if (isReadOnly() || event->commitString().isEmpty()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    const std::optional<QString> entered = paneForm(event->commitString());
    const QTextCursor cursor = textCursor();
    int from = cursor.selectionStart();
    int to = cursor.selectionEnd();
    if (!cursor.hasSelection() && event->replacementLength() > 0) {
        from = cursor.position() + event->replacementStart();
        to = from + event->replacementLength();
    }
    // The preedit goes either way; the commit only if it fits.
    QInputMethodEvent settled(event->preeditString(), event->attributes());
    if (entered && fits(from, to, *entered)) {
        settled.setCommitString(*entered, event->replacementStart(), event->replacementLength());
    } else {
        QApplication::beep();
    }
    settling(settled.commitString(), [&] { QPlainTextEdit::inputMethodEvent(&settled); });
    event->setAccepted(settled.isAccepted());
}

void MemoPane::insertFromMimeData(const QMimeData* source) {
    // Pastes, and drops once the drop point is known (see dropEvent).
    const bool checked = std::exchange(dropChecked_, false);
    const std::optional<QString> entered = paneForm(source->text());
    if (!entered || (!checked && !fitsAtCursor(*entered))) {
        emit tooLarge();
        return;
    }
    QMimeData plain;
    plain.setText(*entered);
    settling(*entered, [&] { QPlainTextEdit::insertFromMimeData(&plain); });
}

void MemoPane::settling(const QString& entered, const std::function<void()>& edit) {
    const QTextBlock here = textCursor().block();
    const auto holdsStandIn = [](const QString& text) {
        return std::any_of(text.begin(), text.end(), isStandIn);
    };
    if (!holdsStandIn(entered) && !holdsStandIn(here.text()) &&
        !holdsStandIn(here.previous().text()) && !holdsStandIn(here.next().text())) {
        edit();  // the usual case: nothing can combine
        return;
    }
    // One edit block: a single undo takes back the edit and what it settled.
    const int from = textCursor().selectionStart();
    QTextCursor group(document());
    group.beginEditBlock();
    edit();
    const int to = textCursor().position();
    const QTextBlock last = document()->findBlock(to);
    for (QTextBlock block = document()->findBlock(std::min(from, to)); block.isValid();
         block = block.next()) {
        const QString text = block.text();
        const QString read = toPaneText(toBytes(text));
        if (read != text) {
            // Replace only what differs, so that the cursor stays put.
            const qsizetype shorter = std::min(text.size(), read.size());
            qsizetype head = 0;
            while (head < shorter && text[head] == read[head]) {
                ++head;
            }
            qsizetype tail = 0;
            while (tail < shorter - head &&
                   text[text.size() - 1 - tail] == read[read.size() - 1 - tail]) {
                ++tail;
            }
            QTextCursor cursor(document());
            cursor.setPosition(block.position() + static_cast<int>(head));
            cursor.setPosition(block.position() + static_cast<int>(text.size() - tail),
                               QTextCursor::KeepAnchor);
            cursor.insertText(read.mid(head, read.size() - head - tail));
        }
        if (block == last) {
            break;
        }
    }
    group.endEditBlock();
    ensureCursorVisible();
}

QString MemoPane::droppedFile(const QDropEvent* event) const {
    if (role_ != Role::Input) {
        return {};
    }
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return {};
    }
    return urls.front().toLocalFile();
}

bool MemoPane::takeFileDrag(QDragMoveEvent* event) {
    if (droppedFile(event).isEmpty()) {
        return false;
    }
    if (acceptsFiles()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
    return true;
}

void MemoPane::dragEnterEvent(QDragEnterEvent* event) {
    if (!takeFileDrag(event)) {
        QPlainTextEdit::dragEnterEvent(event);
    }
}

void MemoPane::dragMoveEvent(QDragMoveEvent* event) {
    if (!takeFileDrag(event)) {
        QPlainTextEdit::dragMoveEvent(event);
    }
}

void MemoPane::dropEvent(QDropEvent* event) {
    if (const QString path = droppedFile(event); !path.isEmpty()) {
        if (!acceptsFiles()) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        emit fileDropped(path);
        return;
    }
    // Text moved within the pane never grows it. Anything else is checked
    // here, before the drop is accepted: a refused drop must leave the text
    // where it came from.
    const bool moveWithin = event->source() == viewport() && event->dropAction() == Qt::MoveAction;
    if (!moveWithin) {
        const int at = cursorForPosition(event->position().toPoint()).position();
        const std::optional<QString> entered = paneForm(event->mimeData()->text());
        if (!entered || !fits(at, at, *entered)) {
            event->ignore();
            emit tooLarge();
            return;
        }
    }
    dropChecked_ = true;
    QPlainTextEdit::dropEvent(event);
    dropChecked_ = false;
}

}  // namespace numerlo
