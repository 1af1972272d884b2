// Times the transfers the admin window runs (upload 1 MiB, read it back, read the 8 MiB
// flash image) against the simulated device on a pseudo-terminal, and compares each with the
// bare round trip of the same request written straight to the port, times the exchanges.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "device/transfer/FileDownload.h"
#include "device/transfer/FileUpload.h"
#include "device/transfer/FlashImage.h"
#include "link/codec/FrameCodec.h"
#include "link/cUSB_CDC_Protocol.h"
#include "link/platform/Deadline.h"
#include "link/platform/SerialPort.h"
#include "tests/support/SimHarness.h"

namespace {

using orvane::monotonicMs;

// Request/reply written and read straight on the port, without the link: what an exchange
// costs at the least.
class BarePort {
public:
    explicit BarePort(const std::string& port) : serial_(orvane::makePlatformSerialPort()) {
        ok_ = serial_->open(port).ok;
    }
    ~BarePort() { serial_->close(); }
    bool ok() const { return ok_; }

    // Sends one request and waits for the END byte of its reply.
    void roundTrip(uint8_t command, const std::vector<uint8_t>& payload) {
        const std::vector<uint8_t> frame =
            orvane::frame::encodePacket(command, payload.data(), payload.size());
        serial_->write(frame.data(), frame.size());
        uint8_t buffer[orvane::SerialPort::kReadChunk];
        orvane::Deadline giveUp(2000);
        while (!giveUp.expired()) {
            const size_t n = serial_->read(buffer, sizeof buffer);
            for (size_t k = 0; k < n; ++k)
                if (buffer[k] == orvane::frame::END) return;
        }
    }

private:
    std::unique_ptr<orvane::SerialPort> serial_;
    bool ok_ = false;
};

// Milliseconds of one bare round trip made by `step(port, i)`: the best mean of three runs
// of `rounds`, after a warm-up, since other work on a shared machine only ever adds time.
template <typename Step>
double bareMs(const std::string& port, int rounds, Step step) {
    BarePort bare(port);
    if (!bare.ok()) return -1;
    for (int i = 0; i < 50; ++i) bare.roundTrip(orvane::cmd::GetFlash, {0, 0, 0, 0, 0, 1});
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const int64_t start = monotonicMs();
        for (int i = 0; i < rounds; ++i) step(bare, i);
        best = std::min(best, double(monotonicMs() - start) / rounds);
    }
    return best;
}

void putLe32(std::vector<uint8_t>& v, uint32_t x) { orvane::frame::putLe32(v, x); }

void report(const char* what, int64_t ms, double bytes, int exchanges, double bareMs) {
    const double seconds = ms / 1000.0;
    const double limitMs = bareMs * exchanges;
    std::printf("%-18s %6.2f s %7.1f KiB/s %6d exchanges; bare %.3f ms each, limit %5.2f s; "
                "ratio %.2f\n",
                what, seconds, bytes / 1024.0 / (seconds > 0 ? seconds : 1), exchanges, bareMs,
                limitMs / 1000.0, limitMs > 0 ? ms / limitMs : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The transfers' diagnostic lines would drown the figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    orvane::test::SimHarness sim;
    sim.start();
    const std::string port = sim.portPath();
    QTemporaryDir dir;
    orvane::transfer::TransferReport quiet;

    const int size = 1 << 20;
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i) data[i] = char(i * 7 + i / 4099);
    const QString local = dir.filePath("bench.bin");
    QFile f(local);
    f.open(QIODevice::WriteOnly);
    f.write(data);
    f.close();

    // The bare round trips are measured right before each transfer, with the same request
    // kind, so that both see the same load on a shared machine.
    const int rounds = 500;
    cUSB_CDC_Protocol link;
    auto openLink = [&] { return link.OpenPort(QString::fromStdString(port)) == 0; };

    const double bareUpload = bareMs(port, rounds, [](BarePort& bare, int i) {
        if (i == 0) {
            std::vector<uint8_t> start;
            putLe32(start, 512 * rounds);
            const char scratch[] = "scratch.tmp";
            start.insert(start.end(), scratch, scratch + sizeof scratch - 1);
            start.resize(4 + 32, 0);
            bare.roundTrip(orvane::cmd::StartESP, start);
        }
        std::vector<uint8_t> chunk;
        putLe32(chunk, 512 * i);
        putLe32(chunk, 512);
        chunk.resize(8 + 512, 0x5A);
        bare.roundTrip(orvane::cmd::WriteESP, chunk);
    });
    if (!openLink()) return 1;
    int64_t t = monotonicMs();
    const bool up = orvane::transfer::uploadFile(&link, local, false, quiet);
    report(up ? "upload 1 MiB" : "upload 1 MiB (FAILED)", monotonicMs() - t, size,
           size / 512 + 2, bareUpload);
    link.ClosePort();

    const double bareRead = bareMs(port, rounds, [](BarePort& bare, int i) {
        if (i == 0) {
            std::vector<uint8_t> start{0, 0};
            const char name[] = "bench.bin";
            start.insert(start.end(), name, name + sizeof name - 1);
            start.resize(2 + 24, 0);
            bare.roundTrip(orvane::cmd::StartFileRead, start);
        }
        std::vector<uint8_t> ask;
        putLe32(ask, 256 * i);
        putLe32(ask, 256);
        bare.roundTrip(orvane::cmd::ReadFile, ask);
    });
    if (!openLink()) return 1;
    const QString back = dir.filePath("back.bin");
    t = monotonicMs();
    const bool down = orvane::transfer::readDeviceFile(&link, back, 0, "bench.bin", quiet);
    const int64_t downMs = monotonicMs() - t;
    QFile b(back);
    const bool same = b.open(QIODevice::ReadOnly) && b.readAll() == data;
    report(down && same ? "read back 1 MiB" : "read back 1 MiB (FAILED)", downMs, size,
           size / 256 + 2, bareRead);
    link.ClosePort();

    const double bareFlash = bareMs(port, rounds, [](BarePort& bare, int i) {
        std::vector<uint8_t> ask;
        putLe32(ask, 256 * i);
        ask.push_back(0x00);
        ask.push_back(0x01);  // 256
        bare.roundTrip(orvane::cmd::GetFlash, ask);
    });
    if (!openLink()) return 1;
    t = monotonicMs();
    const bool image = orvane::transfer::readFlashImage(&link, dir.filePath("flashimage.bin"),
                                                        orvane::transfer::kFlashImageSize, quiet);
    report(image ? "flash image 8 MiB" : "flash image 8 MiB (FAILED)", monotonicMs() - t,
           orvane::transfer::kFlashImageSize, orvane::transfer::kFlashImageSize / 256,
           bareFlash);
    link.ClosePort();
    return 0;
}
