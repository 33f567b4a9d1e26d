// A text pane that holds exactly what CP932 can hold, within one limit. Every
// way text enters a pane (typed keys, input-method text, pastes, drops and
// loaded files) passes through here and takes the pane's form at once:
//  - CR LF, CR, U+2028, U+2029 and U+0085 are one line break, as Enter makes;
//  - a JIS-style code point becomes the CP932 character it stands for
//    (U+301C is 81 60), and a character CP932 lacks shows as "?";
//  - entered text ends before its first NUL, as a loaded file does.
// So what a pane shows is exactly what the run reads and a save writes.
#pragma once

#include <QPlainTextEdit>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace numerlo {

// The most CP932 text a pane takes, line breaks counted as CR LF: room for a
// whole draw history (some 2,100 draws, 45 KiB).
inline constexpr std::size_t kPaneLimitBytes = std::size_t{64} * 1024;

// The longest stretch without a place to break it that an input pane wraps
// at word boundaries. Qt wraps such a stretch in time that grows with the
// square of its length (64 Ki characters: about 2 s in the 49 px serial
// pane). A pane that holds a longer one wraps anywhere, in time that grows
// with the length, until it holds none; its displayed lines, which the run
// reads, are then those.
inline constexpr qsizetype kUnbrokenRunLimit = 256;

class MemoPane : public QPlainTextEdit {
    Q_OBJECT

  public:
    // Input panes wrap at their right edge, as the run counts their lines,
    // and load a file dropped on them. The output pane scrolls both ways.
    enum class Role { Input, Output };
    MemoPane(Role role, QWidget* parent);

    // The whole text as CP932 bytes with CR LF line breaks.
    [[nodiscard]] std::string bytes() const;

    // Displayed line `line` (from 0) as CP932 bytes without its line break,
    // cut to 4096 bytes. A wrapped line counts as one line per piece; a line
    // past the end is empty.
    [[nodiscard]] std::string displayedLine(int line) const;

    // Replaces the whole text with CP932 bytes (a loaded file). Returns false,
    // and changes nothing, if they would pass the pane's limit.
    bool setBytes(std::string_view bytes);

    // Adds text the program made, with no limit: after an empty text or one
    // ending in a line break it becomes old + text + line break, otherwise
    // old + line break + text.
    void addBytes(std::string_view bytes);

    // Asked before a file drop is taken; false refuses it (a run is pending).
    std::function<bool()> acceptsFiles = [] { return true; };

  signals:
    // One local file was dropped on an input pane.
    void fileDropped(const QString& path);
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
    // Whether the pane stays within its limit with [from, to) replaced by
    // `entered` (already in the pane's form). If so, and that makes a
    // stretch too long to wrap at word boundaries, the pane wraps anywhere
    // from now on, before the text is laid out.
    bool admits(int from, int to, const QString& entered);
    void wrapAnywhere(bool anywhere);
    // After any change: wrap anywhere while a long stretch is held (a
    // deletion may join two), and at word boundaries again once none is.
    void keepWrappingQuick(int from, int removed, int added);
    // Makes `edit`, which replaces [from, to) with `entered` or deletes
    // there. A byte that CP932 could not read shows as a stand-in, and an
    // edit beside it may complete it: the lines edited then show as their
    // bytes now read, in the same undo step.
    void settling(int from, int to, const QString& entered, const std::function<void()>& edit);
    void settle(int from, int to);

    // For a drag of local files onto an input pane, the one file to load, or
    // nothing to refuse the drag; no value for any other drag.
    [[nodiscard]] std::optional<QString> droppedFile(const QDropEvent* event) const;
    // Accepts or refuses a drag of local files; false for any other drag.
    bool takeFileDrag(QDragMoveEvent* event);

    Role role_;
    bool dropChecked_ = false;  // a text drop already found to fit
};

}  // namespace numerlo
