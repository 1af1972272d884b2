// The serial port on Windows: the COMM API of kernel32 behind the SerialPort interface.
// Compiled only for Windows (native or with the mingw-w64 cross compiler); plain C++, no Qt.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <atomic>

#include "link/platform/SerialPort.h"

namespace orvane {

class Win32SerialPort : public SerialPort {
public:
    // Time-outs put on the port while it is open. A read returns after at most the total
    // constant with whatever has arrived, or sooner when the line has gone quiet for the
    // interval after some bytes came: a reply is handed over as soon as it is in, instead
    // of at the end of the 10 ms (under Wine a round trip drops from 11 ms to 1 ms).
    // A write gets a second to hand over its frame, as on POSIX: a device that stops taking
    // data must not block the caller (and the link's lock) for ever.
    static constexpr DWORD kReadTotalTimeoutConstantMs = 10;
    static constexpr DWORD kReadIntervalTimeoutMs = 1;
    static constexpr DWORD kWriteTotalTimeoutConstantMs = 1000;

    Win32SerialPort() = default;
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    SerialOpenResult open(const std::string& portName) override;
    void close() override;
    bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

    size_t read(uint8_t* dest, size_t capacity) override;
    size_t write(const uint8_t* data, size_t n) override;
    void discardInput() override;
    bool hungUp() const override { return hungUp_; }
    bool waitForHangUp() override;
    void interruptHangUpWait() override;

    // How often a hang-up watcher asks the driver whether the device is still there.
    static constexpr DWORD kHangUpCheckMs = 250;

    // For diagnostics and the Windows test program: the open handle (INVALID_HANDLE_VALUE
    // when closed) and the time-outs found at opening, which close() puts back.
    HANDLE nativeHandle() const { return handle_; }
    const COMMTIMEOUTS& savedTimeouts() const { return savedTimeouts_; }
    // True when the port took DTR_CONTROL_ENABLE; false when its driver refused the
    // modem-line request (the port is still usable: the other settings were checked).
    bool dtrApplied() const { return dtrApplied_; }

    // The text of a Win32 error code, without the trailing line break.
    static std::string errorText(DWORD code);

private:
    bool configure(std::string& reason);
    void noteFailure(DWORD code);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    COMMTIMEOUTS savedTimeouts_{};
    std::atomic<bool> hungUp_{false};
    HANDLE wake_ = nullptr;  // manual-reset event that ends waitForHangUp()
    bool dtrApplied_ = false;
};

}  // namespace orvane
