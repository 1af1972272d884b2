#include "PosixSerialPort.h"

#include "Deadline.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace orvane {

std::string serialDevicePath(const std::string& portName) {
    if (!portName.empty() && portName[0] == '/') return portName;
    return "/dev/" + portName;
}

std::unique_ptr<SerialPort> makePlatformSerialPort() {
    return std::make_unique<PosixSerialPort>();
}

namespace {

SerialOpenResult failure(int err, const std::string& path, bool busy = false) {
    SerialOpenResult r;
    r.busy = busy || err == EBUSY || err == EWOULDBLOCK;
    r.denied = err == EACCES || err == EPERM;
    r.reason = std::strerror(err);
    if (r.busy) r.holder = findPortHolder(path);
    return r;
}

}  // namespace

PosixSerialPort::~PosixSerialPort() { close(); }

SerialOpenResult PosixSerialPort::open(const std::string& portName) {
    if (fd_ >= 0) {
        SerialOpenResult r;
        r.busy = true;
        r.reason = "The port is already open";
        return r;
    }
    const std::string path = serialDevicePath(portName);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failure(errno, path);

    // TIOCEXCL does not stop root, so the advisory lock is what keeps a second program out.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        return failure(err, path, err == EWOULDBLOCK);
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        const int err = errno;
        ::close(fd);
        return failure(err, path);
    }
    saved_ = tio;
    haveSaved_ = true;

    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    // Reads never block in the driver: poll() does the waiting.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int err = errno;
        ::close(fd);
        haveSaved_ = false;
        return failure(err, path);
    }
    ::ioctl(fd, TIOCEXCL);
    // A pseudo-terminal has no modem lines and answers ENOTTY: nothing to assert there.
    int dtr = TIOCM_DTR;
    ::ioctl(fd, TIOCMBIS, &dtr);

    if (::pipe(wake_) != 0) {
        const int err = errno;
        ::tcsetattr(fd, TCSANOW, &saved_);
        haveSaved_ = false;
        ::close(fd);
        return failure(err, path);
    }
    for (int end : wake_) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, O_NONBLOCK);
    }
    fd_ = fd;
    hungUp_ = false;
    SerialOpenResult ok;
    ok.ok = true;
    return ok;
}

void PosixSerialPort::close() {
    if (fd_ < 0) return;
    if (haveSaved_) ::tcsetattr(fd_, TCSANOW, &saved_);
    haveSaved_ = false;
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
    for (int& end : wake_) {
        ::close(end);
        end = -1;
    }
}

bool PosixSerialPort::waitForHangUp() {
    if (fd_ < 0) return false;
    if (hungUp_) return true;
    // With no events asked for, poll() still reports a hang-up or an error of the port, and
    // nothing is read from it: the exchanges keep every byte.
    pollfd p[2] = {{fd_, 0, 0}, {wake_[0], POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(p, 2, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (p[1].revents & POLLIN)) return false;
        if (p[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            hungUp_ = true;
            return true;
        }
    }
}

void PosixSerialPort::interruptHangUpWait() {
    if (wake_[1] < 0) return;
    const char byte = 0;
    // A full pipe already holds a wake-up; nothing more is needed.
    (void)!::write(wake_[1], &byte, 1);
}

size_t PosixSerialPort::read(uint8_t* dest, size_t capacity) {
    if (fd_ < 0 || hungUp_) return 0;
    if (capacity > kReadChunk) capacity = kReadChunk;
    if (capacity == 0) return 0;

    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, kReadTimeoutMs);
    if (ready <= 0) return 0;
    if (p.revents & POLLIN) {
        const ssize_t got = ::read(fd_, dest, capacity);
        if (got > 0) return size_t(got);
        // End of file, or EIO once the other side of a pseudo-terminal has closed.
        if (got == 0 || errno == EIO || errno == ENXIO) hungUp_ = true;
        return 0;
    }
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) hungUp_ = true;
    return 0;
}

size_t PosixSerialPort::write(const uint8_t* data, size_t n) {
    if (fd_ < 0 || hungUp_) return 0;
    size_t done = 0;
    const Deadline deadline(kWriteTimeoutMs);
    while (done < n) {
        const ssize_t put = ::write(fd_, data + done, n - done);
        if (put > 0) {
            done += size_t(put);
            continue;
        }
        if (put < 0 && errno == EINTR) continue;
        if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The driver's queue is full: wait for room rather than spin.
            const int64_t left = deadline.remainingMs();
            if (left == 0) break;
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, int(left)) <= 0) break;
            if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
                hungUp_ = true;
                break;
            }
            continue;
        }
        if (put < 0 && (errno == EIO || errno == ENXIO)) hungUp_ = true;
        break;
    }
    return done;
}

void PosixSerialPort::discardInput() {
    if (fd_ >= 0) ::tcflush(fd_, TCIFLUSH);
}

}  // namespace orvane
