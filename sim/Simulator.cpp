#include "Simulator.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "CommandHandler.h"
#include "FaultSchedule.h"
#include "PtyPort.h"
#include "StateStore.h"
#include "link/codec/FrameCodec.h"

namespace orvane::sim {

namespace {

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

constexpr size_t kMaxFrame = 4096;        // larger than any request the host sends
constexpr int64_t kWriteGiveUpMs = 2000;  // a host that reads nothing loses the reply
constexpr int kReopenRetryMs = 1000;
// A host reads each reply before it sends its next request, and throws away whatever was
// waiting before it asks, so replies queued beyond a few full-size frames are ones nobody
// can still be waiting for: like a real device whose buffer is full, the simulator drops the
// oldest of them, and a host that floods requests without reading cannot make it grow.
constexpr size_t kMaxQueuedReplyBytes = 8192;
// The host writes each request at once, so a part of a frame followed by silence is what a
// host left behind when it closed the port mid-write; it must not spoil the next request.
constexpr int64_t kStaleFragmentMs = 100;
// Closing the master throws away what the host has not read yet, so a restart waits (in
// short sleeps, for a bounded time) until the host has taken the reply that announced it.
// The kernel hands written bytes to the slave side a little later, so an empty queue means
// something only after a short grace period.
constexpr int64_t kDrainCheckMs = 5;
constexpr int64_t kDrainGraceMs = 50;
constexpr int64_t kDrainLimitMs = 500;

void hexDump(const char* what, const uint8_t* p, size_t n, const std::string& note) {
    std::string line = "device-sim ";
    line += what;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, " %02X", p[i]);
        line += buf;
    }
    if (!note.empty()) line += "  (" + note + ")";
    line += "\n";
    std::fputs(line.c_str(), stderr);
}

}  // namespace

struct Simulator::Impl {
    enum class Phase { Stopped, Present, Restarting, Unplugged };
    enum class After { Nothing, Restart, LeaveBootloader, Unplug };

    struct Outgoing {
        int64_t due = 0;
        std::vector<uint8_t> bytes;
        size_t written = 0;
        After after = After::Nothing;
        int64_t drainSince = 0;
    };

    explicit Impl(SimOptions o) : opts(std::move(o)), handler(model) {
        if (opts.portsDir.empty()) {
            if (const char* env = std::getenv("ORVANE_VIRTUAL_PORTS")) opts.portsDir = env;
        }
        if (opts.deviceNumber > 0) {
            // Another device of the same batch: the next identifier, and MAC addresses that
            // differ in their fifth byte (the two of one device differ in the sixth).
            model.identifier += uint64_t(opts.deviceNumber);
            model.wifiMac[4] = uint8_t(model.wifiMac[4] + opts.deviceNumber);
            model.ethMac[4] = uint8_t(model.ethMac[4] + opts.deviceNumber);
        }
        if (!opts.stateDir.empty()) {
            std::string error;
            if (!loadState(opts.stateDir, model, &error)) {
                std::fprintf(stderr, "device-sim: %s; starting from the defaults\n", error.c_str());
            }
        }
    }

    // Guards everything below except the members only the device thread touches.
    mutable std::mutex m;
    std::condition_variable portChanged;
    SimOptions opts;
    DeviceModel model;
    CommandHandler handler;
    FaultSchedule faults;
    std::vector<ReceivedFrame> log;
    std::string portPath;
    Phase phase = Phase::Stopped;
    int restarts = 0;
    int64_t bootloaderUntil = 0;
    std::function<void(const std::string&)> listener;

    // Device thread only.
    PtyPort port;
    std::thread thread;
    int wake[2] = {-1, -1};
    std::atomic<bool> stopping{false};
    std::atomic<bool> replugWanted{false};
    frame::FrameSplitter splitter;
    std::deque<Outgoing> out;
    size_t queuedBytes = 0;  // reply bytes in `out`
    std::atomic<size_t> peakQueuedBytes{0};
    int64_t blockedSince = 0;
    int64_t lastRxMs = 0;
    int64_t reappearAt = 0;
    bool bootloaderOnReappear = false;
    // An unplug fault is under way: the reply to its frame still goes out, but nothing
    // after it is answered, however quickly the host asks again.
    bool unplugging = false;

    void save() {
        if (opts.stateDir.empty()) return;
        std::string error;
        if (!saveState(opts.stateDir, model, &error)) {
            std::fprintf(stderr, "device-sim: cannot save state: %s\n", error.c_str());
        }
    }

    void announce(std::unique_lock<std::mutex>& lock) {
        portChanged.notify_all();
        auto l = listener;
        const std::string path = portPath;
        lock.unlock();
        if (l && !path.empty()) l(path);
        lock.lock();
    }

