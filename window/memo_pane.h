// A text pane that holds exactly what CP932 can hold, within one limit, so
// that what a pane shows is exactly what the run reads and a save writes.
//
// Every way text enters a pane (typed keys, input-method text, pastes, drops
// and text from assistive tools) takes the same steps:
//  1. inPaneForm:     the text takes the pane's form (pane_form.h): one kind
//                     of line break, nothing after a NUL, and every
//                     character as CP932 reads it back ("?" where it has
//                     none);
//  2. fitsLimit:      it must keep the pane within its limit, or it is
//                     refused whole: keys and input methods with a beep,
//                     pastes, drops and assistive tools with the too-large
//                     box;
//  3. the edit, made by Qt's own handler;
//  4. rereadLines:    a byte CP932 could not read on its own shows as a
//                     stand-in, and an edit beside it may complete it: the
//                     lines edited show what their bytes now read, in the
//                     same undo step.
// Text known before the edit takes them in this order: admit() runs steps 1
// and 2, applyAndReread() steps 3 and 4. What a key enters only Qt knows (a
// Ctrl key may enter a formatting character), so a key takes step 3 first
// and settleKey() takes steps 1, 2 and 4 on what Qt entered, in the edit's
// undo step; a refused key's edit is taken back there. Edits that only take
// text away (Delete, Backspace, the context menu's Cut, text dragged out)
// take steps 3 and 4 in one undo step; text moved within a pane is re-read
// where it left as well. A loaded file's bytes are the pane's text as they
// stand, refused whole past the limit.
// Qt lays out and scrolls to the caret as it edits, so its handlers never
// run while an edit block of the pane's is open (the layout of a line just
// edited is renewed only once the block ends): what settles Qt's edit joins
// it in the same undo step afterwards.
#pragma once

#include <QPlainTextEdit>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QAccessibleInterface;

namespace numerlo {

class MemoPane : public QPlainTextEdit {
    Q_OBJECT

  public:
    // Input panes wrap at their right edge, at word boundaries, as the run
    // counts their lines (wrap_layout.h keeps that quick for any text), and
    // load a file dropped on them. The output pane scrolls both ways.
    enum class Role { Input, Output };
    MemoPane(Role role, QWidget* parent);

    // The whole text as CP932 bytes with CR LF line breaks.
    [[nodiscard]] std::string bytes() const;

    // Displayed line `line` (from 0) as CP932 bytes without its line break.
    // A wrapped line counts as one line per piece; a line past the end is
    // empty.
    [[nodiscard]] std::string displayedLine(int line) const;

    // Replaces the whole text with CP932 bytes (a loaded file), which cannot
    // be undone. Returns false, and changes nothing, past the pane's limit.
    bool setBytes(std::string_view bytes);

    // Adds text the program made, with no limit: after an empty text or one
    // ending in a line break it becomes old + text + line break, otherwise
    // old + line break + text.
    void addBytes(std::string_view bytes);

    // Asked before a file drop is taken; false refuses it (a run is pending).
    std::function<bool()> acceptsFiles = [] { return true; };

  signals:
    // One local file was dropped on an input pane: its name as the bytes
    // the system knows it by, which need not be UTF-8.
    void fileDropped(const QByteArray& name);
    // A paste or drop was refused whole: it would pass the limit.
    void tooLarge();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // How an entry past the limit is refused.
    enum class Refusal { Beep, TooLargeBox };
    // Steps 1 and 2 for `text` replacing [from, to): the text in the pane's
    // form, or nothing when it was refused.
    std::optional<QString> admit(int from, int to, const QString& text, Refusal refusal);
    // Step 2: whether a pane whose text was `before` may hold `after`. An
    // edit that does not grow a pane already past the limit may stand.
    [[nodiscard]] static bool fitsLimit(const QString& before, const QString& after);
    // Steps 3 and 4: makes `edit`, which replaces [from, to) with `formed`
    // or deletes there, and re-reads the stand-ins it may complete.
    void applyAndReread(int from, int to, const QString& formed, const std::function<void()>& edit);
    // Whether `text` or the lines from `from` to `to`, or next to them, hold
    // a stand-in: what step 4 has to look at.
    [[nodiscard]] bool nearStandIn(int from, int to, const QString& text) const;
    // Step 4 alone, for the lines from `from` to `to`.
    void rereadLines(int from, int to);
    // Step 4 around the cursor after an edit Qt made on its own (the
    // context menu's Cut and Delete, text dragged out), in that edit's undo
    // step.
    void rereadInLastStep();
    // Whether Qt's edit for `event` may need settling, with the text
    // `before` and the cursor from `anchor` to `position`: held in one undo
    // step with what settles it.
    [[nodiscard]] bool keyMayNeedSettling(const QKeyEvent& event, const QString& before, int anchor,
                                          int position) const;
    // Steps 1, 2 and 4 after Qt's own edit for a key, of the text that was
    // `before` with the cursor from `anchor` to `position`. False for a key
    // past the limit: taken back here unless its edit is `held` in an edit
    // block of its own, which the caller undoes whole.
    bool settleKey(const QString& before, int anchor, int position, bool held);
    // Qt's own edit for a key that may need settling, with the text `before`
    // and the cursor from `anchor` to `position`, and what settles it, in one
    // undo step.
    void settleHeldKey(QKeyEvent* event, const QString& before, int anchor, int position);

    // An input method's event that commits and composes or selects, taken
    // as two: true when `event` was taken so.
    bool splitCommit(QInputMethodEvent& event);

    // A composition still showing when a paste or drop arrives is committed
    // first: entered text beside an uncommitted one leaves Qt's layout of
    // the line out of step with its text, and caret moves there can loop.
    void commitComposition();

    // Text an assistive tool enters in place of [from, to), through the
    // pane's accessible interface (pane_accessible.h).
    void enterForAssistiveTool(int from, int to, const QString& text);
    static QAccessibleInterface* accessibleFor(const QString& className, QObject* object);

    // For a drag of local files onto an input pane, the name of the one file
    // to load, or nothing to refuse the drag; no value for any other drag.
    [[nodiscard]] std::optional<QByteArray> droppedFile(const QDropEvent* event) const;
    // Accepts or refuses a drag of local files; false for any other drag.
    bool takeFileDrag(QDragMoveEvent* event);

    Role role_;
    std::optional<QString> admittedDrop_;  // a text drop admitted before it was taken
    std::optional<int> movedFrom_;         // where text moved within the pane left
    bool inDrop_ = false;                  // Qt's edit block for a drop is open
};

}  // namespace numerlo
