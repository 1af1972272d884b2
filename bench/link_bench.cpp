// How fast the device link is against the simulated device, and what it costs to wait:
// the bare pty round trip, the link's SendGetFlash round trip, a whole flash image, and the
// processor time of a thread waiting for a reply that never comes.
#include "SimHarness.h"
#include "link/cUSB_CDC_Protocol.h"
#include "link/platform/Deadline.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace orvane;

namespace {

constexpr int kRounds = 2000;
constexpr int kBareRequest = 8;
constexpr int kBareReply = 260;

double nowUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Reads exactly n bytes, blocking in poll(); false when the other side went away.
bool readAll(int fd, uint8_t* buf, size_t n) {
    size_t got = 0;
    while (got < n) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 2000) <= 0) return false;
        const ssize_t k = read(fd, buf + got, n - got);
        if (k <= 0) return false;
        got += size_t(k);
    }
    return true;
}

void makeRaw(int fd) {
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
}

// 8 bytes out, 260 back, over a pseudo-terminal with nothing but poll() on either side.
double bareRoundTripUs() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) || unlockpt(master)) return 0;
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    if (slave < 0) return 0;
    makeRaw(master);
    makeRaw(slave);
    std::thread device([master] {
        uint8_t req[kBareRequest];
        std::vector<uint8_t> reply(kBareReply, 0x5A);
        for (int i = 0; i < kRounds; ++i) {
            if (!readAll(master, req, sizeof req)) return;
            if (write(master, reply.data(), reply.size()) != ssize_t(reply.size())) return;
        }
    });
    std::vector<double> times;
    uint8_t req[kBareRequest] = {7, 0, 21, 0, 0, 0, 0, 0xC0};
    std::vector<uint8_t> reply(kBareReply);
    for (int i = 0; i < kRounds; ++i) {
        const double t0 = nowUs();
        if (write(slave, req, sizeof req) != ssize_t(sizeof req)) break;
        if (!readAll(slave, reply.data(), reply.size())) break;
        times.push_back(nowUs() - t0);
    }
    device.join();
    close(slave);
    close(master);
    return median(times);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    sim::SimOptions options;
    options.recordRequests = false;
    options.noReplyOnNth[cmd::Hello] = 1;
    test::SimHarness device(options);
    device.start();
    cUSB_CDC_Protocol link;
    if (link.OpenPort(QString::fromStdString(device.portPath())) != 0) {
        std::fprintf(stderr, "cannot open %s: %s\n", device.portPath().c_str(),
                     qPrintable(link.lastOpenError()));
        return 1;
    }

    const double bare = bareRoundTripUs();
    std::printf("bare pty round trip (8 B out, 260 B back), median of %d: %.1f us\n", kRounds,
                bare);

    uint8_t chunk[256];
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        quint16 count = 256;
        const double t0 = nowUs();
        if (link.SendGetFlash(quint32(i) * 256, chunk, count)) {
            std::fprintf(stderr, "SendGetFlash failed\n");
            return 1;
        }
        times.push_back(nowUs() - t0);
    }
    const double viaLink = median(times);
    std::printf("SendGetFlash(256) through the link, median of %d: %.1f us\n", kRounds, viaLink);
    std::printf("ratio link / bare: %.2f (goal: at most 1.5)\n", bare > 0 ? viaLink / bare : 0);

    const double start = nowUs();
    const quint32 flashSize = 8u << 20;
    for (quint32 off = 0; off < flashSize; off += 256) {
        quint16 count = 256;
        if (link.SendGetFlash(off, chunk, count) || count != 256) {
            std::fprintf(stderr, "flash read failed at %u\n", off);
            return 1;
        }
    }
    std::printf("whole 8 MiB flash through the link (32768 x 256 B): %.2f s (goal: under 10 s)\n",
                (nowUs() - start) / 1e6);

    double cpuMs = 0, wallMs = 0;
    std::thread waiter([&] {
        const double c0 = threadCpuMs(), w0 = nowUs();
        QByteArray reply;
        link.Exchange(cmd::Hello, QByteArray(), reply, 2000);  // the device stays silent
        cpuMs = threadCpuMs() - c0;
        wallMs = (nowUs() - w0) / 1e3;
    });
    waiter.join();
    std::printf("waiting %.0f ms for a reply that never comes: %.1f ms of CPU, %.2f%% of a core "
                "(goal: under 2%%)\n",
                wallMs, cpuMs, wallMs > 0 ? 100.0 * cpuMs / wallMs : 0);
    link.ClosePort();
    return 0;
}