    bool openPort(const std::string& name, std::string* error) {
        return port.open(opts.portsDir, name, error);
    }

    void enqueue(Outgoing o) {
        auto at = std::upper_bound(out.begin(), out.end(), o.due,
                                   [](int64_t due, const Outgoing& x) { return due < x.due; });
        queuedBytes += o.bytes.size();
        out.insert(at, std::move(o));
        // Only replies not yet started and with nothing to do afterwards may go.
        for (auto it = out.begin(); queuedBytes > kMaxQueuedReplyBytes && it != out.end();) {
            if (it->written == 0 && it->after == After::Nothing) {
                if (opts.verbose) hexDump("tx dropped", nullptr, 0, "the host reads nothing");
                queuedBytes -= it->bytes.size();
                it = out.erase(it);
            } else {
                ++it;
            }
        }
        if (queuedBytes > peakQueuedBytes) peakQueuedBytes = queuedBytes;
    }

    void clearQueue() {
        out.clear();
        queuedBytes = 0;
    }

    void wakeUp() {
        const char c = 1;
        if (wake[1] >= 0 && ::write(wake[1], &c, 1) < 0) {
            // The pipe is full, so a wake-up is already pending.
        }
    }

    // --- device thread ---

    void run() {
        while (!stopping) {
            const int64_t now = nowMs();
            if (replugWanted.exchange(false)) {
                std::lock_guard<std::mutex> lock(m);
                if (phase == Phase::Unplugged) {
                    phase = Phase::Restarting;
                    reappearAt = now;
                    bootloaderOnReappear = false;
                }
            }
            Phase current;
            {
                std::lock_guard<std::mutex> lock(m);
                current = phase;
            }
            if (current == Phase::Restarting && now >= reappearAt) {
                reappear();
                continue;
            }
            int timeout = -1;
            if (current == Phase::Restarting) timeout = int(reappearAt - now);
            if (!out.empty()) {
                const int64_t wait = std::max<int64_t>(0, out.front().due - now);
                timeout = timeout < 0 ? int(wait) : std::min(timeout, int(wait));
                if (blockedSince) timeout = timeout < 0 ? 50 : std::min(timeout, 50);
            }
            pollfd fds[2] = {{wake[0], POLLIN, 0}, {-1, 0, 0}};
            nfds_t n = 1;
            if (port.isOpen()) {
                fds[1].fd = port.masterFd();
                fds[1].events = short(POLLIN | (blockedSince ? POLLOUT : 0));
                n = 2;
            }
            const int r = ::poll(fds, n, timeout);
            if (r < 0 && errno != EINTR) {
                std::perror("device-sim: poll");
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            if (fds[0].revents & POLLIN) {
                char buf[64];
                while (::read(wake[0], buf, sizeof buf) > 0) {
                }
            }
            if (n == 2 && (fds[1].revents & POLLIN)) readFrames();
            if (n == 2 && (fds[1].revents & (POLLHUP | POLLERR)) && !(fds[1].revents & POLLIN)) {
                // Cannot normally happen while we hold a slave descriptor; never spin on it.
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            flushDue();
        }
    }

    void readFrames() {
        uint8_t buf[4096];
        for (;;) {
            const ssize_t got = ::read(port.masterFd(), buf, sizeof buf);
            if (got > 0) {
                const int64_t now = nowMs();
                if (splitter.pendingBytes() > 0 && now - lastRxMs > kStaleFragmentMs) {
                    if (opts.verbose) hexDump("rx dropped", nullptr, 0, "stale fragment of a frame");
                    splitter.clear();
                }
                lastRxMs = now;
                splitter.append(buf, size_t(got));
                continue;
            }
            if (got < 0 && errno != EAGAIN && errno != EINTR) {
                // Not expected while we hold the slave side; back off rather than spin.
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            break;
        }
        std::vector<uint8_t> raw, packet;
        while (port.isOpen() && splitter.next(raw)) {
            if (raw.empty()) continue;  // an END with nothing before it
            const auto res = frame::unstuff(raw.data(), raw.size(), packet, kMaxFrame);
            if (res != frame::DecodeResult::Ok || packet.size() < frame::kHeaderSize) {
                if (opts.verbose) hexDump("rx dropped", raw.data(), raw.size(), "undecodable frame");
                continue;
            }
            if (frame::getLe16(packet.data()) != packet.size() - 2) {
                if (opts.verbose) hexDump("rx dropped", packet.data(), packet.size(), "length field mismatch");
                continue;
            }
            if (!unplugging) handleFrame(packet);
        }
        // Garbage without an END must not grow without bound.
        if (splitter.pendingBytes() > 2 * kMaxFrame) splitter.clear();
    }

    void handleFrame(const std::vector<uint8_t>& packet) {
        const uint8_t command = packet[2];
        const std::vector<uint8_t> payload(packet.begin() + 3, packet.end());
        const int64_t now = nowMs();
        CommandHandler::Result result;
        bool noReply, late, unplug, split, leadingEnd, verbose;
        int delay, gap;
        {
            std::lock_guard<std::mutex> lock(m);
            verbose = opts.verbose;
            if (opts.recordRequests) log.push_back(ReceivedFrame{command, payload});
            if (verbose) hexDump("rx", packet.data(), packet.size(), "");
            ContentFaults content;
            content.refuse = faults.fires(opts.nokOnNth, command);
            content.shortReadFileBy = opts.shortReadFileBy;
            content.flashCountSkew = opts.flashCountSkew;
            content.flashZeroCount = opts.flashZeroCount;
            content.keepIdentifier = opts.keepIdentifier;
            content.corruptUploads = opts.corruptUploads;
            content.keepParams = opts.keepParams;
            noReply = faults.fires(opts.noReplyOnNth, command);
            late = faults.fires(opts.lateReplyOnNth, command);
            unplug = faults.firesAfterFrames(opts.unplugAfterFrames);
            if (faults.fires(opts.unplugOnNth, command)) unplug = true;
            result = handler.handle(command, payload, now < bootloaderUntil, content);
            if (result.stateChanged) save();
            delay = std::max(0, opts.replyLatencyMs) + (late ? std::max(0, opts.lateReplyMs) : 0);
            split = opts.splitReplies;
            gap = std::max(0, opts.splitGapMs);
            leadingEnd = opts.leadingEnd;
        }
        int64_t due = now + delay;
        if (result.reply && !noReply) {
            std::vector<uint8_t> wire;
            if (leadingEnd) wire.push_back(frame::END);
            const auto encoded = frame::encodePacket(command, result.payload.data(), result.payload.size());
            wire.insert(wire.end(), encoded.begin(), encoded.end());
            if (verbose) {
                std::vector<uint8_t> plain;
                frame::putLe16(plain, uint16_t(result.payload.size() + 1));
                plain.push_back(command);
                plain.insert(plain.end(), result.payload.begin(), result.payload.end());
                std::string note = result.note;
                if (late) note += note.empty() ? "late" : ", late";
                hexDump("tx", plain.data(), plain.size(), note);
            }
            if (split && wire.size() >= 2) {
                const auto half = wire.begin() + std::ptrdiff_t(wire.size() / 2);
                enqueue(Outgoing{due, std::vector<uint8_t>(wire.begin(), half)});
                due += gap;
                enqueue(Outgoing{due, std::vector<uint8_t>(half, wire.end())});
            } else {
                enqueue(Outgoing{due, std::move(wire)});
            }
        } else if (verbose) {
            hexDump("tx suppressed", nullptr, 0, noReply ? "no reply (injected fault)" : result.note);
        }
        After after = After::Nothing;
        if (result.action == CommandHandler::Action::Restart) after = After::Restart;
        if (result.action == CommandHandler::Action::LeaveBootloader) after = After::LeaveBootloader;
        if (unplug) {
            after = After::Unplug;
            unplugging = true;
        }
        if (after != After::Nothing) enqueue(Outgoing{due, {}, 0, after});
    }

    void flushDue() {
        while (!out.empty() && port.isOpen() && out.front().due <= nowMs()) {
            Outgoing& o = out.front();
            if (o.after != After::Nothing && o.bytes.empty()) {
                if (!o.drainSince) o.drainSince = nowMs();
                const int64_t waited = nowMs() - o.drainSince;
                if (waited < kDrainLimitMs && (waited < kDrainGraceMs || port.unreadByHost() > 0)) {
                    o.due = nowMs() + kDrainCheckMs;
                    return;
                }
            }
            while (o.written < o.bytes.size()) {
                const ssize_t n = ::write(port.masterFd(), o.bytes.data() + o.written,
                                          o.bytes.size() - o.written);
                if (n > 0) {
                    o.written += size_t(n);
                    continue;
                }
                if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                    if (!blockedSince) blockedSince = nowMs();
                    if (nowMs() - blockedSince < kWriteGiveUpMs) return;
                }
                break;  // a write error or a host that stopped reading: the bytes are lost
            }
            blockedSince = 0;
            const After after = o.after;
            queuedBytes -= o.bytes.size();
            out.pop_front();
            if (after != After::Nothing) goDown(after);
        }
    }

    void goDown(After why) {
        // The path is cleared before the port closes: a host that sees the hang-up must
        // already find the device gone.
        std::unique_lock<std::mutex> lock(m);
        portPath.clear();
        port.close();
        clearQueue();
        splitter.clear();
        blockedSince = 0;
        handler.reset();
        unplugging = false;
        if (why == After::Unplug) {
            phase = Phase::Unplugged;
        } else {
            if (why == After::Restart) {
                const auto installed = model.applyUpdates();
                if (!installed.empty()) save();
                if (opts.verbose) {
                    for (const auto& name : installed) {
                        std::fprintf(stderr, "device-sim: installed %s\n", name.c_str());
                    }
                }
            }
            phase = Phase::Restarting;
            reappearAt = nowMs() + std::max(0, opts.restartDelayMs);
            bootloaderOnReappear = why == After::Restart;
        }
        bootloaderUntil = 0;
        portChanged.notify_all();
    }

    void reappear() {
        std::unique_lock<std::mutex> lock(m);
        const std::string name = opts.name + "-" + std::to_string(restarts + 1);
        std::string error;
        if (!openPort(name, &error)) {
            std::fprintf(stderr, "device-sim: %s; retrying\n", error.c_str());
            reappearAt = nowMs() + kReopenRetryMs;
            return;
        }
        ++restarts;
        phase = Phase::Present;
        portPath = port.linkPath();
        bootloaderUntil = bootloaderOnReappear ? nowMs() + std::max(0, opts.bootloaderMs) : 0;
        announce(lock);
    }
};

Simulator::Simulator(SimOptions options) : d(std::make_unique<Impl>(std::move(options))) {}

Simulator::~Simulator() { stop(); }

bool Simulator::start(std::string* error) {
    if (d->thread.joinable()) {
        if (error) *error = "already running";
        return false;
    }
    std::unique_lock<std::mutex> lock(d->m);
    if (!d->openPort(d->opts.name, error)) return false;
    if (::pipe2(d->wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        d->port.close();
        if (error) *error = "pipe failed";
        return false;
    }
    d->stopping = false;
    d->phase = Impl::Phase::Present;
    d->portPath = d->port.linkPath();
    d->bootloaderUntil = d->opts.bootloaderMs > 0 ? nowMs() + d->opts.bootloaderMs : 0;
    d->thread = std::thread([this] { d->run(); });
    d->announce(lock);
    return true;
}

void Simulator::stop() {
    if (!d->thread.joinable()) return;
    d->stopping = true;
    d->wakeUp();
    d->thread.join();
    d->port.close();
    d->clearQueue();
    d->splitter.clear();
    d->unplugging = false;
    ::close(d->wake[0]);
    ::close(d->wake[1]);
    d->wake[0] = d->wake[1] = -1;
    std::lock_guard<std::mutex> lock(d->m);
    d->handler.reset();
    d->phase = Impl::Phase::Stopped;
    d->portPath.clear();
    d->portChanged.notify_all();
}

bool Simulator::isRunning() const { return d->thread.joinable(); }

void Simulator::replug() {
    d->replugWanted = true;
    d->wakeUp();
}

std::string Simulator::portPath() const {
    std::lock_guard<std::mutex> lock(d->m);
    return d->portPath;
}

bool Simulator::waitForPort(int timeoutMs) {
    std::unique_lock<std::mutex> lock(d->m);
    return d->portChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [this] { return !d->portPath.empty(); });
}

bool Simulator::waitForAbsence(int timeoutMs) {
    std::unique_lock<std::mutex> lock(d->m);
    return d->portChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [this] { return d->portPath.empty(); });
}

int Simulator::restartCount() const {
    std::lock_guard<std::mutex> lock(d->m);
    return d->restarts;
}

bool Simulator::inBootloader() const {
    std::lock_guard<std::mutex> lock(d->m);
    return !d->portPath.empty() && nowMs() < d->bootloaderUntil;
}

SimOptions Simulator::options() const {
    std::lock_guard<std::mutex> lock(d->m);
    return d->opts;
}

void Simulator::updateOptions(const std::function<void(SimOptions&)>& change) {
    std::lock_guard<std::mutex> lock(d->m);
    change(d->opts);
}

void Simulator::inspect(const std::function<void(const DeviceModel&)>& look) const {
    std::lock_guard<std::mutex> lock(d->m);
    look(d->model);
}

void Simulator::modify(const std::function<void(DeviceModel&)>& change) {
    std::lock_guard<std::mutex> lock(d->m);
    change(d->model);
    d->save();
}

size_t Simulator::peakQueuedReplyBytes() const { return d->peakQueuedBytes; }

std::vector<ReceivedFrame> Simulator::received() const {
    std::lock_guard<std::mutex> lock(d->m);
    return d->log;
}

void Simulator::clearReceived() {
    std::lock_guard<std::mutex> lock(d->m);
    d->log.clear();
}

void Simulator::setPortListener(std::function<void(const std::string&)> listener) {
    std::lock_guard<std::mutex> lock(d->m);
    d->listener = std::move(listener);
}

}  // namespace orvane::sim
