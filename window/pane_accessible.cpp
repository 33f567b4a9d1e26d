// A pane's text interface for assistive tools; their edits enter as any text does.
#include "pane_accessible.h"

#include <QTextCursor>
#include <QTextDocument>

#include <utility>

namespace numerlo {

PaneAccessible::PaneAccessible(QPlainTextEdit* pane, Enter enter)
    : QAccessibleWidget(pane, QAccessible::EditableText), enter_(std::move(enter)) {}

void* PaneAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    if (type == QAccessible::EditableTextInterface) {
        return static_cast<QAccessibleEditableTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QString PaneAccessible::text(QAccessible::Text t) const {
    return t == QAccessible::Value ? pane()->toPlainText() : QAccessibleWidget::text(t);
}

void PaneAccessible::setText(QAccessible::Text t, const QString& text) {
    if (t == QAccessible::Value) {
        enter_(0, characterCount(), text);
    } else {
        QAccessibleWidget::setText(t, text);
    }
}

QAccessible::State PaneAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.selectableText = true;
    state.multiLine = true;
    (pane()->isReadOnly() ? state.readOnly : state.editable) = true;
    return state;
}

QTextCursor PaneAccessible::range(int start, int end) const {
    QTextCursor cursor = pane()->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    return cursor;
}

void PaneAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    const QTextCursor cursor = pane()->textCursor();
    const bool selected = selectionIndex == 0 && cursor.hasSelection();
    *startOffset = selected ? cursor.selectionStart() : 0;
    *endOffset = selected ? cursor.selectionEnd() : 0;
}

int PaneAccessible::selectionCount() const {
    return pane()->textCursor().hasSelection() ? 1 : 0;
}

void PaneAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void PaneAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0) {
        setCursorPosition(cursorPosition());
    }
}

void PaneAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0) {
        pane()->setTextCursor(range(startOffset, endOffset));
    }
}

int PaneAccessible::cursorPosition() const {
    return pane()->textCursor().position();
}

void PaneAccessible::setCursorPosition(int position) {
    pane()->setTextCursor(range(position, position));
}

QString PaneAccessible::text(int startOffset, int endOffset) const {
    return range(startOffset, endOffset).selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

QString PaneAccessible::piece(int offset, int step, QAccessible::TextBoundaryType boundaryType,
                              int* startOffset, int* endOffset) const {
    QPair<int, int> piece =
        QAccessible::qAccessibleTextBoundaryHelper(range(offset, offset), boundaryType);
    if (step != 0) {
        const int next = step < 0 ? piece.first - 1 : piece.second;
        piece = QAccessible::qAccessibleTextBoundaryHelper(range(next, next), boundaryType);
    }
    *startOffset = piece.first;
    *endOffset = piece.second;
    return text(piece.first, piece.second);
}

QString PaneAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const {
    return piece(offset, -1, boundaryType, startOffset, endOffset);
}

QString PaneAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int* startOffset, int* endOffset) const {
    return piece(offset, 1, boundaryType, startOffset, endOffset);
}

QString PaneAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                     int* startOffset, int* endOffset) const {
    return piece(offset, 0, boundaryType, startOffset, endOffset);
}

int PaneAccessible::characterCount() const {
    return pane()->document()->characterCount() - 1;
}

QRect PaneAccessible::characterRect(int offset) const {
    if (offset < 0 || offset >= characterCount()) {
        return {};
    }
    // From the caret before the character to the caret after it, or its
    // own width at the end of a line.
    QRect rect = pane()->cursorRect(range(offset, offset));
    const int right = pane()->cursorRect(range(offset + 1, offset + 1)).left();
    rect.setWidth(right > rect.left()
                      ? right - rect.left()
                      : pane()->fontMetrics().horizontalAdvance(text(offset, offset + 1)));
    rect.moveTopLeft(pane()->viewport()->mapToGlobal(rect.topLeft()));
    return rect;
}

int PaneAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint at = pane()->viewport()->mapFromGlobal(point);
    return pane()->viewport()->rect().contains(at) ? pane()->cursorForPosition(at).position() : -1;
}

void PaneAccessible::scrollToSubstring(int startIndex, int endIndex) {
    // As Qt's own plain-text interface: the pane scrolls with its cursor.
    Q_UNUSED(startIndex);
    Q_UNUSED(endIndex);
}

QString PaneAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    // One plain face throughout.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void PaneAccessible::deleteText(int startOffset, int endOffset) {
    enter_(startOffset, endOffset, QString());
}

void PaneAccessible::insertText(int offset, const QString& text) {
    enter_(offset, offset, text);
}

void PaneAccessible::replaceText(int startOffset, int endOffset, const QString& text) {
    enter_(startOffset, endOffset, text);
}

}  // namespace numerlo
