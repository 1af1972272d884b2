// The POSIX serial port on a real pseudo-terminal: line settings and their restoring,
// exclusive open (holding as root too), reads, writes, discarding input, hang-up.
#include "link/platform/Deadline.h"
#include "link/platform/PosixSerialPort.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

using namespace orvane;
using Bytes = std::vector<uint8_t>;

namespace {

class Pty : public ::testing::Test {
protected:
    void SetUp() override {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        slave = ptsname(master);
        // Leave the slave in a cooked, 9600-baud state the port must change and put back.
        const int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        termios t{};
        ASSERT_EQ(tcgetattr(fd, &t), 0);
        t.c_lflag |= ICANON | ECHO;
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0);
        // Kept open from before the port's exclusive open, which refuses later opens
        // (except to root): the tests look at the line through it.
        probe = fd;
    }
    void TearDown() override {
        if (master >= 0) ::close(master);
        if (probe >= 0) ::close(probe);
    }
    termios slaveSettings() {
        termios t{};
        EXPECT_EQ(tcgetattr(probe, &t), 0);
        return t;
    }
    // Reads until `n` bytes came or two seconds passed (the pty hands bytes on asynchronously).
    Bytes readSome(SerialPort& port, size_t n) {
        Bytes got;
        uint8_t buf[SerialPort::kReadChunk];
        const Deadline d(2000);
        while (got.size() < n && !d.expired()) {
            const size_t k = port.read(buf, sizeof buf);
            got.insert(got.end(), buf, buf + k);
        }
        return got;
    }
    bool waitReadable(int fd) {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, 2000) == 1;
    }

    int master = -1;
    int probe = -1;
    std::string slave;
};

}  // namespace

TEST(PortNames, AbsolutePathsStayOthersGoUnderDev) {
    EXPECT_EQ(serialDevicePath("/tmp/ports/sim0"), "/tmp/ports/sim0");
    EXPECT_EQ(serialDevicePath("ttyACM0"), "/dev/ttyACM0");
}

TEST(PortOpen, MissingDeviceFailsWithTheSystemsWords) {
    PosixSerialPort port;
    const SerialOpenResult r = port.open("/nonexistent/orvane-port");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.busy);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(Pty, OpenSetsRawLineAndCloseRestoresIt) {
    PosixSerialPort port;
    ASSERT_TRUE(port.open(slave).ok);  // DTR is refused by a pty, which must not matter
    termios t = slaveSettings();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B115200));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), tcflag_t(0));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), tcflag_t(0));
    port.close();
    t = slaveSettings();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    EXPECT_NE(t.c_lflag & ICANON, tcflag_t(0));
    port.close();  // twice is harmless
}

TEST_F(Pty, SecondOpenIsRefusedAsBusyUntilTheFirstCloses) {
    PosixSerialPort first, second;
    ASSERT_TRUE(first.open(slave).ok);
    EXPECT_FALSE(first.open(slave).ok);  // already open through this object
    const SerialOpenResult r = second.open(slave);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.busy);
    first.close();
    EXPECT_TRUE(second.open(slave).ok);
}

TEST_F(Pty, OpensThroughASymbolicLink) {
    char dir[] = "/tmp/orvane-port-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/sim0";
    ASSERT_EQ(symlink(slave.c_str(), link.c_str()), 0);
    PosixSerialPort port;
    EXPECT_TRUE(port.open(link).ok);
    port.close();
    unlink(link.c_str());
    rmdir(dir);
}

TEST_F(Pty, BytesTravelBothWaysUnchanged) {
    PosixSerialPort port;
    ASSERT_TRUE(port.open(slave).ok);
    // Raw mode: END, CR, LF, XON/XOFF and ^C bytes pass through untouched.
    const Bytes out{0xC0, 0x0D, 0x0A, 0x11, 0x13, 0x03, 0x00, 0xFF};
    ASSERT_EQ(port.write(out.data(), out.size()), out.size());
    Bytes got(out.size());
    ASSERT_TRUE(waitReadable(master));
    ASSERT_EQ(::read(master, got.data(), got.size()), ssize_t(out.size()));
    EXPECT_EQ(got, out);

    ASSERT_EQ(::write(master, out.data(), out.size()), ssize_t(out.size()));
    EXPECT_EQ(readSome(port, out.size()), out);
    uint8_t buf[16];
    EXPECT_EQ(port.read(buf, sizeof buf), 0u);  // nothing more: returns empty, not blocked
    EXPECT_FALSE(port.hungUp());
}

TEST_F(Pty, DiscardInputDropsWhatWaits) {
    PosixSerialPort port;
    ASSERT_TRUE(port.open(slave).ok);
    const Bytes stale{1, 2, 3, 4};
    ASSERT_EQ(::write(master, stale.data(), stale.size()), 4);
    // Wait until the bytes have reached the port's side before throwing them away.
    ASSERT_TRUE(waitReadable(probe));
    port.discardInput();
    uint8_t buf[16];
    EXPECT_EQ(port.read(buf, sizeof buf), 0u);
    const Bytes fresh{9};
    ASSERT_EQ(::write(master, fresh.data(), 1), 1);
    EXPECT_EQ(readSome(port, 1), fresh);
}

TEST_F(Pty, HangUpIsRememberedAndReadsReturnAtOnce) {
    PosixSerialPort port;
    ASSERT_TRUE(port.open(slave).ok);
    ::close(master);
    master = -1;
    uint8_t buf[16];
    EXPECT_EQ(port.read(buf, sizeof buf), 0u);
    EXPECT_TRUE(port.hungUp());
    const Bytes out{1};
    EXPECT_EQ(port.write(out.data(), 1), 0u);
    port.close();
}
