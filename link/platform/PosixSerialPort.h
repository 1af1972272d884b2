// The serial port on POSIX systems: termios for the line settings, poll() for reads that
// return within about 10 ms, flock plus TIOCEXCL to keep other programs out.
#pragma once

#include "SerialPort.h"

#include <termios.h>

#include <atomic>

namespace orvane {

class PosixSerialPort : public SerialPort {
public:
    PosixSerialPort() = default;
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    SerialOpenResult open(const std::string& portName) override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    size_t read(uint8_t* dest, size_t capacity) override;
    size_t write(const uint8_t* data, size_t n) override;
    void discardInput() override;
    bool hungUp() const override { return hungUp_; }
    bool waitForHangUp() override;
    void interruptHangUpWait() override;

    // How long one write may wait for the driver to take all its bytes.
    static constexpr int kWriteTimeoutMs = 1000;

private:
    int fd_ = -1;
    std::atomic<bool> hungUp_{false};
    int wake_[2] = {-1, -1};  // a pipe that ends waitForHangUp()
    bool haveSaved_ = false;
    termios saved_{};
};

}  // namespace orvane
