#include "FrameCodec.h"

#include <algorithm>

namespace orvane::frame {

void stuff(const uint8_t* data, size_t n, std::vector<uint8_t>& out) {
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        if (b == END) {
            out.push_back(ESC);
            out.push_back(ESC_END);
        } else if (b == ESC) {
            out.push_back(ESC);
            out.push_back(ESC_ESC);
        } else {
            out.push_back(b);
        }
    }
}

std::vector<uint8_t> encodePacket(uint8_t command, const uint8_t* payload, size_t n) {
    const uint32_t length = uint32_t(n) + 1;
    const uint8_t header[kHeaderSize] = {uint8_t(length & 0xFF), uint8_t((length >> 8) & 0xFF),
                                         command};
    std::vector<uint8_t> wire;
    wire.reserve(2 * (kHeaderSize + n) + 1);
    stuff(header, kHeaderSize, wire);
    if (n) stuff(payload, n, wire);
    wire.push_back(END);
    return wire;
}

DecodeResult unstuff(const uint8_t* data, size_t n, std::vector<uint8_t>& out, size_t capacity) {
    out.clear();
    bool escaped = false;
    for (size_t i = 0; i < n; ++i) {
        uint8_t b = data[i];
        if (escaped) {
            if (b == ESC_END) {
                b = END;
            } else if (b == ESC_ESC) {
                b = ESC;
            } else {
                out.clear();
                return DecodeResult::BadEscape;
            }
            escaped = false;
        } else if (b == ESC) {
            escaped = true;
            continue;
        }
        if (out.size() >= capacity) {
            out.clear();
            return DecodeResult::TooLong;
        }
        out.push_back(b);
    }
    if (escaped) {
        out.clear();
        return DecodeResult::BadEscape;
    }
    return DecodeResult::Ok;
}

void FrameSplitter::append(const uint8_t* data, size_t n) {
    // Drop what was already handed out before growing, so a long session stays small.
    if (consumed_ > 0 && consumed_ == buffer_.size()) {
        buffer_.clear();
        consumed_ = 0;
    } else if (consumed_ > 4096) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(consumed_));
        consumed_ = 0;
    }
    buffer_.insert(buffer_.end(), data, data + n);
}

bool FrameSplitter::next(std::vector<uint8_t>& frame) {
    const auto begin = buffer_.begin() + std::ptrdiff_t(consumed_);
    const auto end = std::find(begin, buffer_.end(), END);
    if (end == buffer_.end()) return false;
    frame.assign(begin, end);
    consumed_ = size_t(end - buffer_.begin()) + 1;
    return true;
}

void FrameSplitter::clear() {
    buffer_.clear();
    consumed_ = 0;
}

}  // namespace orvane::frame
