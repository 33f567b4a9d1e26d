// A window without a screen for the run's tests: it records every operation
// the run asks for, in order, and fires armed triggers one at a time the way
// the event loop would.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "run.h"

namespace numerlo::testing {

// Splits text at CR LF into the lines a pane would show (no wrapping here).
inline std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string_view::npos;
         start = at + 2) {
        lines.emplace_back(text.substr(start, at - start));
    }
    lines.emplace_back(text.substr(start));
    return lines;
}

class FakeWindow : public RunWindow {
  public:
    std::vector<std::string> memo1;  // displayed lines of each input pane
    std::vector<std::string> memo2;
    std::string memo3;  // output pane text, CR LF line breaks
    std::string status;
    bool buttons[kButtonCount + 1] = {false, true, true, true, true, true};
    std::set<int> armed;
    std::set<int> refused;         // triggers whose start the platform refuses
    std::vector<std::string> log;  // every operation but line reads, in order
    std::vector<std::string> errorBoxes;
    bool logReads = false;

    void setInputs(std::string_view serials, std::string_view results) {
        memo1 = splitLines(serials);
        memo2 = splitLines(results);
    }

    std::string readPaneLine(InputPane pane, int line) override {
        const auto& lines = pane == InputPane::Memo1 ? memo1 : memo2;
        if (logReads) {
            log.push_back(std::string("read ") + (pane == InputPane::Memo1 ? "1 " : "2 ") +
                          std::to_string(line));
        }
        if (line < 0 || static_cast<std::size_t>(line) >= lines.size()) {
            return {};
        }
        return lines[static_cast<std::size_t>(line)].substr(0, kMaxLineBytes);
    }
    void clearOutputPane() override {
        log.emplace_back("clear");
        memo3.clear();
    }
    void addToOutputPane(const std::string& text) override {
        log.emplace_back("add");
        if (memo3.empty() || memo3.ends_with("\r\n")) {
            memo3 += text;
            memo3 += "\r\n";
        } else {
            memo3 += "\r\n";
            memo3 += text;
        }
    }
    void setButtonEnabled(int button, bool enabled) override {
        log.push_back((enabled ? "enable " : "disable ") + std::to_string(button));
        buttons[button] = enabled;
    }
    void setStatusLine(const std::string& text) override {
        log.push_back("status " + text);
        status = text;
    }
    bool startTrigger(int stage) override {
        log.push_back("start " + std::to_string(stage));
        if (refused.contains(stage)) {
            return false;
        }
        armed.insert(stage);
        return true;
    }
    void stopTrigger(int stage) override {
        log.push_back("stop " + std::to_string(stage));
        armed.erase(stage);
    }
    void showErrorBox(const std::string& message) override {
        log.push_back("error " + message);
        errorBoxes.push_back(message);
    }

    // Fires armed triggers, one per turn, until none is armed. Returns the
    // stages in the order they fired. Two armed at once is a fault.
    std::vector<int> pump(TableRun& run) {
        std::vector<int> fired;
        while (!armed.empty()) {
            EXPECT_EQ(armed.size(), 1U) << "more than one trigger armed";
            const int stage = *armed.begin();
            fired.push_back(stage);
            run.TimerTimer(stage);
            if (fired.size() > 1000) {
                ADD_FAILURE() << "trigger " << stage << " keeps firing";
                break;
            }
        }
        return fired;
    }

    // The log entries from the first one equal to `from` on.
    [[nodiscard]] std::vector<std::string> logFrom(std::string_view from) const {
        auto it = std::find(log.begin(), log.end(), from);
        return {it, log.end()};
    }
    [[nodiscard]] bool allButtonsEnabled() const {
        return std::all_of(std::begin(buttons) + 1, std::end(buttons), [](bool b) { return b; });
    }
};

inline constexpr std::string_view kTestHomeUrl = "https://example.com/numerlo/";

// Ten valid draws with the serials 001..010, as CR LF pane texts.
inline constexpr std::string_view kSerials =
    "001\r\n002\r\n003\r\n004\r\n005\r\n006\r\n007\r\n008\r\n009\r\n010";
inline constexpr std::string_view kResults =
    "01 02 03 04 05 06 07\r\n"
    "43 42 41 40 39 38 01\r\n"
    "05 12 19 27 33 41 22\r\n"
    "08 14 15 23 36 42 09\r\n"
    "02 11 17 28 30 39 43\r\n"
    "03 09 10 21 34 40 18\r\n"
    "06 13 24 25 31 37 20\r\n"
    "07 16 26 29 35 38 04\r\n"
    "04 18 20 32 41 43 11\r\n"
    "10 19 22 23 30 33 01";

}  // namespace numerlo::testing
