// The device link: one request/reply exchange at a time over the serial port, and the
// device's whole command set. Shared by both programs and the command-line tool.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "LinkDiagnostic.h"
#include "LinkTrace.h"
#include "codec/CommandCodes.h"
#include "codec/FrameCodec.h"
#include "platform/Deadline.h"
#include "platform/SerialPort.h"

// Command operations return false on success and true on failure. Any thread may call
// them: each exchange (and OpenPort / ClosePort) holds the link's lock, so requests and
// replies of different callers never interleave on the wire; a caller waits its turn.
// Refusals that happen before anything is sent (a name or value too long for its field, a
// chunk over kMaxWriteChunk) fail with a debug trace.
class cUSB_CDC_Protocol : public QObject {
    Q_OBJECT
public:
    static constexpr int kSetParamTimeoutAdmin = 1000;
    static constexpr int kSetParamTimeoutSnWriter = 200;
    static constexpr int kMaxParamValue = 510;      // value bytes of one SendSetParam
    static constexpr int kUploadNameField = 32;     // SendStartESP / SendDeleteESP name field
    static constexpr int kReadNameField = 24;       // SendStartFileRead name field
    static constexpr int kDiskInfoSize = 200;
    static constexpr int kFileDescKept = 24;
    static constexpr int kMaxWriteChunk = 512;      // data bytes of one SendWriteESP
    static constexpr int kReadWindowMs = 100;       // a reading window with nothing arriving
    static constexpr int kQuietMs = 5;              // the window ends this long after bytes
    static constexpr int kMaxReplyPacket = 3 + 65535 + 2;  // largest unstuffed reply kept

    // `port` defaults to the platform's serial port; tests may pass a fake.
    explicit cUSB_CDC_Protocol(int setParamTimeoutMs = kSetParamTimeoutAdmin,
                               std::unique_ptr<orvane::SerialPort> port = nullptr);
    ~cUSB_CDC_Protocol() override;
    cUSB_CDC_Protocol(const cUSB_CDC_Protocol&) = delete;
    cUSB_CDC_Protocol& operator=(const cUSB_CDC_Protocol&) = delete;

    // --- Channel ---
    // 0 = opened, 1 = failure (also when a port is already open through this object).
    int OpenPort(const QString& portName);
    void ClosePort();
    void CloseIfOpen();
    // Why the last OpenPort failed, in the system's words, and whether the port was busy.
    QString lastOpenError() const;
    bool lastOpenWasBusy() const;
    // The whole of it: also whether access was denied and who holds a busy port.
    orvane::SerialOpenResult lastOpenResult() const;
    // True when the device side went away while the port was open (cleared by OpenPort).
    bool portLost() const;

    std::atomic<bool> opened{false};        // the port is open and configured
    std::atomic<bool> versionKnown{false};  // the last version reply was not empty

    // --- Information and parameters ---
    bool SendHello(QString& version);
    bool SendGetFWVersion(QString& version);
    bool SendGetMAC(uint8_t wifiMac[6], uint8_t ethMac[6]);
    bool SendGetID(quint64& id);
    bool SendSetID(quint64& id);  // writes `id`; the device's 8-byte answer comes back in it
    bool SendGetMode(quint32& mode);
    bool SendStartUpdate();
    bool SendExit();
    bool SendGetParam(quint16 id, QByteArray& value);  // the whole reply payload
    bool SendSetParam(quint16 id, const QByteArray& value);

    // --- Files and flash ---
    // Why a file start or end failed, for the caller's message: no acceptable reply came
    // (or the request could not be sent), or the device answered that it would not.
    enum class Failure { None, NoAnswer, Refused };

    bool SendStartESP(const QString& deviceName, quint32 size, Failure* why = nullptr);
    bool SendWriteESP(quint32 offset, const uint8_t* data, quint32 count);
    bool SendEndESP(Failure* why = nullptr);
    bool SendDeleteESP(const QString& deviceName);
    bool SendGetDiskInfo(uint8_t record[kDiskInfoSize]);  // left unchanged on failure
    bool SendGetFileDesc(quint16 dirIndex, quint16 fileIndex, uint8_t desc[kFileDescKept]);
    bool SendStartFileRead(quint16 dirIndex, const QString& name, quint32& size,
                           Failure* why = nullptr);
    // Up to three attempts; on failure `errorText` says why.
    bool SendReadFile(quint32 offset, uint8_t* dest, quint32 count, QString& errorText);
    bool SendEndFileRead(Failure* why = nullptr);
    // in: bytes asked for; out: bytes returned (copied to dest).
    bool SendGetFlash(quint32 offset, uint8_t* dest, quint16& count);
    bool SendFormat();

    // One request/reply exchange under the link's lock. `reply` receives the unstuffed
    // reply packet, header included. True = failure: the channel is closed, the port went
    // away, or no reply for `command` was accepted before `timeoutMs` ran out.
    // Whatever was waiting unread is discarded before the request goes out, so a late
    // reply to an earlier exchange is never taken for this one.
    bool Exchange(uint8_t command, const QByteArray& payload, QByteArray& reply, int timeoutMs);

    int setParamTimeoutMs() const { return setParamTimeoutMs_; }

    // Every frame sent and received and every diagnostic line also go to `hook` (empty =
    // none). Set it while no exchange runs; it is called on the exchanging thread.
    void setTraceHook(orvane::LinkTraceHook hook) { trace_ = std::move(hook); }

signals:
    // The port went away while open (hang-up, device unplugged); at most once per open.
    // A watcher thread notices it within moments, without a request to the device; an
    // exchange that runs into it says so too. Emitted from whichever thread noticed it, often
    // inside an exchange: connect it queued, never directly.
    void sigPortLost();

private:
    void markLost();
    // While the port is open, a thread waits for its hang-up (HangUpWatch.cpp).
    void startHangUpWatch();
    void stopHangUpWatch();

    bool SendPacket(uint8_t command, const QByteArray& payload);
    // One reading window, ending no later than `exchangeEnd`; true = no acceptable reply in
    // it. Frames are taken one by one as their END arrives; a partial frame carries over
    // into the next window of the same exchange.
    bool ReadPacket(uint8_t command, QByteArray& reply, const orvane::Deadline& exchangeEnd);
    // Device file name as a fixed-width, zero-padded field; false (with a trace) when the
    // name does not fit, so a file is never stored under a cut name.
    bool NameField(const QString& name, int width, const char* operation,
                   QByteArray& field) const;
    // A diagnostic line, written like qDebug().
    orvane::LinkDiagnostic diag() const { return orvane::LinkDiagnostic(trace_); }
    void traceFrame(orvane::LinkTraceEvent::Kind kind, uint8_t command, const uint8_t* bytes,
                    size_t size) const;
    // The status-checked commands: exchange, then status byte 0 = success, with traces.
    bool StatusExchange(uint8_t command, const QByteArray& payload, int timeoutMs,
                        const char* operation, bool traced, Failure* why = nullptr);

    mutable std::recursive_mutex lock_;
    std::unique_ptr<orvane::SerialPort> port_;
    int setParamTimeoutMs_;
    orvane::SerialOpenResult lastOpen_;
    std::atomic<bool> lost_{false};
    std::thread hangUpWatch_;
    orvane::frame::FrameSplitter splitter_;
    orvane::LinkTraceHook trace_;
};
