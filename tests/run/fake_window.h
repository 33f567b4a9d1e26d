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
#include "sample_draws.h"

namespace numerlo::testing {

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
    std::vector<int> pump(TableRun& run) {  // NOLINT(readability-make-member-function-const)
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

}  // namespace numerlo::testing
