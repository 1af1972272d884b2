// Tests the Win32 serial layer on a COM port mapped to device-sim (under Wine, or on Windows
// with the simulator's port bridged to COM ports). Usage:
//   win32-serial-test [--port COM5] [--high-port COM12] [--split-port NAME] [--gone-port NAME]
//                     [--allow-writes]
// --allow-writes lets it write the device's identifier and a parameter (putting the old
// values back): meant for device-sim, never for a device in service.
// --split-port names a device that writes each reply in two parts (device-sim
// --split-replies), --gone-port one that goes away after a few frames (device-sim
// --unplug-after); without them those checks are skipped.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "link/codec/FrameCodec.h"
#include "link/platform/Deadline.h"
#include "link/platform/Win32SerialPort.h"
#include "tests/wine/Checks.h"

using orvane::Deadline;
using orvane::Win32SerialPort;
using orvane::wintest::Checks;
namespace frame = orvane::frame;

namespace {

constexpr uint8_t kHello = 1;
constexpr uint8_t kSetId = 6;
constexpr uint8_t kGetId = 11;
constexpr uint8_t kGetParam = 14;
constexpr uint8_t kSetParam = 15;
constexpr uint8_t kGetFlash = 21;
constexpr uint16_t kProxyUrlParam = 12;  // a free-form value: any bytes go in and come back

std::string hexOf(const std::vector<uint8_t>& bytes, size_t max = 16) {
    std::string s;
    char b[4];
    for (size_t i = 0; i < bytes.size() && i < max; ++i) {
        std::snprintf(b, sizeof b, "%02X ", bytes[i]);
        s += b;
    }
    if (bytes.size() > max) s += "...";
    return s;
}

std::string timeoutsText(const COMMTIMEOUTS& t) {
    char b[160];
    std::snprintf(b, sizeof b, "interval %lu, read %lu*n+%lu, write %lu*n+%lu",
                  static_cast<unsigned long>(t.ReadIntervalTimeout),
                  static_cast<unsigned long>(t.ReadTotalTimeoutMultiplier),
                  static_cast<unsigned long>(t.ReadTotalTimeoutConstant),
                  static_cast<unsigned long>(t.WriteTotalTimeoutMultiplier),
                  static_cast<unsigned long>(t.WriteTotalTimeoutConstant));
    return b;
}

bool sameTimeouts(const COMMTIMEOUTS& a, const COMMTIMEOUTS& b) {
    return a.ReadIntervalTimeout == b.ReadIntervalTimeout &&
           a.ReadTotalTimeoutMultiplier == b.ReadTotalTimeoutMultiplier &&
           a.ReadTotalTimeoutConstant == b.ReadTotalTimeoutConstant &&
           a.WriteTotalTimeoutMultiplier == b.WriteTotalTimeoutMultiplier &&
           a.WriteTotalTimeoutConstant == b.WriteTotalTimeoutConstant;
}

// One request/reply exchange with the shared frame codec: the reply payload (after the
// three header bytes) of the first frame carrying `command`, or false on time-out.
bool exchange(Win32SerialPort& port, uint8_t command, const std::vector<uint8_t>& payload,
              std::vector<uint8_t>& replyPayload, int timeoutMs = 1000) {
    replyPayload.clear();
    port.discardInput();
    const std::vector<uint8_t> wire = frame::encodePacket(command, payload.data(), payload.size());
    if (port.write(wire.data(), wire.size()) != wire.size()) return false;

    frame::FrameSplitter splitter;
    std::vector<uint8_t> raw, decoded;
    uint8_t buffer[Win32SerialPort::kReadChunk];
    Deadline deadline(timeoutMs);
    while (!deadline.expired() && !port.hungUp()) {
        const size_t n = port.read(buffer, sizeof buffer);
        if (n == 0) continue;  // the read itself waited up to its time-out
        splitter.append(buffer, n);
        while (splitter.next(raw)) {
            if (raw.empty()) continue;
            if (frame::unstuff(raw.data(), raw.size(), decoded) != frame::DecodeResult::Ok) continue;
            if (decoded.size() < frame::kHeaderSize || decoded[2] != command) continue;
            replyPayload.assign(decoded.begin() + frame::kHeaderSize, decoded.end());
            return true;
        }
    }
    return false;
}

bool hello(Win32SerialPort& port, std::string& version) {
    std::vector<uint8_t> reply;
    if (!exchange(port, kHello, {}, reply)) return false;
    const auto zero = std::find(reply.begin(), reply.end(), uint8_t(0));
    version.assign(reply.begin(), zero);
    return !version.empty();
}

void testPaths(Checks& c) {
    c.group("device paths");
    c.check(orvane::serialDevicePath("COM5") == "\\\\.\\COM5", "COM5 opens as \\\\.\\COM5");
    c.check(orvane::serialDevicePath("COM12") == "\\\\.\\COM12", "COM12 opens as \\\\.\\COM12");
    c.check(orvane::serialDevicePath("\\\\.\\COM12") == "\\\\.\\COM12",
            "a device-namespace path is kept as it is");
    c.check(orvane::serialDevicePath("C:\\ports\\x") == "C:\\ports\\x",
            "a drive path is kept as it is");
}

void testOpenFailures(Checks& c) {
    c.group("open failures");
    Win32SerialPort port;
    const auto missing = port.open("COM99");
    c.check(!missing.ok && !port.isOpen(), "a port that does not exist is refused");
    c.check(!missing.busy, "a missing port is not reported busy");
    c.check(!missing.reason.empty() && missing.reason.back() != '\n' && missing.reason.back() != '.',
            "the reason is the system's words without the line break", "\"" + missing.reason + "\"");
    c.note("reason for COM99: " + missing.reason);

    // A plain file opens with CreateFileA but is no serial port: it must be refused, and the
    // handle let go (the file can then be deleted).
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "orvane-not-a-port.bin";
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        c.skip("a plain file is refused", "cannot create " + path);
        return;
    }
    CloseHandle(f);
    const auto file = port.open(path);
    c.check(!file.ok && !port.isOpen(), "a plain file is refused as a port", file.reason);
    c.check(DeleteFileA(path.c_str()) != 0, "the refused file's handle was closed");
}

