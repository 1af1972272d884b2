// Monotonic millisecond time and the deadline value used by every time-out of the link.
// Plain C++; waits never spin: callers block in the port's read or in sleepMs().
#pragma once

#include <cstdint>

namespace orvane {

// Milliseconds on a monotonic clock (64 bits: never wraps in practice).
int64_t monotonicMs();

// Sleeps the calling thread (no busy waiting).
void sleepMs(int ms);

class Deadline {
public:
    Deadline() = default;
    explicit Deadline(int64_t ms) { start(ms); }
    void start(int64_t ms) { at_ = monotonicMs() + ms; }
    bool expired() const { return at_ <= monotonicMs(); }
    int64_t remainingMs() const {
        const int64_t left = at_ - monotonicMs();
        return left > 0 ? left : 0;
    }

private:
    int64_t at_ = 0;
};

// Waits `ms` milliseconds by sleeping.
inline void waitMs(int ms) { sleepMs(ms); }

}  // namespace orvane
