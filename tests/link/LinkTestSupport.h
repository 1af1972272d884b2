// Shared pieces of the link's Qt tests: a link over the scripted port, and a catcher for
// the link's debug traces.
#pragma once

#include "FakeSerialPort.h"
#include "link/cUSB_CDC_Protocol.h"

#include <QByteArray>
#include <QStringList>
#include <QtGlobal>

#include <memory>
#include <mutex>

namespace orvane::test {

// Collects qDebug() lines while alive.
class TraceCatcher {
public:
    TraceCatcher() {
        std::lock_guard<std::mutex> g(mutex());
        current() = this;
        previous_ = qInstallMessageHandler(&TraceCatcher::handle);
    }
    ~TraceCatcher() {
        qInstallMessageHandler(previous_);
        std::lock_guard<std::mutex> g(mutex());
        current() = nullptr;
    }
    QStringList lines() const {
        std::lock_guard<std::mutex> g(mutex());
        return lines_;
    }
    int count(const QString& line) const { return lines().count(line); }

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& msg) {
        std::lock_guard<std::mutex> g(mutex());
        if (current()) current()->lines_ << msg;
    }
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static TraceCatcher*& current() {
        static TraceCatcher* c = nullptr;
        return c;
    }
    QtMessageHandler previous_ = nullptr;
    QStringList lines_;
};

// A link whose port is a FakeSerialPort, already open.
struct FakeLink {
    explicit FakeLink(int setParamTimeoutMs = cUSB_CDC_Protocol::kSetParamTimeoutAdmin) {
        auto owned = std::make_unique<FakeSerialPort>();
        port = owned.get();
        link = std::make_unique<cUSB_CDC_Protocol>(setParamTimeoutMs, std::move(owned));
        link->OpenPort(QStringLiteral("fake0"));
    }
    // Answers every request with `payload` under the request's own command code.
    void replyWith(const Bytes& payload, int delayMs = 0) {
        port->onWrite = [payload, delayMs](FakeSerialPort& p, const Bytes& req) {
            p.feed(wireReply(commandOf(req), payload), delayMs);
        };
    }
    // The command code of a request as it went out on the wire.
    static uint8_t commandOf(const Bytes& wire) {
        Bytes out;
        if (wire.empty()) return 0;
        frame::unstuff(wire.data(), wire.size() - 1, out);
        return out.size() > 2 ? out[2] : 0;
    }
    // The last request, unstuffed, header included.
    Bytes lastRequest() const {
        const auto w = port->writes();
        if (w.empty()) return {};
        Bytes out;
        frame::unstuff(w.back().data(), w.back().size() - 1, out);
        return out;
    }

    FakeSerialPort* port = nullptr;
    std::unique_ptr<cUSB_CDC_Protocol> link;
};

inline Bytes bytesOf(const QByteArray& a) { return Bytes(a.begin(), a.end()); }

}  // namespace orvane::test
