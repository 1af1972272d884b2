// Packet framing of the device protocol: header, SLIP byte stuffing and frame splitting.
// Plain C++ with no Qt, shared by the host link and the device simulator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane::frame {

constexpr uint8_t END = 0xC0;      // ends a packet on the wire
constexpr uint8_t ESC = 0xDB;      // starts a two-byte escape
constexpr uint8_t ESC_END = 0xDC;  // after ESC: a data byte 0xC0
constexpr uint8_t ESC_ESC = 0xDD;  // after ESC: a data byte 0xDB

constexpr size_t kHeaderSize = 3;  // 16-bit length (payload + 1), command byte

// Appends the stuffed form of `n` bytes to `out` (no END byte).
void stuff(const uint8_t* data, size_t n, std::vector<uint8_t>& out);

// The whole wire form of one packet: stuffed header (length = n + 1, little-endian,
// then the command) and payload, followed by one END byte.
std::vector<uint8_t> encodePacket(uint8_t command, const uint8_t* payload, size_t n);

enum class DecodeResult {
    Ok,         // `out` holds the unstuffed bytes
    BadEscape,  // ESC followed by something other than ESC_END / ESC_ESC, or a trailing ESC
    TooLong,    // more than `capacity` bytes would be produced
};

// Unstuffs the bytes of one frame (everything before its END, END excluded) into `out`
// (replacing its contents). `capacity` bounds the decoded size.
DecodeResult unstuff(const uint8_t* data, size_t n, std::vector<uint8_t>& out,
                     size_t capacity = SIZE_MAX);

// Collects received bytes and hands out complete frames, one per END byte.
// A frame is returned still stuffed, without its END; an END at the very start of
// the stream (or two ENDs in a row) yields an empty frame, which callers drop.
class FrameSplitter {
public:
    void append(const uint8_t* data, size_t n);
    // Takes the next complete frame into `frame`; false when no complete frame is buffered.
    bool next(std::vector<uint8_t>& frame);
    // Bytes received after the last complete frame (a frame still arriving).
    size_t pendingBytes() const { return buffer_.size() - consumed_; }
    void clear();

private:
    std::vector<uint8_t> buffer_;
    size_t consumed_ = 0;
};

// Helpers for little-endian fields.
inline void putLe16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
inline void putLe32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
inline void putLe64(std::vector<uint8_t>& v, uint64_t x) {
    for (int i = 0; i < 8; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
inline uint16_t getLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t getLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t getLe64(const uint8_t* p) {
    return uint64_t(getLe32(p)) | (uint64_t(getLe32(p + 4)) << 32);
}

}  // namespace orvane::frame
