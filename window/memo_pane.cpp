#include "memo_pane.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "pane_text.h"

namespace numerlo {

namespace {

// Whether a key's text enters the pane, as Qt's editors decide it, and also
// when it is a line break, which Qt would drop: anything but control
// characters, unless the key is a Ctrl or Ctrl+Shift combination.
bool entersText(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier ||
        modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) {
        return false;
    }
    const QString text = event.text();
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return isLineBreak(c.unicode()) ||
               (c.unicode() >= 0x20 && (c.unicode() < 0x7F || c.unicode() >= 0xA0));
    });
}

bool holdsStandIn(const QString& text) {
    return numerlo::holdsStandIn(utf16(text));
}

// The longest stretch of `text` between two places where Qt may break a
// line, as its own line breaker finds them: laid out at no width without
// breaking anywhere, each line holds one such stretch. This costs time in
// proportion to the text, where wrapping a long stretch costs its square.
qsizetype longestUnbrokenRun(QString text, const QFont& font) {
    // Stand-ins break like letters, and a letter is far quicker to shape
    // than a character no face has.
    std::replace_if(
        text.begin(), text.end(), [](QChar c) { return isStandIn(c.unicode()); }, QChar(u'x'));
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
        connect(document(), &QTextDocument::contentsChange, this, &MemoPane::keepWrappingQuick);
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
        if (blockLayout->lineCount() == 0) {
            return toBytes(block.text());
        }
        const QTextLine piece = blockLayout->lineAt(remaining);
        return toBytes(block.text().mid(piece.textStart(), piece.textLength()));
    }
    return {};
}

