// A virtual monotonic clock for the fuzz targets, linked in place of the platform's: sleeping
// moves it forward at once and every reading advances it a little, so the link's time-outs
// run out without real waiting and no loop on the clock can run forever.
#include "link/platform/Deadline.h"

#include <atomic>

namespace orvane {

namespace {
std::atomic<int64_t> now{0};
}  // namespace

int64_t monotonicMs() { return ++now; }

void sleepMs(int ms) {
    if (ms > 0) now += ms;
}

}  // namespace orvane
