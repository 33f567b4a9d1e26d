// The window operations that a table run may use. The run never touches
// widgets itself: it goes through this interface, which the main window
// implements and tests replace with a recording fake.
#pragma once

#include <cstddef>
#include <string>

namespace numerlo {

// The two panes the run reads its draws from.
enum class InputPane { Memo1, Memo2 };

// A displayed line handed to the run holds at most this many bytes.
inline constexpr std::size_t kMaxLineBytes = 4096;

class RunWindow {
  public:
    RunWindow() = default;
    RunWindow(const RunWindow&) = delete;
    RunWindow& operator=(const RunWindow&) = delete;
    virtual ~RunWindow() = default;

    // Displayed line `line` (from 0) of an input pane as CP932 bytes, without
    // its line break and cut to kMaxLineBytes. Wrapped pieces of a long line
    // count as lines of their own; a line past the last one is empty.
    virtual std::string readPaneLine(InputPane pane, int line) = 0;

    // Empties the output pane Memo3.
    virtual void clearOutputPane() = 0;

    // Adds `text` to Memo3: after an empty text or one ending in a line break
    // it becomes old + text + CR LF, otherwise old + CR LF + text.
    virtual void addToOutputPane(const std::string& text) = 0;

    // Button1..Button5, by number.
    virtual void setButtonEnabled(int button, bool enabled) = 0;

    // The status line Label3; an empty text shows nothing.
    virtual void setStatusLine(const std::string& text) = 0;

    // Arms stage trigger `stage` (1..42) to fire after 1 ms and every 1 ms
    // after that until stopped. Returns false when the platform refuses.
    virtual bool startTrigger(int stage) = 0;
    virtual void stopTrigger(int stage) = 0;

    // A modal error box; the window appends the closing "." itself.
    virtual void showErrorBox(const std::string& message) = 0;
};

}  // namespace numerlo
