// Packet writing, the reply reader and the request/reply exchange.
#include "cUSB_CDC_Protocol.h"

#include <QDebug>

#include <algorithm>

namespace {

// Bytes without an END beyond this can no longer become an acceptable reply.
constexpr size_t kMaxPendingBytes = 2 * size_t(cUSB_CDC_Protocol::kMaxReplyPacket) + 2;

}  // namespace

bool cUSB_CDC_Protocol::SendPacket(uint8_t command, const QByteArray& payload) {
    if (payload.size() > 0xFFFE) return true;  // the length field could not say it
    const std::vector<uint8_t> wire = orvane::frame::encodePacket(
        command, reinterpret_cast<const uint8_t*>(payload.constData()), size_t(payload.size()));
    if (trace_) traceFrame(orvane::LinkTraceEvent::Sent, command, wire.data(), wire.size());
    return port_->write(wire.data(), wire.size()) != wire.size();
}

void cUSB_CDC_Protocol::traceFrame(orvane::LinkTraceEvent::Kind kind, uint8_t command,
                                   const uint8_t* bytes, size_t size) const {
    orvane::LinkTraceEvent event;
    event.kind = kind;
    event.command = command;
    event.bytes = bytes;
    event.size = size;
    trace_(event);
}

bool cUSB_CDC_Protocol::ReadPacket(uint8_t command, QByteArray& reply,
                                   const orvane::Deadline& exchangeEnd) {
    using namespace orvane;
    reply.clear();
    Deadline window(std::min<int64_t>(kReadWindowMs, exchangeEnd.remainingMs()));
    bool sawFrame = false;
    uint8_t received[SerialPort::kReadChunk];
    std::vector<uint8_t> frameBytes;
    std::vector<uint8_t> decoded;

    while (!window.expired()) {
        if (port_->hungUp()) {
            markLost();
            return true;
        }
        const int64_t before = monotonicMs();
        const size_t got = port_->read(received, sizeof received);
        if (got == 0) {
            // A port whose reads fail at once must not turn this wait into a spin.
            if (monotonicMs() - before < 2 && !port_->hungUp()) sleepMs(SerialPort::kReadTimeoutMs);
            continue;
        }
        splitter_.append(received, got);
        window.start(std::min<int64_t>(kQuietMs, exchangeEnd.remainingMs()));

        while (splitter_.next(frameBytes)) {
            sawFrame = true;
            if (frameBytes.empty()) continue;  // an END with nothing before it
            const bool decodedOk = frame::unstuff(frameBytes.data(), frameBytes.size(), decoded,
                                                  size_t(kMaxReplyPacket)) == frame::DecodeResult::Ok;
            if (trace_)
                traceFrame(LinkTraceEvent::Received,
                           decodedOk && decoded.size() >= frame::kHeaderSize ? decoded[2] : 0,
                           frameBytes.data(), frameBytes.size());
            if (!decodedOk) {
                diag() << "Decoding error";
                continue;
            }
            if (decoded.size() < frame::kHeaderSize) continue;
            if (decoded[2] != command) {
                diag() << "Unexpected header";
                continue;
            }
            reply = QByteArray(reinterpret_cast<const char*>(decoded.data()), int(decoded.size()));
            // Whatever followed the accepted frame belongs to no one.
            splitter_.clear();
            return false;
        }
        if (splitter_.pendingBytes() > kMaxPendingBytes) {
            splitter_.clear();
            diag() << "Decoding error";
            sawFrame = true;
        }
    }
    // A frame still arriving is no error yet: it carries over into the next window.
    if (!sawFrame && splitter_.pendingBytes() == 0) diag() << "Decoding error";
    return true;
}

bool cUSB_CDC_Protocol::Exchange(uint8_t command, const QByteArray& payload, QByteArray& reply,
                                 int timeoutMs) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    reply.clear();
    if (!opened || !port_->isOpen() || port_->hungUp()) {
        if (opened && port_->hungUp()) markLost();
        diag() << "Timeout occurrued";
        return true;
    }
    // Without sequence numbers, a late reply to an earlier request would pass for this one.
    port_->discardInput();
    splitter_.clear();
    SendPacket(command, payload);  // a short write shows up as a missing reply

    const orvane::Deadline end(timeoutMs);
    while (!end.expired()) {
        if (!ReadPacket(command, reply, end)) return false;
        if (lost_) break;
    }
    diag() << "Timeout occurrued";
    return true;
}
