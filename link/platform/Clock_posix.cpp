#include "Deadline.h"

#include <cerrno>
#include <ctime>

namespace orvane {

int64_t monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void sleepMs(int ms) {
    if (ms <= 0) return;
    timespec left{ms / 1000, long(ms % 1000) * 1000000L};
    // A signal cuts the sleep short; go on sleeping for what is left.
    while (nanosleep(&left, &left) == -1 && errno == EINTR) {
    }
}

}  // namespace orvane
