#include "link/platform/Win32SerialPort.h"

#include <algorithm>
#include <cctype>

#include "link/platform/Deadline.h"

namespace orvane {

namespace {

bool isAbsoluteWindowsPath(const std::string& name) {
    if (name.size() >= 2 && (name[0] == '\\' || name[0] == '/') && (name[1] == '\\' || name[1] == '/'))
        return true;  // "\\.\COM5", "\\?\...", UNC
    return name.size() >= 3 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':' &&
           (name[2] == '\\' || name[2] == '/');
}

// The settings that matter for the wire; what SetCommState must have put in place even
// when the driver refused a modem-line part of the request.
bool lineSettingsHold(const DCB& dcb) {
    return dcb.BaudRate == CBR_115200 && dcb.ByteSize == 8 && dcb.Parity == NOPARITY &&
           dcb.StopBits == ONESTOPBIT && !dcb.fOutX && !dcb.fInX && !dcb.fOutxCtsFlow &&
           !dcb.fOutxDsrFlow;
}

}  // namespace

std::string serialDevicePath(const std::string& portName) {
    if (isAbsoluteWindowsPath(portName)) return portName;
    return "\\\\.\\" + portName;  // the device namespace, so that COM10 and above open too
}

std::unique_ptr<SerialPort> makePlatformSerialPort() {
    return std::make_unique<Win32SerialPort>();
}

Win32SerialPort::~Win32SerialPort() {
    close();
    if (wake_) CloseHandle(wake_);
}

std::string Win32SerialPort::errorText(DWORD code) {
    char buffer[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    // System messages end in ".\r\n"; the callers put the reason inside a sentence of their own.
    while (!text.empty() && (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == '.'))
        text.pop_back();
    if (text.empty()) text = "Windows error " + std::to_string(code);
    return text;
}

SerialOpenResult Win32SerialPort::open(const std::string& portName) {
    SerialOpenResult result;
    if (isOpen()) {
        result.busy = true;
        result.reason = "The port is already open";
        return result;
    }
    hungUp_ = false;
    dtrApplied_ = false;
    // Created once, before any watcher thread can wait on it.
    if (!wake_) wake_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    else ResetEvent(wake_);

    const std::string path = serialDevicePath(portName);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0 /* no sharing */,
                           nullptr, OPEN_EXISTING, 0 /* synchronous I/O */, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        result.busy = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
        result.reason = errorText(code);
        return result;
    }
    handle_ = h;

    if (!configure(result.reason)) {
        // configure() has put back whatever it had changed.
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return result;
    }
    result.ok = true;
    return result;
}

bool Win32SerialPort::configure(std::string& reason) {
    // A name that opens but is no serial port (a disk, a pipe) fails here rather than
    // later, in the middle of an exchange.
    if (!GetCommTimeouts(handle_, &savedTimeouts_)) {
        reason = "Not a serial port (" + errorText(GetLastError()) + ")";
        return false;
    }

    COMMTIMEOUTS applied{};
    applied.ReadIntervalTimeout = kReadIntervalTimeoutMs;
    applied.ReadTotalTimeoutMultiplier = 0;
    applied.ReadTotalTimeoutConstant = kReadTotalTimeoutConstantMs;
    applied.WriteTotalTimeoutMultiplier = 0;
    applied.WriteTotalTimeoutConstant = kWriteTotalTimeoutConstantMs;
    // Without the read time-out a read could block for ever: refuse the port instead.
    if (!SetCommTimeouts(handle_, &applied)) {
        reason = "Cannot set the port's time-outs (" + errorText(GetLastError()) + ")";
        return false;
    }

    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    if (!GetCommState(handle_, &dcb)) {
        reason = "Cannot read the port's settings (" + errorText(GetLastError()) + ")";
        SetCommTimeouts(handle_, &savedTimeouts_);
        return false;
    }
    dcb.fBinary = TRUE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.EofChar = static_cast<char>(0xC0);  // the frame end byte
    // Flags left behind by an earlier program that would drop or alter bytes of a binary
    // stream: null stripping, error-char replacement, DSR gating, abort on line errors.
    dcb.fNull = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fAbortOnError = FALSE;
    BuildCommDCBA("115200,N,8,1", &dcb);  // also no XON/XOFF and no hardware flow control

    if (SetCommState(handle_, &dcb)) {
        dtrApplied_ = true;
        return true;
    }
    // Some drivers (and emulators) refuse the DTR request although the line settings went
    // through; the port works without DTR, so accept it when the line reads back right.
    const DWORD setError = GetLastError();
    DCB now{};
    now.DCBlength = sizeof(DCB);
    if (GetCommState(handle_, &now) && lineSettingsHold(now)) return true;
    reason = "Cannot configure the port (" + errorText(setError) + ")";
    SetCommTimeouts(handle_, &savedTimeouts_);
    return false;
}

void Win32SerialPort::close() {
    if (!isOpen()) return;
    PurgeComm(handle_, PURGE_RXABORT);
    SetCommTimeouts(handle_, &savedTimeouts_);
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

bool Win32SerialPort::waitForHangUp() {
    if (!isOpen() || !wake_) return false;
    if (hungUp_) return true;
    // Windows has no hang-up event for a COM port: the driver is asked a few times a second
    // for the modem lines, which fails once the USB device is gone. Nothing goes on the wire.
    while (WaitForSingleObject(wake_, kHangUpCheckMs) == WAIT_TIMEOUT) {
        DWORD lines = 0;
        if (!GetCommModemStatus(handle_, &lines)) {
            const DWORD code = GetLastError();
            if (code != ERROR_INVALID_FUNCTION && code != ERROR_NOT_SUPPORTED) {
                hungUp_ = true;
                return true;
            }
        }
    }
    ResetEvent(wake_);
    return false;
}

void Win32SerialPort::interruptHangUpWait() {
    if (wake_) SetEvent(wake_);
}

void Win32SerialPort::noteFailure(DWORD code) {
    // An aborted read (PurgeComm, or a line error) leaves the port usable; any other
    // failure of a synchronous read or write means the device has gone (unplugged USB).
    if (code == ERROR_OPERATION_ABORTED) {
        DWORD errors = 0;
        ClearCommError(handle_, &errors, nullptr);
        return;
    }
    hungUp_ = true;
}

size_t Win32SerialPort::read(uint8_t* dest, size_t capacity) {
    if (!isOpen() || hungUp_) {
        // Keep the "returns within about the read time-out" promise without letting a
        // caller's read loop spin a core on a dead port.
        sleepMs(kReadTimeoutMs);
        return 0;
    }
    const DWORD want = static_cast<DWORD>(std::min(capacity, kReadChunk));
    DWORD got = 0;
    if (!ReadFile(handle_, dest, want, &got, nullptr)) {
        noteFailure(GetLastError());
        sleepMs(kReadTimeoutMs);
        return 0;
    }
    return got;
}

size_t Win32SerialPort::write(const uint8_t* data, size_t n) {
    if (!isOpen() || hungUp_ || n == 0) return 0;
    DWORD written = 0;
    if (!WriteFile(handle_, data, static_cast<DWORD>(n), &written, nullptr))
        noteFailure(GetLastError());
    return written;
}

void Win32SerialPort::discardInput() {
    if (isOpen()) PurgeComm(handle_, PURGE_RXCLEAR);
}

}  // namespace orvane
