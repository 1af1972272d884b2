// The serial-port interface the device link is built on: a handful of byte-level operations
// with one implementation per platform (POSIX termios, Win32 COMM). Plain C++, no Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "PortHolder.h"

namespace orvane {

struct SerialOpenResult {
    bool ok = false;
    bool busy = false;    // another program (or this one) holds the port
    std::string reason;   // the system's words when !ok, e.g. "Permission denied"
    bool denied = false;  // the user may not open the port (its permissions)
    PortHolder holder;    // who holds a busy port, when the system tells
};

class SerialPort {
public:
    static constexpr size_t kReadChunk = 2048;  // largest single read
    static constexpr int kReadTimeoutMs = 10;   // a read returns within about this long

    virtual ~SerialPort() = default;

    // Opens the port exclusively and configures it: 115200 baud, 8N1, raw, binary, no flow
    // control, DTR asserted where the driver supports it. Fails when already open.
    virtual SerialOpenResult open(const std::string& portName) = 0;
    // Aborts pending reads, restores what open() changed, closes. Harmless when closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Reads up to `capacity` bytes (at most kReadChunk), returning within about
    // kReadTimeoutMs when nothing arrives. Returns the byte count; 0 for no data or an error.
    virtual size_t read(uint8_t* dest, size_t capacity) = 0;
    // One write of `n` bytes; returns the number of bytes the driver took.
    virtual size_t write(const uint8_t* data, size_t n) = 0;
    // Throws away whatever has been received and not yet read.
    virtual void discardInput() = 0;
    // True once the other side has gone away (hang-up, device unplugged): reads then
    // return 0 at once, so callers stop waiting instead of spinning.
    virtual bool hungUp() const = 0;

    // Blocks until the other side goes away (true), or until interruptHangUpWait() is
    // called or the port closes (false). For one watcher thread beside the exchanges: it
    // reads and sends nothing. A port that cannot tell returns false at once.
    virtual bool waitForHangUp() { return false; }
    // Ends a waitForHangUp() in progress, or the next one, with false.
    virtual void interruptHangUpWait() {}
};

// The platform's implementation (POSIX or Win32).
std::unique_ptr<SerialPort> makePlatformSerialPort();

// The path opened for a port name: an absolute path as it is, otherwise "/dev/NAME" on
// POSIX and "\\.\NAME" on Windows.
std::string serialDevicePath(const std::string& portName);

}  // namespace orvane