// Leaves the port in settings the layer must undo: 9600 baud, 7E2, XON/XOFF and CTS flow
// control, no binary mode. (A pseudo-terminal keeps its settings between openings.)
void scrambleSettings(Checks& c, const std::string& name) {
    HANDLE h = CreateFileA(orvane::serialDevicePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;  // the open check that follows will say why
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(h, &dcb);
    BuildCommDCBA("9600,E,7,2", &dcb);
    dcb.fOutX = dcb.fInX = TRUE;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fBinary = FALSE;
    SetCommState(h, &dcb);
    DCB now{};
    now.DCBlength = sizeof now;
    GetCommState(h, &now);
    CloseHandle(h);
    if (now.BaudRate != 9600)
        c.note("the port did not take the scrambled settings; the checks below prove less");
}

void testSettings(Checks& c, Win32SerialPort& port) {
    c.group("settings read back");
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!c.check(GetCommState(port.nativeHandle(), &dcb) != 0, "GetCommState on the open port"))
        return;
    c.check(dcb.BaudRate == 115200, "115200 baud", std::to_string(dcb.BaudRate));
    c.check(dcb.ByteSize == 8 && dcb.Parity == NOPARITY && dcb.StopBits == ONESTOPBIT, "8N1",
            std::to_string(dcb.ByteSize) + " bits, parity " + std::to_string(dcb.Parity) +
                ", stop " + std::to_string(dcb.StopBits));
    c.check(dcb.fBinary != 0, "binary mode");
    c.check(!dcb.fOutX && !dcb.fInX, "no XON/XOFF");
    c.check(!dcb.fOutxCtsFlow && !dcb.fOutxDsrFlow, "no hardware flow control");
    c.check(!dcb.fNull, "null bytes are kept");
    if (static_cast<uint8_t>(dcb.EofChar) == 0xC0)
        c.check(true, "EofChar is the frame end byte");
    else
        c.skip("EofChar is the frame end byte",
               "the driver reads back " + std::to_string(static_cast<uint8_t>(dcb.EofChar)) +
                   " (Wine keeps no EofChar on a terminal)");
    if (port.dtrApplied())
        c.check(dcb.fDtrControl == DTR_CONTROL_ENABLE, "DTR enabled",
                std::to_string(dcb.fDtrControl));
    else
        c.skip("DTR enabled",
               "the driver refused the DTR request (Wine on a pseudo-terminal: error 50); "
               "the port was accepted because the line settings read back right");

    COMMTIMEOUTS t{};
    if (c.check(GetCommTimeouts(port.nativeHandle(), &t) != 0, "GetCommTimeouts on the open port"))
        c.check(t.ReadIntervalTimeout == 1 && t.ReadTotalTimeoutMultiplier == 0 &&
                    t.ReadTotalTimeoutConstant == 10 && t.WriteTotalTimeoutMultiplier == 0 &&
                    t.WriteTotalTimeoutConstant == 1000,
                "time-outs: reads return within 10 ms (1 ms after the line goes quiet), "
                "writes within a second",
                timeoutsText(t));
}

