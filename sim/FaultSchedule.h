// Counts requests per command for the "Nth request" faults: arms an entry when it first
// appears, fires on its Nth request and then removes it from the options.
#pragma once

#include <map>

namespace orvane::sim {

class FaultSchedule {
public:
    // Counts one request of `command` against `faults` (command -> N) and says whether
    // this is the Nth since the entry was armed; a fired entry is erased from `faults`.
    bool fires(std::map<int, int>& faults, int command);

    // Counts one frame against a "after N frames" fault; true (and `n` reset to 0) on the
    // Nth frame since the value was first seen.
    bool firesAfterFrames(int& n);

private:
    struct Armed {
        int n = 0;
        int seen = 0;
    };
    // Keyed by the address of the options map, so several maps share one schedule.
    std::map<const void*, std::map<int, Armed>> armed_;
    Armed frames_;
};

}  // namespace orvane::sim
