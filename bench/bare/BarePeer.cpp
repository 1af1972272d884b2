#include "BarePeer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace orvane::bench {
namespace {

constexpr unsigned char kEnd = 0xC0;
constexpr unsigned char kFiller = 0x5A;

void makeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
}

bool writeAll(int fd, const unsigned char* data, size_t n) {
    while (n > 0) {
        const ssize_t k = write(fd, data, n);
        if (k < 0) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, 2000) <= 0) return false;
            continue;
        }
        data += k;
        n -= size_t(k);
    }
    return true;
}

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

}  // namespace

bool serveBare(const std::string& linkPath, size_t replyBytes, const std::atomic<bool>& stop) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return false;
    const std::string slavePath = ptsname(master);
    // Held open here so that a client closing its end is no hang-up for the master.
    const int slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) return false;
    makeRaw(master);
    makeRaw(slave);
    unlink(linkPath.c_str());
    if (symlink(slavePath.c_str(), linkPath.c_str()) != 0) return false;

    std::vector<unsigned char> reply(replyBytes > 0 ? replyBytes : 1, kFiller);
    reply.back() = kEnd;
    unsigned char buffer[4096];
    while (!stop) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0) continue;
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] == kEnd && !writeAll(master, reply.data(), reply.size())) break;
        }
    }
    unlink(linkPath.c_str());
    close(slave);
    close(master);
    return true;
}

double askBare(const std::string& port, size_t requestBytes, long count) {
    const int fd = open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    makeRaw(fd);
    std::vector<unsigned char> request(requestBytes > 0 ? requestBytes : 1, kFiller);
    request.back() = kEnd;
    unsigned char buffer[4096];
    const double start = nowMs();
    bool ok = true;
    for (long i = 0; i < count && ok; ++i) {
        ok = writeAll(fd, request.data(), request.size());
        bool ended = false;
        while (ok && !ended) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 2000) <= 0) {
                ok = false;
                break;
            }
            const ssize_t got = read(fd, buffer, sizeof buffer);
            for (ssize_t k = 0; k < got; ++k)
                ended = ended || buffer[k] == kEnd;
        }
    }
    const double elapsed = nowMs() - start;
    close(fd);
    return ok ? elapsed : -1;
}

}  // namespace orvane::bench