void testExclusivity(Checks& c, Win32SerialPort& port, const std::string& name) {
    c.group("exclusive use");
    const auto again = port.open(name);
    c.check(!again.ok && again.busy, "opening an open port again is refused as busy");
    std::string version;
    c.check(port.isOpen() && hello(port, version), "the first opening still works");

    Win32SerialPort other;
    const auto second = other.open(name);
    if (second.ok) {
        c.skip("a second program is kept out",
               "the second open succeeded: Wine does not emulate exclusive COM access");
        // Put the time-outs back as found by the second opening, then let it go.
        other.close();
    } else {
        c.check(second.busy, "a second opening is reported busy", second.reason);
    }
}

void testExchanges(Checks& c, Win32SerialPort& port, bool allowWrites) {
    c.group("exchanges with the device");
    std::string version;
    c.check(hello(port, version), "hello answers a version text", version);
    c.note("device version: " + version);

    std::vector<uint8_t> reply;
    c.check(exchange(port, kGetId, {}, reply) && reply.size() >= 8, "identifier query",
            hexOf(reply));

    // Repeated flash reads: 256 bytes of whatever the flash holds (stuffed bytes included)
    // must come back the same each time.
    int good = 0, stuffed = 0;
    std::vector<uint8_t> first;
    const int rounds = 40;
    std::vector<int64_t> roundTrips;
    for (int i = 0; i < rounds; ++i) {
        std::vector<uint8_t> req;
        frame::putLe32(req, uint32_t((i % 4) * 256));
        frame::putLe16(req, 256);
        const int64_t t0 = orvane::monotonicMs();
        if (!exchange(port, kGetFlash, req, reply)) break;
        roundTrips.push_back(orvane::monotonicMs() - t0);
        if (reply.size() != 2 + 256 || frame::getLe16(reply.data()) != 256) break;
        std::vector<uint8_t> data(reply.begin() + 2, reply.end());
        if (i < 4) {
            first.insert(first.end(), data.begin(), data.end());
            stuffed += int(std::count(data.begin(), data.end(), frame::END) +
                           std::count(data.begin(), data.end(), frame::ESC));
        } else if (!std::equal(data.begin(), data.end(), first.begin() + (i % 4) * 256)) {
            break;
        }
        ++good;
    }
    c.check(good == rounds, "flash reads of 256 bytes, repeated, read back the same",
            std::to_string(good) + " of " + std::to_string(rounds));
    if (!roundTrips.empty()) {
        int64_t total = 0;
        for (int64_t t : roundTrips) total += t;
        std::sort(roundTrips.begin(), roundTrips.end());
        c.note(std::to_string(roundTrips.size()) + " flash reads in " + std::to_string(total) +
               " ms; round trip: median " + std::to_string(roundTrips[roundTrips.size() / 2]) +
               " ms, max " + std::to_string(roundTrips.back()) + " ms; " +
               std::to_string(stuffed) + " stuffed bytes in the first 1 KiB");
    }

    if (!allowWrites) {
        c.skip("byte values through the identifier and a parameter",
               "these write the device (and put the old values back): only with --allow-writes");
        return;
    }
    // Every byte value both ways: XON/XOFF, null stripping, an end-of-file character or a
    // text mode anywhere on the way would alter some. A text parameter ends at a zero byte,
    // so the zero goes through the identifier instead.
    std::vector<uint8_t> oldId;
    if (c.check(exchange(port, kGetId, {}, oldId) && oldId.size() >= 8, "identifier read")) {
        const std::vector<uint8_t> id = {0x00, 0x11, 0x13, 0xC0, 0xDB, 0x1A, 0x0D, 0x0A};
        std::vector<uint8_t> idBack;
        c.check(exchange(port, kSetId, id, reply) && exchange(port, kGetId, {}, idBack) &&
                    std::equal(id.begin(), id.end(), idBack.begin()) && idBack.size() >= 8,
                "an identifier of NUL, XON, XOFF, END, ESC, EOF, CR, LF reads back unchanged",
                hexOf(idBack));
        oldId.resize(8);
        exchange(port, kSetId, oldId, reply);
    }
    std::vector<uint8_t> original;
    std::vector<uint8_t> idOnly;
    frame::putLe16(idOnly, kProxyUrlParam);
    if (!c.check(exchange(port, kGetParam, idOnly, original), "parameter read")) return;
    std::vector<uint8_t> value;
    for (int i = 0; i < 510; ++i) value.push_back(uint8_t(1 + i % 255));
    std::vector<uint8_t> set = idOnly;
    set.insert(set.end(), value.begin(), value.end());
    c.check(exchange(port, kSetParam, set, reply), "a 510-byte parameter of every non-zero byte value is sent");
    std::vector<uint8_t> back;
    c.check(exchange(port, kGetParam, idOnly, back) && back == value,
            "the parameter reads back unchanged", hexOf(back));
    std::vector<uint8_t> restore = idOnly;
    restore.insert(restore.end(), original.begin(), original.end());
    exchange(port, kSetParam, restore, reply);
}

