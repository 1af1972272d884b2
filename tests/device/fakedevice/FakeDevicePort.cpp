#include "tests/device/fakedevice/FakeDevicePort.h"

#include <chrono>

#include "link/cUSB_CDC_Protocol.h"
#include "link/codec/FrameCodec.h"

namespace orvane::test {

class FakePort : public SerialPort {
public:
    explicit FakePort(FakeDevice* device) : device_(device) {}

    SerialOpenResult open(const std::string&) override
    {
        SerialOpenResult r;
        r.ok = !open_;
        open_ = true;
        return r;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }

    size_t read(uint8_t* dest, size_t capacity) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        // Blocks like a real port read: returns at once with data, else after the read time-out.
        cv_.wait_for(lock, std::chrono::milliseconds(kReadTimeoutMs), [this] { return !rx_.empty(); });
        const size_t n = std::min({capacity, rx_.size(), kReadChunk});
        std::copy(rx_.begin(), rx_.begin() + long(n), dest);
        rx_.erase(rx_.begin(), rx_.begin() + long(n));
        return n;
    }

    size_t write(const uint8_t* data, size_t n) override
    {
        splitter_.append(data, n);
        std::vector<uint8_t> frame, wire;
        while (splitter_.next(frame))
            if (!frame.empty()) device_->received(frame, wire);
        if (!wire.empty()) {
            std::lock_guard<std::mutex> lock(mutex_);
            rx_.insert(rx_.end(), wire.begin(), wire.end());
            cv_.notify_all();
        }
        return n;
    }

    void discardInput() override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        rx_.clear();
    }
    bool hungUp() const override { return false; }

private:
    FakeDevice* device_;
    bool open_ = false;
    frame::FrameSplitter splitter_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<uint8_t> rx_;
};

FakeDevice::FakeDevice(Handler handler) : handler_(std::move(handler)) {}
FakeDevice::~FakeDevice() = default;

std::unique_ptr<SerialPort> FakeDevice::makePort() { return std::make_unique<FakePort>(this); }

std::unique_ptr<cUSB_CDC_Protocol> FakeDevice::openLink(int setParamTimeoutMs)
{
    auto link = std::make_unique<cUSB_CDC_Protocol>(setParamTimeoutMs, makePort());
    link->OpenPort(QStringLiteral("fake"));
    return link;
}

void FakeDevice::received(const std::vector<uint8_t>& stuffed, std::vector<uint8_t>& wire)
{
    std::vector<uint8_t> packet;
    if (frame::unstuff(stuffed.data(), stuffed.size(), packet) != frame::DecodeResult::Ok ||
        packet.size() < frame::kHeaderSize)
        return;
    FakeRequest request;
    request.command = packet[2];
    request.payload = QByteArray(reinterpret_cast<const char*>(packet.data()) + frame::kHeaderSize,
                                 int(packet.size() - frame::kHeaderSize));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.append(request);
    }
    QByteArray reply;
    if (!handler_(request.command, request.payload, reply)) return;
    const auto out = frame::encodePacket(request.command, reinterpret_cast<const uint8_t*>(reply.constData()),
                                         size_t(reply.size()));
    wire.insert(wire.end(), out.begin(), out.end());
}

QList<FakeRequest> FakeDevice::requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

QList<FakeRequest> FakeDevice::requests(uint8_t command) const
{
    QList<FakeRequest> out;
    for (const FakeRequest& r : requests())
        if (r.command == command) out.append(r);
    return out;
}

void FakeDevice::clearRequests()
{
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

}  // namespace orvane::test
