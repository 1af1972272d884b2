#include "FileProgress.h"

namespace orvane::transfer {

FileProgress::FileProgress(const TransferReport& report, uint64_t total)
    : report_(report), total_(total) {}

void FileProgress::start() {
    last_ = 0;
    report_.percent(0);
    report_.counted(0, total_);
}

void FileProgress::advance(uint64_t done) {
    report_.counted(done, total_);
    if (total_ == 0) return;
    const int percent = static_cast<int>(done * 100 / total_);
    if (percent != last_) {
        last_ = percent;
        report_.percent(percent);
    }
}

void FileProgress::finish() { report_.percent(100); }

}  // namespace orvane::transfer
