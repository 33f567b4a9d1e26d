// MemoPane: every way text enters a pane, in the steps memo_pane.h lists.
#include "memo_pane.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QApplication>
#include <QDropEvent>
#include <QInputMethod>
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

#include "pane_accessible.h"
#include "pane_lines.h"
#include "qstring_cp932.h"
#include "wrap_layout.h"

namespace numerlo {

namespace {

// A cursor in `doc` from `anchor` to `position`.
QTextCursor span(QTextDocument* doc, int anchor, int position) {
    QTextCursor cursor(doc);
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    return cursor;
}

// How much two texts share: at their start (at most `mostHead`), then at
// their end. What lies between is where they differ.
struct SharedEnds {
    qsizetype head = 0;
    qsizetype tail = 0;
};
SharedEnds sharedEnds(const QString& one, const QString& other, qsizetype mostHead) {
    const qsizetype shorter = std::min(one.size(), other.size());
    SharedEnds shared;
    while (shared.head < std::min(shorter, mostHead) && one[shared.head] == other[shared.head]) {
        ++shared.head;
    }
    while (shared.tail < shorter - shared.head &&
           one[one.size() - 1 - shared.tail] == other[other.size() - 1 - shared.tail]) {
        ++shared.tail;
    }
    return shared;
}

}  // namespace

MemoPane::MemoPane(Role role, QWidget* parent) : QPlainTextEdit(parent), role_(role) {
    static const bool accessible = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    (void)accessible;
    setTabChangesFocus(true);
    if (role == Role::Input) {
        setLineWrapMode(QPlainTextEdit::WidgetWidth);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        new WrapLayout(document(), viewport());  // owned by the document
    } else {
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    // A thin inner margin, as a native edit control has, so that the
    // instruction lines fit one displayed line each.
    document()->setDocumentMargin(lines::kPaneMargin);
}

std::string MemoPane::bytes() const {
    // The raw text: toPlainText() would turn U+00A0 into a blank.
    return toBytes(document()->toRawText());
}

std::string MemoPane::displayedLine(int line) const {
    if (line < 0) {
        return {};
    }
    // The lines of the pane's own text: a composition shown in it is not the
    // pane's yet, and would move every piece after it.
    QTextDocument* doc = document();
    const auto* wrap = qobject_cast<const WrapLayout*>(doc->documentLayout());
    int remaining = line;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        QList<std::pair<int, int>> pieces;
        if (wrap != nullptr) {
            pieces = wrap->ownLines(block);
        } else {
            doc->documentLayout()->blockBoundingRect(block);  // layout is lazy
            for (int i = 0; i < block.layout()->lineCount(); ++i) {
                pieces.append({block.layout()->lineAt(i).textStart(),
                               block.layout()->lineAt(i).textLength()});
            }
        }
        if (pieces.isEmpty()) {
            pieces.append({0, static_cast<int>(block.text().size())});
        }
        if (remaining >= pieces.size()) {
            remaining -= static_cast<int>(pieces.size());
            continue;
        }
        const auto [start, length] = pieces[remaining];
        return toBytes(block.text().mid(start, length));
    }
    return {};
}

bool MemoPane::setBytes(std::string_view bytes) {
    if (bytes.size() > kPaneLimitBytes) {
        return false;
    }
    // Replaced in the document: setPlainText() would lay a long line out
    // twice. Turning undo off and on empties the undo history, as
    // setPlainText() does.
    QTextDocument* doc = document();
    doc->setUndoRedoEnabled(false);
    doc->setPlainText(toPaneText(bytes));
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    setTextCursor(QTextCursor(doc));
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
    if (formed) {
        const QString before = document()->toRawText();
        from = std::clamp(from, 0, static_cast<int>(before.size()));
        to = std::clamp(to, from, static_cast<int>(before.size()));
        if (!fitsLimit(before, QString(before).replace(from, to - from, *formed))) {
            formed.reset();
        }
    }
    if (!formed) {
        if (refusal == Refusal::Beep) {
            QApplication::beep();
        } else {
            emit tooLarge();
        }
    }
    return formed;
}

bool MemoPane::fitsLimit(const QString& before, const QString& after) {
    const std::size_t size = toBytes(after).size();
    return size <= kPaneLimitBytes || size <= toBytes(before).size();
}

bool MemoPane::nearStandIn(int from, int to, const QString& text) const {
    if (holdsStandIn(utf16(text))) {
        return true;
    }
    // The lines an edit may join, too.
    const QTextBlock first = document()->findBlock(from).previous();
    const QTextBlock last = document()->findBlock(to).next();
    for (QTextBlock block = first.isValid() ? first : document()->findBlock(from); block.isValid();
         block = block.next()) {
        if (holdsStandIn(utf16(block.text()))) {
            return true;
        }
        if (block == last) {
            break;
        }
    }
    return false;
}

void MemoPane::applyAndReread(int from, int to, const QString& formed,
                              const std::function<void()>& edit) {
    if (!nearStandIn(from, to, formed)) {
        edit();  // the usual case: nothing can combine
        return;
    }
    // One edit block: a single undo takes back the edit and what it re-read,
    // and puts the cursor back where it was (the block's own cursor says).
    QTextCursor group = textCursor();
    group.beginEditBlock();
    edit();
    rereadLines(from, from + static_cast<int>(formed.size()));
    group.endEditBlock();
    // Qt scrolls to a drop once its own edit block around it has ended.
    if (!inDrop_) {
        ensureCursorVisible();
    }
}

void MemoPane::rereadInLastStep() {
    const QTextCursor cursor = textCursor();
    if (!nearStandIn(cursor.selectionStart(), cursor.selectionEnd(), QString())) {
        return;
    }
    QTextCursor join(document());
    join.joinPreviousEditBlock();
    rereadLines(cursor.selectionStart(), cursor.selectionEnd());
    join.endEditBlock();
}

void MemoPane::rereadLines(int from, int to) {
    QTextDocument* doc = document();
    const int end = doc->characterCount() - 1;  // a deletion may leave either past the end
    const QTextBlock last = doc->findBlock(std::clamp(std::max(from, to), 0, end));
    for (QTextBlock block = doc->findBlock(std::clamp(std::min(from, to), 0, end)); block.isValid();
         block = block.next()) {
        const QString text = block.text();
        const QString read = QString::fromStdU16String(numerlo::rereadStandIns(utf16(text)));
        if (read != text) {
            // Replace only what differs, so that the cursor stays put.
            const auto [head, tail] = sharedEnds(text, read, text.size());
            QTextCursor cursor = span(doc, block.position() + static_cast<int>(head),
                                      block.position() + static_cast<int>(text.size() - tail));
            cursor.insertText(read.mid(head, read.size() - head - tail));
        }
        if (block == last) {
            break;
        }
    }
}

void MemoPane::keyPressEvent(QKeyEvent* event) {
    // Pastes take their own steps (insertFromMimeData).
    if (isReadOnly() || event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        event->matches(QKeySequence::Paste) || event->key() == Qt::Key_Tab ||
        event->key() == Qt::Key_Backtab) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    // Ctrl+Y redoes too, as on the desktops where it is the only redo key.
    if (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier) {
        redo();
        return;
    }
    // A key held with Alt or Meta is a command for the window, never text.
    if ((event->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) != 0 &&
        !event->text().isEmpty()) {
        event->ignore();
        return;
    }
    const QString before = document()->toRawText();
    const int anchor = textCursor().anchor();
    const int position = textCursor().position();
    if (keyMayNeedSettling(*event, before, anchor, position)) {
        settleHeldKey(event, before, anchor, position);
        return;
    }
    // Qt keeps typed characters together as one undo step.
    QPlainTextEdit::keyPressEvent(event);
    const int revision = document()->revision();
    settleKey(before, anchor, position, false);
    if (document()->revision() != revision) {
        ensureCursorVisible();
    }
}

void MemoPane::settleHeldKey(QKeyEvent* event, const QString& before, int anchor, int position) {
    // Qt lays the pane out and scrolls to the caret as it takes a key, so it
    // takes the key with no edit block open: inside one, the layout of a line
    // just edited is not yet renewed. Qt never joins an edit to one made
    // before the document was last marked unmodified, so the key's edit is
    // one undo step of its own, taken back here and made again, in one edit
    // block with what settles it; a refused key leaves no step behind.
    QTextDocument* doc = document();
    doc->setModified(false);
    const int steps = doc->availableUndoSteps();
    QPlainTextEdit::keyPressEvent(event);
    const QString after = doc->toRawText();
    if (after == before) {
        return;
    }
    const QTextCursor qts = textCursor();
    doc->undo();
    if (doc->toRawText() != before || doc->availableUndoSteps() != steps) {
        doc->redo();  // not the key's own step after all: settled where it stands
        settleKey(before, anchor, position, false);
        return;
    }
    doc->clearUndoRedoStacks(QTextDocument::RedoStack);
    const auto [head, tail] = sharedEnds(after, before, std::min(anchor, position));
    QTextCursor group = span(doc, anchor, position);  // where an undo puts the cursor back
    group.beginEditBlock();
    span(doc, static_cast<int>(head), static_cast<int>(before.size() - tail))
        .insertText(after.mid(head, after.size() - tail - head));
    const QTextCursor caret = span(doc, qts.anchor(), qts.position());
    const bool refused = !settleKey(before, anchor, position, true);
    group.endEditBlock();
    if (refused) {
        doc->undo();
        doc->clearUndoRedoStacks(QTextDocument::RedoStack);
        setTextCursor(span(doc, anchor, position));
    } else {
        setTextCursor(caret);
    }
}

bool MemoPane::keyMayNeedSettling(const QKeyEvent& event, const QString& before, int anchor,
                                  int position) const {
    const int from = std::min(anchor, position);
    const int to = std::max(anchor, position);
    // Enter and Shift+Enter enter a line break whatever their text.
    if (nearStandIn(from, to, event.text()) ||
        event.matches(QKeySequence::InsertParagraphSeparator) ||
        event.matches(QKeySequence::InsertLineSeparator)) {
        return true;
    }
    // Otherwise Qt enters the key's text or nothing.
    const QString text = event.text();
    return !text.isEmpty() && (inPaneForm(text) != text ||
                               !fitsLimit(before, QString(before).replace(from, to - from, text)));
}

bool MemoPane::settleKey(const QString& before, int anchor, int position, bool held) {
    QTextDocument* doc = document();
    const QString after = doc->toRawText();
    if (after == before) {
        return true;
    }
    // What Qt changed: it edits at the cursor, or takes text away before it.
    const auto [head, tail] = sharedEnds(after, before, std::min(anchor, position));
    const auto from = static_cast<int>(head);
    const auto end = static_cast<int>(after.size() - tail);
    // Enter makes a new block, which the raw text shows as U+2029; Shift+Enter
    // enters U+2028, which the pane's form makes a line break like it.
    QString entered = after.mid(from, end - from);
    entered.replace(QChar::ParagraphSeparator, u'\n');
    const std::optional<QString> formed = entered.isEmpty() ? entered : inPaneForm(entered);
    const bool fits =
        formed && (entered.isEmpty() ||
                   fitsLimit(before, QString(after).replace(from, entered.size(), *formed)));
    QTextCursor edit = span(doc, from, end);
    if (!fits) {
        QApplication::beep();
        if (held) {
            return false;  // its edit block is undone whole
        }
        edit.insertText(before.mid(from, before.size() - tail - from));
        setTextCursor(span(doc, anchor, position));
        return false;
    }
    if (*formed != entered) {
        edit.insertText(*formed);
    }
    if (nearStandIn(from, from + static_cast<int>(formed->size()), *formed)) {
        rereadLines(from, from + static_cast<int>(formed->size()));
    }
    return true;
}

void MemoPane::inputMethodEvent(QInputMethodEvent* event) {
    if (isReadOnly()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    if (splitCommit(*event)) {
        return;
    }
    // Qt takes away the selection, then the replacement, counted from where
    // the selection started in the text left. It moves to the replacement's
    // ends only where they lie in that text, and would otherwise enter the
    // commit without taking away what was admitted as replaced: the
    // replacement given to Qt is the part of it that lies in the text.
    const QTextCursor cursor = textCursor();
    const int at = cursor.selectionStart();
    const int taken = cursor.selectionEnd() - at;
    const int left = document()->characterCount() - 1 - taken;
    const int replaceFrom = std::clamp(at + event->replacementStart(), 0, left);
    const int replaceTo =
        std::clamp(at + event->replacementStart() + event->replacementLength(), replaceFrom, left);
    // Text being composed is shown in the line but is not yet the pane's.
    QInputMethodEvent edit(event->preeditString(), event->attributes());
    // The commit only if admitted (a selection taken away counts, to be
    // safe, without the replacement beside it); the preedit and a deletion
    // around the cursor always.
    const std::optional<QString> formed =
        taken > 0 ? admit(at, at + taken, event->commitString(), Refusal::Beep)
                  : admit(replaceFrom, replaceTo, event->commitString(), Refusal::Beep);
    if (formed) {
        edit.setCommitString(*formed, replaceFrom - at, replaceTo - replaceFrom);
    }
    // Qt lays out and scrolls as it takes the event, so it takes it with no
    // edit block open. Its edit is an edit block of its own, which the
    // stand-ins it completes join: all it touched, before and after.
    const int entered = static_cast<int>(formed.value_or(QString()).size());
    const bool reread =
        nearStandIn(std::min(at, replaceFrom),
                    std::max(at + taken, replaceTo > at ? replaceTo + taken : replaceTo),
                    formed.value_or(QString()));
    const int revision = document()->revision();
    QPlainTextEdit::inputMethodEvent(&edit);
    event->setAccepted(edit.isAccepted());
    if (reread && document()->revision() != revision) {
        QTextCursor join(document());
        join.joinPreviousEditBlock();
        rereadLines(std::min(at, replaceFrom), std::max(at, replaceFrom) + entered);
        join.endEditBlock();
        ensureCursorVisible();
    }
}

bool MemoPane::splitCommit(QInputMethodEvent& event) {
    // Qt puts the caret on the text an input method selects, and scrolls to
    // it, inside its own edit block for the event, after the commit, when
    // the edited line's layout is not yet renewed; and it shows a
    // composition after a commit that ends a line in the line before. The
    // commit goes first, the composition and the selection in an event of
    // their own.
    if ((event.commitString().isEmpty() && event.replacementLength() == 0) ||
        (event.preeditString().isEmpty() &&
         std::none_of(event.attributes().begin(), event.attributes().end(),
                      [](const QInputMethodEvent::Attribute& attribute) {
                          return attribute.type == QInputMethodEvent::Selection;
                      }))) {
        return false;
    }
    QInputMethodEvent commit;
    commit.setCommitString(event.commitString(), event.replacementStart(),
                           event.replacementLength());
    inputMethodEvent(&commit);
    QInputMethodEvent compose(event.preeditString(), event.attributes());
    QPlainTextEdit::inputMethodEvent(&compose);
    event.setAccepted(commit.isAccepted());
    return true;
}

void MemoPane::commitComposition() {
    const auto shown = [this] { return textCursor().block().layout()->preeditAreaText(); };
    if (shown().isEmpty()) {
        return;
    }
    // As a click does: the input method hands the composition over, and
    // one that keeps it has it taken as it stands and starts afresh.
    QGuiApplication::inputMethod()->commit();
    if (!shown().isEmpty()) {
        QInputMethodEvent commit;
        commit.setCommitString(shown());
        QApplication::sendEvent(this, &commit);
        QGuiApplication::inputMethod()->reset();
    }
    if (!shown().isEmpty()) {  // refused at the limit
        QInputMethodEvent cancel;
        QApplication::sendEvent(this, &cancel);
    }
}

void MemoPane::insertFromMimeData(const QMimeData* source) {
    // Pastes, and drops once the drop point is known (see dropEvent).
    commitComposition();
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
    // Text moved within the pane has already left its place, inside the
    // drop's undo step: the lines it left are re-read too, once it is in.
    QTextCursor left;
    if (const std::optional<int> at = std::exchange(movedFrom_, std::nullopt)) {
        left = QTextCursor(document());
        left.setPosition(*at);
    }
    // As plain text typed at the cursor: Qt's own paste inserts a fragment,
    // whose undo leaves the cursor a line further on. The pane's cursor
    // follows the text in; a drop's is set by Qt once its edit block ends.
    applyAndReread(from, to, *formed, [&] { textCursor().insertText(*formed); });
    if (!left.isNull()) {
        rereadLines(left.position(), left.position());
    }
    if (!inDrop_) {
        ensureCursorVisible();
    }
}

void MemoPane::contextMenuEvent(QContextMenuEvent* event) {
    // Qt's own menu, but waited for: its Cut and Delete take text away
    // beside the cursor as keys do, and what they leave is re-read after.
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    const int revision = document()->revision();
    menu->exec(event->globalPos());
    if (document()->revision() != revision) {
        rereadInLastStep();
    }
}

void MemoPane::mouseMoveEvent(QMouseEvent* event) {
    // Text dragged out of the pane is taken away when the drag ends here.
    const int revision = document()->revision();
    QPlainTextEdit::mouseMoveEvent(event);
    if (document()->revision() != revision) {
        rereadInLastStep();
    }
    // A drag takes the button's release for itself, so Qt never hears of
    // it: when the drag left the pane at once, Qt's scrolling timer goes on
    // moving a pressed mouse, and a second drag starts by itself, holds the
    // keys and drops the text at the next click. The release is told here.
    if ((event->buttons() & Qt::LeftButton) != 0 &&
        (QGuiApplication::mouseButtons() & Qt::LeftButton) == 0) {
        const QPointF at = cursorRect().center();
        QMouseEvent release(QEvent::MouseButtonRelease, at, viewport()->mapToGlobal(at),
                            Qt::LeftButton, Qt::NoButton, event->modifiers());
        QPlainTextEdit::mouseReleaseEvent(&release);
    }
}

std::optional<QByteArray> MemoPane::droppedFile(const QDropEvent* event) const {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (role_ != Role::Input || urls.isEmpty() ||
        !std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })) {
        return std::nullopt;  // not files: dropped as text
    }
    // Files: one is loaded; several, or one while a run is pending, are not.
    // The name is the file's own bytes, as the address spells them: Qt's
    // reading of it turns bytes that are not UTF-8 into U+FFFD.
    if (urls.size() != 1 || !acceptsFiles()) {
        return QByteArray();
    }
    return QByteArray::fromPercentEncoding(urls.front().path(QUrl::FullyEncoded).toLatin1());
}

