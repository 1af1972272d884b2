// A serial port whose replies come from the fuzzer's bytes. Each request the link writes
// takes the next reply segment of the script: a 3-byte header (16-bit little-endian length,
// only its low 13 bits counted, then the largest read size, 0 meaning a full chunk) and that
// many bytes. They become readable at once, in reads of that size. When the script is used
// up the port hangs up, so the link fails at once instead of waiting out its time-outs.
#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "link/platform/Deadline.h"
#include "link/platform/SerialPort.h"

namespace orvane::fuzz {

class FuzzPort : public SerialPort {
public:
    FuzzPort(const uint8_t* data, size_t size) : script_(data, data + size) {}

    SerialOpenResult open(const std::string&) override {
        open_ = true;
        return {true, false, ""};
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }

    size_t read(uint8_t* dest, size_t capacity) override {
        const size_t n = std::min({capacity, kReadChunk, pieceSize_, pending_.size() - taken_});
        if (n == 0) {
            sleepMs(kReadTimeoutMs);  // nothing arrives within a read's time
            return 0;
        }
        std::memcpy(dest, pending_.data() + taken_, n);
        taken_ += n;
        return n;
    }
    size_t write(const uint8_t*, size_t n) override {
        pending_.clear();
        taken_ = 0;
        if (pos_ + 3 > script_.size()) {
            pos_ = script_.size();
            return n;
        }
        const size_t length = (script_[pos_] | (script_[pos_ + 1] << 8)) & 0x1FFF;
        pieceSize_ = script_[pos_ + 2] ? script_[pos_ + 2] : kReadChunk;
        pos_ += 3;
        const size_t take = std::min(length, script_.size() - pos_);
        pending_.assign(script_.begin() + std::ptrdiff_t(pos_),
                        script_.begin() + std::ptrdiff_t(pos_ + take));
        pos_ += take;
        return n;
    }
    void discardInput() override {
        pending_.clear();
        taken_ = 0;
    }
    bool hungUp() const override { return pos_ >= script_.size() && taken_ >= pending_.size(); }

private:
    std::vector<uint8_t> script_;
    size_t pos_ = 0;
    std::vector<uint8_t> pending_;
    size_t taken_ = 0;
    size_t pieceSize_ = kReadChunk;
    bool open_ = false;
};

}  // namespace orvane::fuzz
