// Monotonic time and sleeping on Windows.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "link/platform/Deadline.h"

namespace orvane {

int64_t monotonicMs() {
    // The performance counter is monotonic and far finer than GetTickCount64's 10-16 ms
    // steps, which would blur the link's 5 ms quiet-line window.
    static const int64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<int64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const int64_t ticks = now.QuadPart;
    // Split the division so ticks * 1000 cannot overflow on long uptimes.
    return (ticks / frequency) * 1000 + (ticks % frequency) * 1000 / frequency;
}

void sleepMs(int ms) {
    Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0);
}

}  // namespace orvane
