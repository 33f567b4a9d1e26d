// One whole run through all 42 stages against a window that does nothing,
// so the figure is the run's own cost: capture, checks, cells, rows, page.
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "run.h"

namespace {

class NullWindow : public numerlo::RunWindow {
  public:
    std::array<std::string, 10> serials;
    std::array<std::string, 10> results;
    std::size_t pageBytes = 0;
    int armed = 0;

    std::string readPaneLine(numerlo::InputPane pane, int line) override {
        const auto& lines = pane == numerlo::InputPane::Memo1 ? serials : results;
        return lines[static_cast<std::size_t>(line)];
    }
    void clearOutputPane() override {}
    void addToOutputPane(const std::string& text) override { pageBytes = text.size(); }
    void setButtonEnabled(int /*button*/, bool /*enabled*/) override {}
    void setStatusLine(const std::string& /*text*/) override {}
    bool startTrigger(int stage) override {
        armed = stage;
        return true;
    }
    void stopTrigger(int /*stage*/) override { armed = 0; }
    void showErrorBox(const std::string& /*message*/) override {}
};

void WholeRun(benchmark::State& state) {
    NullWindow window;
    const char* draws[] = {"01 02 03 04 05 06 07", "43 42 41 40 39 38 01", "05 12 19 27 33 41 22",
                           "08 14 15 23 36 42 09", "02 11 17 28 30 39 43", "03 09 10 21 34 40 18",
                           "06 13 24 25 31 37 20", "07 16 26 29 35 38 04", "04 18 20 32 41 43 11",
                           "10 19 22 23 30 33 01"};
    for (std::size_t d = 0; d < 10; ++d) {
        window.serials[d] = "00" + std::to_string(d + 1);
        window.results[d] = draws[d];
    }
    numerlo::TableRun run(window, "https://example.com/numerlo/");
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        run.Button3Click();
        while (window.armed != 0) {
            run.TimerTimer(window.armed);
        }
        benchmark::DoNotOptimize(window.pageBytes);
    }
    state.counters["page_bytes"] = static_cast<double>(window.pageBytes);
}
BENCHMARK(WholeRun)->Repetitions(10)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
