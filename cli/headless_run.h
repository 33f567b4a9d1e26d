// A table run without a window: the 42 stages run one after another at
// once, the input panes are ten given lines each, and the output pane and
// status line are kept as text.
#pragma once

#include <string>

#include "run.h"

namespace numerlo {

class HeadlessRun : private RunWindow {
  public:
    explicit HeadlessRun(std::string homePageUrl) : run_(*this, std::move(homePageUrl)) {}

    // The outcome of one run: the page as 保存 writes it after 作成 (the
    // output pane's bytes), or, when a check failed, its status message.
    struct Outcome {
        bool made = false;
        std::string page;     // CP932
        std::string message;  // CP932; empty when made
    };

    // Runs over `serials` and `results`, lines 0..9 of each input pane.
    // The outcome's buffers are reused from one run to the next.
    const Outcome& run(const Table<std::string, kDraws>& serials,
                       const Table<std::string, kDraws>& results);

  private:
    std::string readPaneLine(InputPane pane, int line) override;
    void clearOutputPane() override { outcome_.page.clear(); }
    void addToOutputPane(const std::string& text) override;
    void setButtonEnabled(int /*button*/, bool /*enabled*/) override {}
    void setStatusLine(const std::string& text) override { outcome_.message = text; }
    bool startTrigger(int stage) override;
    void stopTrigger(int /*stage*/) override {}
    void showErrorBox(const std::string& message) override { outcome_.message = message; }

    const Table<std::string, kDraws>* serials_ = nullptr;
    const Table<std::string, kDraws>* results_ = nullptr;
    int armed_ = 0;
    Outcome outcome_;
    TableRun run_;
};

}  // namespace numerlo