bool MemoPane::setBytes(std::string_view bytes) {
    if (bytes.size() > kPaneLimitBytes) {
        return false;
    }
    const QString text = toPaneText(bytes);
    // Wrapping anywhere before a long stretch is laid out; back at word
    // boundaries only once the old text, which may hold one, is gone.
    if (role_ == Role::Input && longestUnbrokenRun(text, font()) > kUnbrokenRunLimit) {
        wrapAnywhere(true);
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

std::optional<QString> MemoPane::admit(int from, int to, const QString& text, Refusal refusal) {
    std::optional<QString> formed = inPaneForm(text);
    if (!formed || !fitsLimit(from, to, *formed)) {
        if (refusal == Refusal::Beep) {
            QApplication::beep();
        } else {
            emit tooLarge();
        }
        return std::nullopt;
    }
    prepareWrapping(from, to, *formed);
    return formed;
}

bool MemoPane::fitsLimit(int from, int to, const QString& formed) const {
    const QString before = document()->toRawText();
    from = std::clamp(from, 0, static_cast<int>(before.size()));
    to = std::clamp(to, from, static_cast<int>(before.size()));
    QString after = before;
    after.replace(from, to - from, formed);
    const std::size_t size = toBytes(after).size();
    return size <= kPaneLimitBytes || size <= toBytes(before).size();
}

void MemoPane::prepareWrapping(int from, int to, const QString& formed) {
    if (role_ != Role::Input || wordWrapMode() == QTextOption::WrapAnywhere) {
        return;
    }
    // Only the lines the edit makes can hold a longer stretch.
    QString after = document()->toRawText();
    from = std::clamp(from, 0, static_cast<int>(after.size()));
    to = std::clamp(to, from, static_cast<int>(after.size()));
    after.replace(from, to - from, formed);
    const auto isBreak = [](QChar c) { return c == u'\n' || c == QChar::ParagraphSeparator; };
    qsizetype start = from;
    while (start > 0 && !isBreak(after[start - 1])) {
        --start;
    }
    qsizetype end = from + formed.size();
    while (end < after.size() && !isBreak(after[end])) {
        ++end;
    }
    if (longestUnbrokenRun(after.mid(start, end - start), font()) > kUnbrokenRunLimit) {
        wrapAnywhere(true);
    }
}

void MemoPane::applyAndReread(int from, int to, const QString& formed,
                              const std::function<void()>& edit) {
    const QTextBlock first = document()->findBlock(from).previous();
    const QTextBlock last = document()->findBlock(to).next();
    bool nearStandIn = holdsStandIn(formed);
    for (QTextBlock block = first.isValid() ? first : document()->findBlock(from);
         block.isValid() && !nearStandIn; block = block.next()) {
        nearStandIn = holdsStandIn(block.text());
        if (block == last) {
            break;
        }
    }
    if (!nearStandIn) {
        edit();  // the usual case: nothing can combine
        return;
    }
    // One edit block: a single undo takes back the edit and what it re-read.
    QTextCursor group(document());
    group.beginEditBlock();
    edit();
    rereadStandIns(from, textCursor().position());
    group.endEditBlock();
    ensureCursorVisible();
}

void MemoPane::rereadStandIns(int from, int to) {
    QTextDocument* doc = document();
    const QTextBlock last = doc->findBlock(std::max(from, to));
    for (QTextBlock block = doc->findBlock(std::min(from, to)); block.isValid();
         block = block.next()) {
        const QString text = block.text();
        const QString read = QString::fromStdU16String(numerlo::rereadStandIns(utf16(text)));
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
            QTextCursor cursor(doc);
            cursor.setPosition(block.position() + static_cast<int>(head));
            cursor.setPosition(block.position() + static_cast<int>(text.size() - tail),
                               QTextCursor::KeepAnchor);
            cursor.insertText(read.mid(head, read.size() - head - tail));
        }
        if (block == last) {
            break;
        }
    }
}

void MemoPane::wrapAnywhere(bool anywhere) {
    const QTextOption::WrapMode mode =
        anywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (wordWrapMode() != mode) {
        setWordWrapMode(mode);
    }
}

void MemoPane::keepWrappingQuick(int from, int removed, int added) {
    Q_UNUSED(removed);
    QTextDocument* doc = document();
    if (wordWrapMode() == QTextOption::WrapAnywhere) {
        // Back to wrapping at word boundaries once no long stretch is left.
        if (longestUnbrokenRun(doc->toRawText(), font()) <= kUnbrokenRunLimit) {
            wrapAnywhere(false);
        }
        return;
    }
    // A deletion may have joined two stretches into one: the blank between
    // them, or a selection from one into the other.
    const QTextBlock first = doc->findBlock(from);
    QTextBlock last = doc->findBlock(from + added);
    if (!first.isValid()) {
        return;
    }
    if (!last.isValid()) {
        last = doc->lastBlock();
    }
    const int start = first.position();
    const int end = last.position() + last.length() - 1;
    const QString changed = doc->toRawText().mid(start, end - start);
    if (longestUnbrokenRun(changed, font()) > kUnbrokenRunLimit) {
        wrapAnywhere(true);
    }
}

void MemoPane::keyPressEvent(QKeyEvent* event) {
    if (isReadOnly() || event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    // A key held with Alt or Meta is a command for the window, never text.
    if ((event->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) != 0 &&
        !event->text().isEmpty()) {
        event->ignore();
        return;
    }
    const QTextCursor cursor = textCursor();
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    // Shift+Enter too makes the line break Enter makes.
    const bool lineBreak = event->matches(QKeySequence::InsertParagraphSeparator) ||
                           event->matches(QKeySequence::InsertLineSeparator);
    const QString text = lineBreak ? QStringLiteral("\n") : event->text();
    std::optional<QString> formed;
    if (lineBreak || entersText(*event)) {
        formed = admit(from, to, text, Refusal::Beep);
        if (!formed) {
            event->accept();
            return;
        }
    }
    // Deleting beside a stand-in may complete it, as entering text may.
    applyAndReread(from, to, formed.value_or(QString()), [&] {
        if (!formed || *formed == event->text() ||
            event->matches(QKeySequence::InsertParagraphSeparator)) {
            QPlainTextEdit::keyPressEvent(event);
            return;
        }
        QTextCursor edit = textCursor();
        edit.insertText(*formed);
        setTextCursor(edit);
        ensureCursorVisible();
        event->accept();
    });
}

void MemoPane::inputMethodEvent(QInputMethodEvent* event) {
    if (isReadOnly()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    const QTextCursor cursor = textCursor();
    int from = cursor.selectionStart();
    int to = cursor.selectionEnd();
    if (!cursor.hasSelection() && event->replacementLength() > 0) {
        from = cursor.position() + event->replacementStart();
        to = from + event->replacementLength();
    }
    // Text being composed is shown in the line but is not yet the pane's.
    // Past a length no input method composes it is not shown at all: it
    // would be wrapped like any other stretch.
    const bool composedTooLong = event->preeditString().size() > kUnbrokenRunLimit;
    QInputMethodEvent edit(
        composedTooLong ? QString() : event->preeditString(),
        composedTooLong ? QList<QInputMethodEvent::Attribute>() : event->attributes());
    // The commit only if admitted; the preedit and a deletion around the
    // cursor always.
    const std::optional<QString> formed = admit(from, to, event->commitString(), Refusal::Beep);
    if (formed) {
        edit.setCommitString(*formed, event->replacementStart(), event->replacementLength());
    }
    applyAndReread(from, to, formed.value_or(QString()),
                   [&] { QPlainTextEdit::inputMethodEvent(&edit); });
    event->setAccepted(edit.isAccepted());
}

void MemoPane::insertFromMimeData(const QMimeData* source) {
    // Pastes, and drops once the drop point is known (see dropEvent).
    const QTextCursor cursor = textCursor();
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    std::optional<QString> formed = std::exchange(admittedDrop_, std::nullopt);
    if (!formed) {
        formed = admit(from, to, source->text(), Refusal::TooLargeBox);
    }
    if (!formed) {
        return;
    }
    QMimeData plain;
    plain.setText(*formed);
    applyAndReread(from, to, *formed, [&] { QPlainTextEdit::insertFromMimeData(&plain); });
}

void MemoPane::contextMenuEvent(QContextMenuEvent* event) {
    // Qt's own menu, but waited for: its Cut and Delete take text away
    // beside the cursor as keys do, and what they leave is re-read after.
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    const int revision = document()->revision();
    menu->exec(event->globalPos());
    if (document()->revision() != revision) {
        rereadStandIns(textCursor().selectionStart(), textCursor().selectionEnd());
    }
}

void MemoPane::mouseMoveEvent(QMouseEvent* event) {
    // Text dragged out of the pane is taken away when the drag ends here.
    const int revision = document()->revision();
    QPlainTextEdit::mouseMoveEvent(event);
    if (document()->revision() != revision) {
        rereadStandIns(textCursor().selectionStart(), textCursor().selectionEnd());
    }
}

std::optional<QString> MemoPane::droppedFile(const QDropEvent* event) const {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (role_ != Role::Input || urls.isEmpty() ||
        !std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })) {
        return std::nullopt;  // not files: dropped as text
    }
    // Files: one is loaded; several, or one while a run is pending, are not.
    return urls.size() == 1 && acceptsFiles() ? urls.front().toLocalFile() : QString();
}

bool MemoPane::takeFileDrag(QDragMoveEvent* event) {
    const std::optional<QString> file = droppedFile(event);
    if (!file) {
        return false;
    }
    if (file->isEmpty()) {
        event->ignore();
    } else {
        event->acceptProposedAction();
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
    if (const std::optional<QString> file = droppedFile(event)) {
        if (file->isEmpty()) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        emit fileDropped(*file);
        return;
    }
    // Text is admitted here, before the drop is accepted: a refused drop
    // must leave the text where it came from. Text moved within the pane
    // never grows it.
    const bool moveWithin = event->source() == viewport() && event->dropAction() == Qt::MoveAction;
    const QString text = event->mimeData()->text();
    if (moveWithin) {
        admittedDrop_ = inPaneForm(text);
    } else {
        const int at = cursorForPosition(event->position().toPoint()).position();
        admittedDrop_ = admit(at, at, text, Refusal::TooLargeBox);
        if (!admittedDrop_) {
            event->ignore();
            return;
        }
    }
    QPlainTextEdit::dropEvent(event);
    admittedDrop_.reset();
}

}  // namespace numerlo
