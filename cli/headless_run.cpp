#include "headless_run.h"

namespace numerlo {

const HeadlessRun::Outcome& HeadlessRun::run(const Table<std::string, kDraws>& serials,
                                             const Table<std::string, kDraws>& results) {
    serials_ = &serials;
    results_ = &results;
    outcome_.message.clear();
    armed_ = 0;
    run_.Button3Click();
    // Each stage arms the next one; its trigger fires here at once.
    while (run_.running()) {
        run_.TimerTimer(armed_);
    }
    // The page is in the output pane exactly when the status line was
    // cleared at the end of the last stage.
    outcome_.made = outcome_.message.empty() && !outcome_.page.empty();
    if (!outcome_.made) {
        outcome_.page.clear();
    }
    return outcome_;
}

std::string HeadlessRun::readPaneLine(InputPane pane, int line) {
    const auto& lines = pane == InputPane::Memo1 ? *serials_ : *results_;
    if (line < 0 || line >= kDraws) {
        return {};
    }
    const std::string& text = lines[static_cast<std::size_t>(line)];
    return text.size() > kMaxLineBytes ? text.substr(0, kMaxLineBytes) : text;
}

void HeadlessRun::addToOutputPane(const std::string& text) {
    // As the output pane adds text, and as its bytes come back: CR LF.
    std::string& page = outcome_.page;
    if (page.empty() || page.ends_with("\r\n")) {
        page += text;
        page += "\r\n";
    } else {
        page += "\r\n";
        page += text;
    }
}

bool HeadlessRun::startTrigger(int stage) {
    armed_ = stage;
    return true;
}

}  // namespace numerlo
