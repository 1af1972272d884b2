// File upload, deletion, listing, file and flash reading, and formatting.
#include "cUSB_CDC_Protocol.h"

#include <QDebug>

#include <cstring>

namespace {

constexpr int kHeader = int(orvane::frame::kHeaderSize);
constexpr int kStartEspTimeoutMs = 30000;
constexpr int kWriteEspTimeoutMs = 5000;
constexpr int kEndTimeoutMs = 1000;
constexpr int kDeleteTimeoutMs = 60000;
constexpr int kListTimeoutMs = 500;
constexpr int kStartReadTimeoutMs = 30000;
constexpr int kReadFileTimeoutMs = 5000;
constexpr int kReadFileAttempts = 3;
constexpr int kFlashTimeoutMs = 500;
constexpr int kFormatTimeoutMs = 100;

const uint8_t* payloadOf(const QByteArray& reply) {
    return reinterpret_cast<const uint8_t*>(reply.constData()) + kHeader;
}
int payloadSize(const QByteArray& reply) { return reply.size() - kHeader; }

void putLe16(QByteArray& out, quint16 v) { out.append(char(v & 0xFF)).append(char(v >> 8)); }
void putLe32(QByteArray& out, quint32 v) {
    for (int i = 0; i < 4; ++i) out.append(char(v >> (8 * i)));
}

QByteArray cdcError(const char* operation, const char* what) {
    return QByteArray("CDC Error: ") + operation + what;
}

void setFailure(cUSB_CDC_Protocol::Failure* why, cUSB_CDC_Protocol::Failure failure) {
    if (why) *why = failure;
}

}  // namespace

bool cUSB_CDC_Protocol::NameField(const QString& name, int width, const char* operation,
                                  QByteArray& field) const {
    const QByteArray utf8 = name.toUtf8();
    if (utf8.size() > width) {
        diag() << cdcError(operation, ": file name too long, ").constData() << utf8.size()
                 << "bytes, the field holds" << width;
        return false;
    }
    field = utf8;
    field.append(QByteArray(width - utf8.size(), '\0'));
    return true;
}

bool cUSB_CDC_Protocol::StatusExchange(uint8_t command, const QByteArray& payload, int timeoutMs,
                                       const char* operation, bool traced, Failure* why) {
    QByteArray reply;
    setFailure(why, Failure::NoAnswer);
    if (Exchange(command, payload, reply, timeoutMs)) {
        if (traced) diag() << cdcError(operation, " timeout").constData();
        return true;
    }
    // An answer without the success status is a refusal, whatever it holds.
    setFailure(why, Failure::Refused);
    if (payloadSize(reply) < 1) {
        if (traced) diag() << cdcError(operation, " reply has no status").constData();
        return true;
    }
    const int status = payloadOf(reply)[0];
    if (status != 0) {
        if (traced) diag() << cdcError(operation, " result NOK, ").constData() << status;
        return true;
    }
    setFailure(why, Failure::None);
    return false;
}

bool cUSB_CDC_Protocol::SendStartESP(const QString& deviceName, quint32 size, Failure* why) {
    QByteArray request;
    putLe32(request, size);
    QByteArray name;
    setFailure(why, Failure::NoAnswer);
    if (!NameField(deviceName, kUploadNameField, "SendStartESP", name)) return true;
    request.append(name);
    return StatusExchange(orvane::cmd::StartESP, request, kStartEspTimeoutMs, "SendStartESP", true,
                          why);
}

bool cUSB_CDC_Protocol::SendWriteESP(quint32 offset, const uint8_t* data, quint32 count) {
    if (count > quint32(kMaxWriteChunk) || (count > 0 && data == nullptr)) {
        diag() << "CDC Error: SendWriteESP chunk too long, " << count;
        return true;
    }
    QByteArray request;
    putLe32(request, offset);
    putLe32(request, count);
    request.append(reinterpret_cast<const char*>(data), int(count));
    return StatusExchange(orvane::cmd::WriteESP, request, kWriteEspTimeoutMs, "SendWriteESP", true);
}

bool cUSB_CDC_Protocol::SendEndESP(Failure* why) {
    return StatusExchange(orvane::cmd::EndESP, QByteArray(), kEndTimeoutMs, "SendEndESP", false,
                          why);
}

bool cUSB_CDC_Protocol::SendDeleteESP(const QString& deviceName) {
    QByteArray name;
    if (!NameField(deviceName, kUploadNameField, "SendDeleteESP", name)) return true;
    return StatusExchange(orvane::cmd::DeleteESP, name, kDeleteTimeoutMs, "SendDeleteESP", true);
}

