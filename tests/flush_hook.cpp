#include "flush_hook.h"

#include <dlfcn.h>

#include <thread>

namespace numerlo::testing {

std::function<void()> duringFlush;

std::function<void()> slowDisk(std::chrono::milliseconds pause) {
    return [pause] { std::this_thread::sleep_for(pause); };
}

}  // namespace numerlo::testing

extern "C" int fsync(int fd) {
    static auto* const real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    if (numerlo::testing::duringFlush) {
        numerlo::testing::duringFlush();
    }
    return real(fd);
}