void testDiscardInput(Checks& c, Win32SerialPort& port) {
    c.group("discarding received bytes");
    const std::vector<uint8_t> wire = frame::encodePacket(kHello, nullptr, 0);
    port.write(wire.data(), wire.size());
    // Wait (sleeping) for the reply to sit in the driver's queue, then for the rest of it.
    COMSTAT stat{};
    DWORD errors = 0;
    Deadline deadline(3000);
    while (!deadline.expired()) {
        if (ClearCommError(port.nativeHandle(), &errors, &stat) && stat.cbInQue > 0) break;
        orvane::sleepMs(10);
    }
    if (!c.check(stat.cbInQue > 0, "the reply is waiting in the driver")) return;
    orvane::sleepMs(100);
    port.discardInput();
    ClearCommError(port.nativeHandle(), &errors, &stat);
    uint8_t buffer[Win32SerialPort::kReadChunk];
    size_t got = 0;
    for (int i = 0; i < 5; ++i) got += port.read(buffer, sizeof buffer);
    c.check(stat.cbInQue == 0 && got == 0, "after discardInput nothing is left to read",
            std::to_string(stat.cbInQue) + " queued, " + std::to_string(got) + " read");
    std::string version;
    c.check(hello(port, version), "the next exchange works");
}

void testQuietReads(Checks& c, Win32SerialPort& port) {
    c.group("reads on a quiet line");
    uint8_t buffer[Win32SerialPort::kReadChunk];
    std::vector<int64_t> spent;
    size_t got = 0;
    for (int i = 0; i < 20; ++i) {
        const int64_t t0 = orvane::monotonicMs();
        got += port.read(buffer, sizeof buffer);
        spent.push_back(orvane::monotonicMs() - t0);
    }
    c.check(got == 0, "reads with nothing to read return no bytes");
    std::sort(spent.begin(), spent.end());
    c.note("empty read: median " + std::to_string(spent[spent.size() / 2]) + " ms, max " +
           std::to_string(spent.back()) + " ms");
}

void testCloseRestoresTimeouts(Checks& c, Win32SerialPort& port) {
    c.group("closing");
    // A second handle on the same open port outlives the layer's own, so the time-outs
    // that close() leaves behind can be read after it.
    HANDLE dup = INVALID_HANDLE_VALUE;
    if (!DuplicateHandle(GetCurrentProcess(), port.nativeHandle(), GetCurrentProcess(), &dup, 0,
                         FALSE, DUPLICATE_SAME_ACCESS)) {
        c.skip("closing restores the time-outs", "cannot duplicate the port handle");
        port.close();
        return;
    }
    const COMMTIMEOUTS found = port.savedTimeouts();
    c.note("time-outs found at opening: " + timeoutsText(found));
    COMMTIMEOUTS applied{};
    GetCommTimeouts(dup, &applied);
    if (sameTimeouts(found, applied))
        c.note("the port had our own time-outs already: the restore check proves little");
    port.close();
    c.check(!port.isOpen(), "the port reports closed");
    COMMTIMEOUTS after{};
    if (c.check(GetCommTimeouts(dup, &after) != 0, "the port's time-outs can be read after closing",
                "error " + std::to_string(GetLastError())))
        c.check(sameTimeouts(after, found), "closing restores the time-outs found at opening",
                timeoutsText(after));
    CloseHandle(dup);
    port.close();
    c.check(!port.isOpen(), "closing twice is harmless");
}

