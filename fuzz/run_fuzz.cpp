// Feeds arbitrary bytes to a whole run as the two input panes. Every run must
// end either with one of the check messages and an empty output pane, or with
// a page whose ten rows hold exactly six red cells and one yellow cell each.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cp932_literals.h"
#include "run.h"

namespace {

class FuzzWindow : public numerlo::RunWindow {
  public:
    std::vector<std::string> panes[2];
    std::string output;
    std::string status;
    int armed = 0;

    std::string readPaneLine(numerlo::InputPane pane, int line) override {
        const auto& lines = panes[pane == numerlo::InputPane::Memo1 ? 0 : 1];
        if (static_cast<std::size_t>(line) >= lines.size()) {
            return {};
        }
        return lines[static_cast<std::size_t>(line)].substr(0, numerlo::kMaxLineBytes);
    }
    void clearOutputPane() override { output.clear(); }
    void addToOutputPane(const std::string& text) override { output += text + "\r\n"; }
    void setButtonEnabled(int /*button*/, bool /*enabled*/) override {}
    void setStatusLine(const std::string& text) override { status = text; }
    bool startTrigger(int stage) override {
        armed = stage;
        return true;
    }
    void stopTrigger(int /*stage*/) override { armed = 0; }
    void showErrorBox(const std::string& /*message*/) override { std::abort(); }
};

std::size_t count(std::string_view text, std::string_view what) {
    std::size_t found = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + 1)) {
        ++found;
    }
    return found;
}

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first NUL byte separates the serial pane from the result pane; LF
    // separates lines within a pane.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    FuzzWindow window;
    int pane = 0;
    window.panes[0].emplace_back();
    for (const char byte : input) {
        if (byte == '\0' && pane == 0) {
            pane = 1;
            window.panes[1].emplace_back();
        } else if (byte == '\n') {
            window.panes[pane].emplace_back();
        } else {
            window.panes[pane].back() += byte;
        }
    }

    numerlo::TableRun run(window, "https://example.com/numerlo/");
    run.Button3Click();
    int turns = 0;
    while (window.armed != 0) {
        run.TimerTimer(window.armed);
        check(++turns <= numerlo::kStageCount);
    }
    check(!run.running());

    if (!window.status.empty()) {
        const std::string_view status = window.status;
        check(status == numerlo::literals::kSerialMessage ||
              status == numerlo::literals::kDistinctMessage ||
              status == numerlo::literals::kMainRangeMessage ||
              status == numerlo::literals::kBonusRangeMessage);
        check(window.output.empty());
        return 0;
    }
    check(turns == numerlo::kStageCount);
    check(window.output.ends_with("</HTML>\r\n"));
    for (const std::string& row : run.tables().RowTexts) {
        // Serials hold no line break, so the first serial-cell end is the real one.
        const std::size_t cells = row.find("</b>\r\n</TD>\r\n");
        check(cells != std::string::npos);
        const std::string_view cellText = std::string_view(row).substr(cells);
        check(count(cellText, "BGColor=\"#ff0000\">") == 6);
        check(count(cellText, "BGColor=\"#ffff00\">") == 1);
        check(count(cellText, "<TD ") == 43);
        check(window.output.find(row) != std::string::npos);
    }
    return 0;
}
