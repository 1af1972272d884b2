// A scripted serial port for the link's unit tests: records what the link writes, feeds it
// bytes on a schedule, and can hang up, so every reply path is reachable without a device.
#pragma once

#include "link/codec/FrameCodec.h"
#include "link/platform/Deadline.h"
#include "link/platform/SerialPort.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace orvane::test {

using Bytes = std::vector<uint8_t>;

inline Bytes wireReply(uint8_t command, const Bytes& payload) {
    return frame::encodePacket(command, payload.data(), payload.size());
}

class FakeSerialPort : public SerialPort {
public:
    // Called after each write with the bytes written; typically feeds the reply.
    std::function<void(FakeSerialPort&, const Bytes&)> onWrite;
    SerialOpenResult openResult{true, false, "", false, {}};

    // Bytes that become readable `delayMs` from now (in order after what is queued).
    void feed(const Bytes& bytes, int delayMs = 0) {
        std::lock_guard<std::mutex> g(m_);
        incoming_.push_back({bytes, monotonicMs() + delayMs});
        cv_.notify_all();
    }
    // Every later read() sleeps this long first and then returns what is readable.
    std::atomic<int> slowReadMs{0};
    void hangUp() {
        std::lock_guard<std::mutex> g(m_);
        hup_ = true;
        hupCv_.notify_all();
    }

    std::vector<Bytes> writes() const {
        std::lock_guard<std::mutex> g(m_);
        return writes_;
    }
    int reads() const { return reads_; }
    int discards() const { return discards_; }
    int opens() const { return opens_; }
    int closes() const { return closes_; }
    std::string openedName() const {
        std::lock_guard<std::mutex> g(m_);
        return name_;
    }
    // More than one thread inside the port at once: the link's lock failed.
    bool overlapped() const { return overlapped_; }

    SerialOpenResult open(const std::string& portName) override {
        ++opens_;
        if (openResult.ok) {
            std::lock_guard<std::mutex> g(m_);
            open_ = true;
            hup_ = false;  // a port opened again is a new connection
            name_ = portName;
        }
        return openResult;
    }
    void close() override {
        ++closes_;
        open_ = false;
    }
    bool isOpen() const override { return open_; }

    size_t read(uint8_t* dest, size_t capacity) override {
        Inside in(*this);
        ++reads_;
        if (hup_) return 0;
        if (slowReadMs > 0) sleepMs(slowReadMs);
        std::unique_lock<std::mutex> g(m_);
        if (!readyLocked()) {
            int64_t wait = kReadTimeoutMs;
            if (!incoming_.empty())
                wait = std::max<int64_t>(0, std::min(wait, incoming_.front().at - monotonicMs()));
            cv_.wait_for(g, std::chrono::milliseconds(wait));
            if (!readyLocked()) return 0;
        }
        Chunk& c = incoming_.front();
        const size_t n = std::min({capacity, kReadChunk, c.bytes.size()});
        std::copy(c.bytes.begin(), c.bytes.begin() + std::ptrdiff_t(n), dest);
        c.bytes.erase(c.bytes.begin(), c.bytes.begin() + std::ptrdiff_t(n));
        if (c.bytes.empty()) incoming_.pop_front();
        return n;
    }
    size_t write(const uint8_t* data, size_t n) override {
        Bytes bytes;
        {
            Inside in(*this);
            bytes.assign(data, data + n);
            std::lock_guard<std::mutex> g(m_);
            writes_.push_back(bytes);
        }
        if (onWrite) onWrite(*this, bytes);
        return n;
    }
    void discardInput() override {
        ++discards_;
        std::lock_guard<std::mutex> g(m_);
        const int64_t now = monotonicMs();
        while (!incoming_.empty() && incoming_.front().at <= now) incoming_.pop_front();
    }
    bool hungUp() const override { return hup_; }
    bool waitForHangUp() override {
        std::unique_lock<std::mutex> g(m_);
        hupCv_.wait(g, [this] { return hup_ || wakeHangUpWait_; });
        wakeHangUpWait_ = false;
        return hup_;
    }
    void interruptHangUpWait() override {
        std::lock_guard<std::mutex> g(m_);
        wakeHangUpWait_ = true;
        hupCv_.notify_all();
    }

private:
    struct Chunk {
        Bytes bytes;
        int64_t at;
    };
    struct Inside {
        explicit Inside(FakeSerialPort& p) : p_(p) {
            if (p_.inside_.fetch_add(1) > 0) p_.overlapped_ = true;
        }
        ~Inside() { p_.inside_.fetch_sub(1); }
        FakeSerialPort& p_;
    };
    bool readyLocked() const {
        return !incoming_.empty() && incoming_.front().at <= monotonicMs();
    }

    mutable std::mutex m_;
    std::condition_variable cv_;
    std::condition_variable hupCv_;
    bool wakeHangUpWait_ = false;
    std::deque<Chunk> incoming_;
    std::vector<Bytes> writes_;
    std::string name_;
    std::atomic<bool> open_{false}, hup_{false}, overlapped_{false};
    std::atomic<int> reads_{0}, discards_{0}, opens_{0}, closes_{0}, inside_{0};
};

}  // namespace orvane::test
