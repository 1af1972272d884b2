// A bare host end for the simulator tests: opens the port link raw and exchanges packets
// with poll()-based waits, using nothing of the device link.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/codec/FrameCodec.h"

namespace orvane::test {

class RawPort {
public:
    RawPort() = default;
    explicit RawPort(const std::string& path) { open(path); }
    ~RawPort() { close(); }

    bool open(const std::string& path) {
        close();
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) return false;
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd_, TCSANOW, &tio);
        tcflush(fd_, TCIFLUSH);
        splitter_.clear();
        hungUp_ = false;
        return true;
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    bool isOpen() const { return fd_ >= 0; }
    bool hungUp() const { return hungUp_; }

    void writeRaw(const std::vector<uint8_t>& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return;
            done += size_t(n);
        }
    }
    void send(uint8_t command, const std::vector<uint8_t>& payload = {}) {
        writeRaw(frame::encodePacket(command, payload.data(), payload.size()));
    }

    // The next frame as it came (still stuffed, without END); false when none arrives
    // within `timeoutMs` or the device hung up.
    bool nextRawFrame(std::vector<uint8_t>& raw, int timeoutMs) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!splitter_.next(raw)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  until - std::chrono::steady_clock::now()).count();
            if (left <= 0 || hungUp_) return false;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, int(left)) <= 0) continue;
            uint8_t buf[4096];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0) {
                splitter_.append(buf, size_t(n));
                ++reads_;
            } else if (p.revents & POLLHUP) {
                hungUp_ = true;
            }
        }
        return true;
    }

    // The next non-empty frame, unstuffed (header included).
    bool nextPacket(std::vector<uint8_t>& packet, int timeoutMs = 2000) {
        std::vector<uint8_t> raw;
        while (nextRawFrame(raw, timeoutMs)) {
            if (raw.empty()) {
                ++emptyFrames_;
                continue;
            }
            return frame::unstuff(raw.data(), raw.size(), packet) == frame::DecodeResult::Ok;
        }
        return false;
    }

    // Sends a request and returns the reply payload; `ok` false when no proper reply came.
    std::vector<uint8_t> exchange(uint8_t command, const std::vector<uint8_t>& payload, bool& ok,
                                  int timeoutMs = 2000) {
        send(command, payload);
        std::vector<uint8_t> packet;
        ok = nextPacket(packet, timeoutMs) && packet.size() >= 3 && packet[2] == command &&
             frame::getLe16(packet.data()) == packet.size() - 2;
        if (!ok) return {};
        return std::vector<uint8_t>(packet.begin() + 3, packet.end());
    }
    std::vector<uint8_t> exchange(uint8_t command, const std::vector<uint8_t>& payload = {}) {
        bool ok = false;
        return exchange(command, payload, ok);
    }

    int emptyFrames() const { return emptyFrames_; }
    int reads() const { return reads_; }

private:
    int fd_ = -1;
    bool hungUp_ = false;
    int emptyFrames_ = 0;
    int reads_ = 0;
    frame::FrameSplitter splitter_;
};

inline std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// A fixed-width zero-padded name field.
inline std::vector<uint8_t> nameBytes(const std::string& s, size_t width) {
    std::vector<uint8_t> v(width, 0);
    for (size_t i = 0; i < s.size() && i < width; ++i) v[i] = uint8_t(s[i]);
    return v;
}

}  // namespace orvane::test
