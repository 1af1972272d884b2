// Identity, mode, leave/update and configuration parameter commands.
#include "cUSB_CDC_Protocol.h"

#include <QDebug>

#include <cstring>

namespace {

constexpr int kInfoTimeoutMs = 200;
constexpr int kShortTimeoutMs = 100;
constexpr int kHeader = int(orvane::frame::kHeaderSize);

const uint8_t* payloadOf(const QByteArray& reply) {
    return reinterpret_cast<const uint8_t*>(reply.constData()) + kHeader;
}
int payloadSize(const QByteArray& reply) { return reply.size() - kHeader; }

QByteArray le64(quint64 v) {
    QByteArray out(8, '\0');
    for (int i = 0; i < 8; ++i) out[i] = char(v >> (8 * i));
    return out;
}

}  // namespace

// The version text runs up to its first zero byte or the end of the payload; an empty text
// means the device did not say, and the caller's text stays as it was.
static bool versionQuery(cUSB_CDC_Protocol& link, uint8_t command, QString& version) {
    QByteArray reply;
    if (link.Exchange(command, QByteArray(), reply, kInfoTimeoutMs)) return true;
    const char* text = reply.constData() + kHeader;
    const int size = payloadSize(reply);
    const int length = int(strnlen(text, size_t(size)));
    if (length == 0) {
        link.versionKnown = false;
        return false;
    }
    link.versionKnown = true;
    version = QString::fromUtf8(text, length);
    return false;
}

bool cUSB_CDC_Protocol::SendHello(QString& version) {
    return versionQuery(*this, orvane::cmd::Hello, version);
}

bool cUSB_CDC_Protocol::SendGetFWVersion(QString& version) {
    return versionQuery(*this, orvane::cmd::GetFWVersion, version);
}

bool cUSB_CDC_Protocol::SendGetMAC(uint8_t wifiMac[6], uint8_t ethMac[6]) {
    QByteArray reply;
    if (Exchange(orvane::cmd::GetMAC, QByteArray(), reply, kInfoTimeoutMs)) return true;
    if (payloadSize(reply) < 12) return true;
    const uint8_t* p = payloadOf(reply);
    std::memset(wifiMac, 0, 6);
    std::memset(ethMac, 0, 6);
    // A first byte of zero is the device saying it has no addresses to give.
    if (p[0] != 0) {
        std::memcpy(wifiMac, p, 6);
        std::memcpy(ethMac, p + 6, 6);
    }
    return false;
}

bool cUSB_CDC_Protocol::SendGetID(quint64& id) {
    QByteArray reply;
    if (Exchange(orvane::cmd::GetID, QByteArray(), reply, kInfoTimeoutMs)) return true;
    if (payloadSize(reply) < 8) return true;
    id = orvane::frame::getLe64(payloadOf(reply));
    return false;
}

bool cUSB_CDC_Protocol::SendSetID(quint64& id) {
    QByteArray reply;
    if (Exchange(orvane::cmd::SetID, le64(id), reply, kInfoTimeoutMs)) return true;
    if (payloadSize(reply) < 8) return true;
    id = orvane::frame::getLe64(payloadOf(reply));
    return false;
}

bool cUSB_CDC_Protocol::SendGetMode(quint32& mode) {
    QByteArray reply;
    if (Exchange(orvane::cmd::GetMode, QByteArray(), reply, kInfoTimeoutMs)) return true;
    if (payloadSize(reply) < 4) return true;
    const quint32 value = orvane::frame::getLe32(payloadOf(reply));
    if (value == 0) return true;
    mode = value;
    return false;
}

bool cUSB_CDC_Protocol::SendStartUpdate() {
    QByteArray reply;
    return Exchange(orvane::cmd::StartUpdate, QByteArray(), reply, kShortTimeoutMs);
}

bool cUSB_CDC_Protocol::SendExit() {
    QByteArray reply;
    return Exchange(orvane::cmd::Exit, QByteArray(), reply, kShortTimeoutMs);
}

bool cUSB_CDC_Protocol::SendGetParam(quint16 id, QByteArray& value) {
    QByteArray request;
    request.append(char(id & 0xFF)).append(char(id >> 8));
    QByteArray reply;
    if (Exchange(orvane::cmd::GetParam, request, reply, kInfoTimeoutMs)) return true;
    value = reply.mid(kHeader);
    return false;
}

bool cUSB_CDC_Protocol::SendSetParam(quint16 id, const QByteArray& value) {
    if (value.size() > kMaxParamValue) {
        diag() << "CDC Error: SendSetParam value too long, " << value.size();
        return true;
    }
    QByteArray request;
    request.append(char(id & 0xFF)).append(char(id >> 8)).append(value);
    QByteArray reply;
    return Exchange(orvane::cmd::SetParam, request, reply, setParamTimeoutMs_);
}
