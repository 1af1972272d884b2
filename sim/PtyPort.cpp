#include "PtyPort.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace orvane::sim {

namespace {

bool fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

}  // namespace

PtyPort::~PtyPort() { close(); }

bool PtyPort::open(const std::string& dir, const std::string& name, std::string* error) {
    close();
    if (dir.empty()) {
        if (error) *error = "no virtual ports directory (set ORVANE_VIRTUAL_PORTS or --ports-dir)";
        return false;
    }
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return fail(error, "posix_openpt");
    char slaveName[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, slaveName, sizeof slaveName) != 0) {
        const int saved = errno;
        ::close(master);
        errno = saved;
        return fail(error, "pseudo-terminal setup");
    }
    const int slave = ::open(slaveName, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        const int saved = errno;
        ::close(master);
        errno = saved;
        return fail(error, std::string("open ") + slaveName);
    }
    // Raw from the start: with the default line discipline the slave would echo the
    // device's own replies back to it before the host has configured the port.
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B115200);
        cfsetospeed(&tio, B115200);
        tcsetattr(slave, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    const std::string link = dir + "/" + name;
    ::unlink(link.c_str());  // a stale link left by a simulator that was killed
    if (::symlink(slaveName, link.c_str()) != 0) {
        const int saved = errno;
        ::close(slave);
        ::close(master);
        errno = saved;
        return fail(error, "symlink " + link);
    }
    master_ = master;
    heldSlave_ = slave;
    link_ = link;
    slave_ = slaveName;
    return true;
}

int PtyPort::unreadByHost() const {
    int n = 0;
    if (heldSlave_ < 0 || ::ioctl(heldSlave_, TIOCINQ, &n) != 0) return 0;
    return n;
}

void PtyPort::close() {
    if (!link_.empty()) ::unlink(link_.c_str());
    if (heldSlave_ >= 0) ::close(heldSlave_);
    if (master_ >= 0) ::close(master_);
    heldSlave_ = -1;
    master_ = -1;
    link_.clear();
    slave_.clear();
}

}  // namespace orvane::sim
