#include "FaultSchedule.h"

namespace orvane::sim {

bool FaultSchedule::fires(std::map<int, int>& faults, int command) {
    auto& armed = armed_[&faults];
    // Entries removed or changed by a test since the last frame start counting afresh.
    for (auto it = armed.begin(); it != armed.end();) {
        const auto f = faults.find(it->first);
        if (f == faults.end() || f->second != it->second.n) {
            it = armed.erase(it);
        } else {
            ++it;
        }
    }
    const auto f = faults.find(command);
    if (f == faults.end() || f->second <= 0) return false;
    Armed& a = armed[command];
    a.n = f->second;
    if (++a.seen < a.n) return false;
    armed.erase(command);
    faults.erase(f);
    return true;
}

bool FaultSchedule::firesAfterFrames(int& n) {
    if (n <= 0) {
        frames_ = Armed{};
        return false;
    }
    if (frames_.n != n) frames_ = Armed{n, 0};
    if (++frames_.seen < n) return false;
    frames_ = Armed{};
    n = 0;
    return true;
}

}  // namespace orvane::sim
