// A scripted device for tests: decodes each request written to the port, records it, and
// answers with whatever the test's handler returns (or stays silent).
#pragma once

#include <QByteArray>
#include <QList>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "link/platform/SerialPort.h"

class cUSB_CDC_Protocol;

namespace orvane::test {

struct FakeRequest {
    uint8_t command = 0;
    QByteArray payload;  // after the 3 header bytes
};

class FakeDevice {
public:
    // Fills `reply` with the reply payload; returning false sends no reply at all.
    using Handler = std::function<bool(uint8_t command, const QByteArray& payload, QByteArray& reply)>;

    explicit FakeDevice(Handler handler);
    ~FakeDevice();

    // A port speaking to this device; the device must outlive it.
    std::unique_ptr<SerialPort> makePort();
    // A link already opened on a port to this device.
    std::unique_ptr<cUSB_CDC_Protocol> openLink(int setParamTimeoutMs = 1000);

    QList<FakeRequest> requests() const;
    QList<FakeRequest> requests(uint8_t command) const;
    void clearRequests();

private:
    friend class FakePort;
    void received(const std::vector<uint8_t>& frame, std::vector<uint8_t>& wire);

    Handler handler_;
    mutable std::mutex mutex_;
    QList<FakeRequest> requests_;
};

}  // namespace orvane::test
