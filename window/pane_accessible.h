// A pane as assistive tools (screen readers, on-screen keyboards) see it:
// read as Qt's own plain-text interface reads it, but every edit they make
// goes through the pane's own way in. Qt's interface for QPlainTextEdit is
// private and edits the document directly, so this one stands in its place,
// built on QAccessibleWidget, which names the pane by its caption.
#pragma once

#include <QAccessibleWidget>
#include <QPlainTextEdit>

#include <functional>

namespace numerlo {

class PaneAccessible : public QAccessibleWidget,
                       public QAccessibleTextInterface,
                       public QAccessibleEditableTextInterface {
  public:
    // `enter(from, to, text)` replaces [from, to) with `text` as the pane
    // takes entered text.
    using Enter = std::function<void(int from, int to, const QString& text)>;
    PaneAccessible(QPlainTextEdit* pane, Enter enter);

    void* interface_cast(QAccessible::InterfaceType type) override;
    [[nodiscard]] QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString& text) override;
    [[nodiscard]] QAccessible::State state() const override;

    // Reading, as Qt's own interface answers, in displayed lines.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    [[nodiscard]] int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    [[nodiscard]] int cursorPosition() const override;
    void setCursorPosition(int position) override;
    [[nodiscard]] QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    [[nodiscard]] int characterCount() const override;
    [[nodiscard]] QRect characterRect(int offset) const override;
    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // Editing: all through `enter`.
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

  private:
    [[nodiscard]] QPlainTextEdit* pane() const { return static_cast<QPlainTextEdit*>(widget()); }
    [[nodiscard]] QTextCursor range(int start, int end) const;
    // The piece of `boundaryType` around the piece that holds `offset`,
    // `step` pieces on (-1, 0 or 1).
    QString piece(int offset, int step, QAccessible::TextBoundaryType boundaryType,
                  int* startOffset, int* endOffset) const;

    Enter enter_;
};

}  // namespace numerlo