bool MemoPane::takeFileDrag(QDragMoveEvent* event) {
    const std::optional<QByteArray> file = droppedFile(event);
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
    if (const std::optional<QByteArray> file = droppedFile(event)) {
        if (file->isEmpty()) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        emit fileDropped(*file);
        return;
    }
    commitComposition();
    // Text is admitted here, before the drop is accepted: a refused drop
    // must leave the text where it came from. Text moved within the pane
    // never grows it.
    const bool moveWithin = event->source() == viewport() && event->dropAction() == Qt::MoveAction;
    const QString text = event->mimeData()->text();
    if (moveWithin) {
        admittedDrop_ = inPaneForm(text);
        movedFrom_ = textCursor().selectionStart();  // Qt takes it away first
    } else {
        const int at = cursorForPosition(event->position().toPoint()).position();
        admittedDrop_ = admit(at, at, text, Refusal::TooLargeBox);
        if (!admittedDrop_) {
            event->ignore();
            return;
        }
    }
    inDrop_ = true;
    QPlainTextEdit::dropEvent(event);
    inDrop_ = false;
    admittedDrop_.reset();
    movedFrom_.reset();
}

void MemoPane::enterForAssistiveTool(int from, int to, const QString& text) {
    if (isReadOnly()) {
        return;
    }
    const int size = document()->characterCount() - 1;
    from = std::clamp(from, 0, size);
    to = std::clamp(to, from, size);
    const std::optional<QString> formed = admit(from, to, text, Refusal::TooLargeBox);
    if (!formed) {
        return;
    }
    applyAndReread(from, to, *formed, [&] { span(document(), from, to).insertText(*formed); });
}

QAccessibleInterface* MemoPane::accessibleFor(const QString& className, QObject* object) {
    // Asked for each class of an object from its own up.
    if (className != QLatin1String(staticMetaObject.className()) || object == nullptr) {
        return nullptr;
    }
    auto* pane = static_cast<MemoPane*>(object);
    return new PaneAccessible(pane, [pane](int from, int to, const QString& text) {
        pane->enterForAssistiveTool(from, to, text);
    });
}

}  // namespace numerlo
