// Per-file percent progress: 0 when the data starts, then the integer percentage of bytes
// done whenever it changes, then 100 once more at the end. Computed in 64 bits.
#pragma once

#include <cstdint>

#include "TransferReport.h"

namespace orvane::transfer {

class FileProgress {
public:
    FileProgress(const TransferReport& report, uint64_t total);

    void start();                 // emits 0
    void advance(uint64_t done);  // emits the percentage when it changed
    void finish();                // emits 100

private:
    const TransferReport& report_;
    uint64_t total_;
    int last_ = 0;
};

}  // namespace orvane::transfer
