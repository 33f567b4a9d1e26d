// The test program's own fsync: every flush to the disk, the files layer's
// included, first runs duringFlush.
#pragma once

#include <chrono>
#include <functional>

namespace numerlo::testing {

// Another program at work, a slow disk, or the end of the process. Set it
// only while no flush runs.
extern std::function<void()> duringFlush;

// A disk that takes `pause` for each flush (a USB stick, a network share).
std::function<void()> slowDisk(std::chrono::milliseconds pause);

}  // namespace numerlo::testing