void testHighPort(Checks& c, const std::string& name) {
    c.group("ports above COM9");
    for (const std::string& spelling : {name, std::string("\\\\.\\") + name}) {
        Win32SerialPort port;
        const auto r = port.open(spelling);
        std::string version;
        c.check(r.ok && hello(port, version), "open " + spelling + " and exchange", r.reason);
    }
}

void testSplitReplies(Checks& c, const std::string& name) {
    c.group("replies arriving in two pieces");
    Win32SerialPort port;
    const auto r = port.open(name);
    if (!c.check(r.ok, "open " + name, r.reason)) return;
    // A read returns once the line has been quiet for its interval, so a reply written in
    // two parts comes in two reads; the pieces must still make whole frames.
    int good = 0;
    std::vector<uint8_t> reply;
    for (int i = 0; i < 10; ++i) {
        std::vector<uint8_t> req;
        frame::putLe32(req, uint32_t(i * 256));
        frame::putLe16(req, 256);
        if (exchange(port, kGetFlash, req, reply) && reply.size() == 2 + 256) ++good;
    }
    c.check(good == 10, "split flash replies are all received whole", std::to_string(good) + " of 10");
}

void testDeviceGone(Checks& c, const std::string& name) {
    c.group("device going away");
    Win32SerialPort port;
    const auto r = port.open(name);
    if (!c.check(r.ok, "open " + name, r.reason)) return;
    std::string version;
    // A hang-up watcher told to stop before the device goes ends its wait with "not gone".
    port.interruptHangUpWait();
    c.check(!port.waitForHangUp(), "an interrupted hang-up wait ends without a hang-up");
    int answered = 0;
    while (answered < 50 && hello(port, version)) ++answered;
    c.note(std::to_string(answered) + " exchanges answered before the device went");
    c.check(answered > 0 && answered < 50, "the device answers, then stops");

    // Under Wine, reads on the vanished terminal keep returning nothing without an error;
    // the next write fails, and that marks the port gone.
    const bool again = hello(port, version);
    if (port.hungUp()) {
        c.check(!again, "a request to the vanished device fails and marks the port gone");
        uint8_t buffer[Win32SerialPort::kReadChunk];
        c.check(port.read(buffer, sizeof buffer) == 0, "reads on a gone port return nothing");
        c.check(port.waitForHangUp(), "a hang-up wait on a gone port says so at once");
    } else {
        // Tell the layer's fault from the platform's silence: does a plain write fail here?
        const std::vector<uint8_t> wire = frame::encodePacket(kHello, nullptr, 0);
        DWORD written = 0;
        if (!WriteFile(port.nativeHandle(), wire.data(), DWORD(wire.size()), &written, nullptr))
            c.check(false, "a request to the vanished device marks the port gone",
                    "WriteFile failed with error " + std::to_string(GetLastError()) +
                        " but the port was not marked gone");
        else
            c.skip("a request to the vanished device marks the port gone",
                   "neither reads nor writes fail on the vanished port here");
    }
    port.close();
    c.check(!port.isOpen(), "a port whose device went closes");
}

}  // namespace

int main(int argc, char** argv) {
    std::string portName = "COM5", highPort = "COM12", splitPort, gonePort;
    bool allowWrites = false;
    for (int i = 1; i < argc; ++i) {
        const std::string key = argv[i];
        if (key == "--allow-writes") {
            allowWrites = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "%s needs a value\n", key.c_str());
            return 2;
        }
        ++i;
        if (key == "--port") portName = argv[i];
        else if (key == "--high-port") highPort = argv[i];
        else if (key == "--split-port") splitPort = argv[i];
        else if (key == "--gone-port") gonePort = argv[i];
        else {
            std::fprintf(stderr, "unknown option %s\n", key.c_str());
            return 2;
        }
    }

    Checks c;
    testPaths(c);
    testOpenFailures(c);

    scrambleSettings(c, portName);
    Win32SerialPort port;
    const auto opened = port.open(portName);
    if (c.check(opened.ok, "open " + portName, opened.reason)) {
        testSettings(c, port);
        testExchanges(c, port, allowWrites);
        testExclusivity(c, port, portName);
        testDiscardInput(c, port);
        testQuietReads(c, port);
        testCloseRestoresTimeouts(c, port);
    }
    testHighPort(c, highPort);
    if (splitPort.empty())
        c.skip("replies arriving in two pieces", "no --split-port given");
    else
        testSplitReplies(c, splitPort);
    if (gonePort.empty())
        c.skip("device going away", "no --gone-port given");
    else
        testDeviceGone(c, gonePort);
    return c.summary();
}