bool cUSB_CDC_Protocol::SendGetDiskInfo(uint8_t record[kDiskInfoSize]) {
    QByteArray reply;
    if (Exchange(orvane::cmd::GetDiskInfo, QByteArray(), reply, kListTimeoutMs)) return true;
    if (payloadSize(reply) != kDiskInfoSize) return true;
    std::memcpy(record, payloadOf(reply), kDiskInfoSize);
    return false;
}

bool cUSB_CDC_Protocol::SendGetFileDesc(quint16 dirIndex, quint16 fileIndex,
                                        uint8_t desc[kFileDescKept]) {
    QByteArray request;
    putLe16(request, dirIndex);
    putLe16(request, fileIndex);
    QByteArray reply;
    if (Exchange(orvane::cmd::GetFileDesc, request, reply, kListTimeoutMs)) return true;
    if (payloadSize(reply) != 32) return true;
    std::memcpy(desc, payloadOf(reply), kFileDescKept);
    return false;
}

bool cUSB_CDC_Protocol::SendStartFileRead(quint16 dirIndex, const QString& name, quint32& size,
                                          Failure* why) {
    size = 0;
    setFailure(why, Failure::NoAnswer);
    QByteArray request;
    putLe16(request, dirIndex);
    QByteArray field;
    if (!NameField(name, kReadNameField, "SendStartFileRead", field)) return true;
    request.append(field);
    QByteArray reply;
    if (Exchange(orvane::cmd::StartFileRead, request, reply, kStartReadTimeoutMs)) return true;
    // An answer without a size, or with a negative one, is a refusal.
    setFailure(why, Failure::Refused);
    if (payloadSize(reply) < 4) return true;
    const qint32 signedSize = qint32(orvane::frame::getLe32(payloadOf(reply)));
    if (signedSize < 0) {
        diag() << "CDC Error: SendStartFileRead: file doesn't exist";
        return true;
    }
    setFailure(why, Failure::None);
    size = quint32(signedSize);
    return false;
}

bool cUSB_CDC_Protocol::SendReadFile(quint32 offset, uint8_t* dest, quint32 count,
                                     QString& errorText) {
    QByteArray request;
    putLe32(request, offset);
    putLe32(request, count);
    // The attempts belong together: no other caller's exchange may come between them.
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (int attempt = 1; attempt <= kReadFileAttempts; ++attempt) {
        QByteArray reply;
        if (Exchange(orvane::cmd::ReadFile, request, reply, kReadFileTimeoutMs)) {
            diag() << "CDC Error: SendReadFile timeout";
            errorText = QStringLiteral("Reading data timeout");
            if (lost_) return true;  // the port is gone: more attempts cannot help
            continue;
        }
        const int got = payloadSize(reply);
        if (quint32(got) != count) {
            errorText = QString::asprintf("Incorrect size. Expected: %d, real: %d", int(count), got);
            continue;
        }
        if (count > 0) std::memcpy(dest, payloadOf(reply), count);
        return false;
    }
    return true;
}

bool cUSB_CDC_Protocol::SendEndFileRead(Failure* why) {
    return StatusExchange(orvane::cmd::EndFileRead, QByteArray(), kEndTimeoutMs, "SendEndFileRead",
                          false, why);
}

bool cUSB_CDC_Protocol::SendGetFlash(quint32 offset, uint8_t* dest, quint16& count) {
    QByteArray request;
    putLe32(request, offset);
    putLe16(request, count);
    QByteArray reply;
    if (Exchange(orvane::cmd::GetFlash, request, reply, kFlashTimeoutMs)) return true;
    if (payloadSize(reply) < 2) return true;
    const quint16 m = orvane::frame::getLe16(payloadOf(reply));
    // More than was asked for would overrun the caller's buffer; fewer bytes than the count
    // says means the reply is cut.
    if (m > count || payloadSize(reply) < 2 + int(m)) {
        diag() << "CDC Error: SendGetFlash bad count, " << m;
        return true;
    }
    if (m > 0) std::memcpy(dest, payloadOf(reply) + 2, m);
    count = m;
    return false;
}

bool cUSB_CDC_Protocol::SendFormat() {
    QByteArray reply;
    return Exchange(orvane::cmd::Format, QByteArray(), reply, kFormatTimeoutMs);
}
