// The simulated device's end of the wire: a pseudo-terminal whose slave side appears as a
// symbolic link in the virtual ports directory, the way a USB device appears as a port.
#pragma once

#include <string>

namespace orvane::sim {

class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Creates the pseudo-terminal (raw mode) and the link `dir`/`name` to its slave side.
    // The simulator keeps a slave descriptor of its own, so the master stays usable (no
    // hang-up to spin on) however often the host opens and closes the port.
    bool open(const std::string& dir, const std::string& name, std::string* error);
    // Removes the link and closes both sides: a host holding the port sees a hang-up.
    void close();

    bool isOpen() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    const std::string& linkPath() const { return link_; }
    const std::string& slavePath() const { return slave_; }
    // Bytes written by the device that the host has not read yet.
    int unreadByHost() const;

private:
    int master_ = -1;
    int heldSlave_ = -1;
    std::string link_;
    std::string slave_;
};

}  // namespace orvane::sim
