#include "SimArgs.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <climits>

namespace orvane::sim {

namespace {

constexpr int kMaxDevices = 64;

bool toInt(const std::string& text, int& out, bool allowNegative) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (errno || *end || v > INT_MAX || v < INT_MIN || (!allowNegative && v < 0)) return false;
    out = int(v);
    return true;
}

// "CMD:N", the command code and the request number.
bool toCommandAndNth(const std::string& text, std::map<int, int>& into) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) return false;
    int command = 0, n = 0;
    if (!toInt(text.substr(0, colon), command, false) || command > 255) return false;
    if (!toInt(text.substr(colon + 1), n, false) || n < 1) return false;
    into[command] = n;
    return true;
}

}  // namespace

ArgsOutcome parseSimArgs(const std::vector<std::string>& args, SimOptions& o, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto number = [&](int& out, bool allowNegative) {
            std::string v;
            if (!value(v)) return false;
            if (!toInt(v, out, allowNegative)) {
                error = a + ": \"" + v + "\" is not a valid number";
                return false;
            }
            return true;
        };
        auto nth = [&](std::map<int, int>& into) {
            std::string v;
            if (!value(v)) return false;
            if (!toCommandAndNth(v, into)) {
                error = a + ": expected COMMAND:N (for example 19:2), got \"" + v + "\"";
                return false;
            }
            return true;
        };
        bool ok = true;
        if (a == "--help" || a == "-h") return ArgsOutcome::Help;
        else if (a == "--version") return ArgsOutcome::Version;
        else if (a == "--ports-dir") ok = value(o.portsDir);
        else if (a == "--name") ok = value(o.name);
        else if (a == "--state") ok = value(o.stateDir);
        else if (a == "--count") {
            ok = number(o.count, false);
            if (ok && (o.count < 1 || o.count > kMaxDevices)) {
                error = "--count takes 1 to " + std::to_string(kMaxDevices) + " devices";
                ok = false;
            }
        }
        else if (a == "--restart-delay") ok = number(o.restartDelayMs, false);
        else if (a == "--bootloader") ok = number(o.bootloaderMs, false);
        else if (a == "--verbose" || a == "-v") o.verbose = true;
        else if (a == "--latency") ok = number(o.replyLatencyMs, false);
        else if (a == "--no-reply") ok = nth(o.noReplyOnNth);
        else if (a == "--nok") ok = nth(o.nokOnNth);
        else if (a == "--split-replies") o.splitReplies = true;
        else if (a == "--split-gap") ok = number(o.splitGapMs, false);
        else if (a == "--leading-end") o.leadingEnd = true;
        else if (a == "--late-reply") ok = nth(o.lateReplyOnNth);
        else if (a == "--late-ms") ok = number(o.lateReplyMs, false);
        else if (a == "--short-read") ok = number(o.shortReadFileBy, false);
        else if (a == "--flash-count-skew") ok = number(o.flashCountSkew, true);
        else if (a == "--flash-zero-count") o.flashZeroCount = true;
        else if (a == "--keep-identifier") o.keepIdentifier = true;
        else if (a == "--corrupt-uploads") o.corruptUploads = true;
        else if (a == "--keep-params") o.keepParams = true;
        else if (a == "--unplug-after") ok = number(o.unplugAfterFrames, false);
        else if (a == "--unplug-on") ok = nth(o.unplugOnNth);
        else {
            error = "unknown option \"" + a + "\" (see --help)";
            return ArgsOutcome::Error;
        }
        if (!ok) return ArgsOutcome::Error;
    }
    if (o.name.empty() || o.name.find('/') != std::string::npos) {
        error = "--name must be a plain name without \"/\"";
        return ArgsOutcome::Error;
    }
    return ArgsOutcome::Run;
}

std::vector<SimOptions> eachDevice(const SimOptions& options) {
    if (options.count <= 1) return {options};
    size_t stemEnd = options.name.size();
    while (stemEnd > 0 && std::isdigit(static_cast<unsigned char>(options.name[stemEnd - 1]))) --stemEnd;
    const std::string stem = options.name.substr(0, stemEnd);
    const std::string digits = options.name.substr(stemEnd);
    const long first = digits.empty() || digits.size() > 9 ? 0 : std::strtol(digits.c_str(), nullptr, 10);
    std::vector<SimOptions> devices;
    for (int k = 0; k < options.count; ++k) {
        SimOptions device = options;
        device.count = 1;
        device.deviceNumber = k;
        device.name = stem + std::to_string(first + k);
        if (!options.stateDir.empty()) device.stateDir = options.stateDir + "/" + device.name;
        devices.push_back(std::move(device));
    }
    return devices;
}

std::string simUsage() {
    return R"(Usage: device-sim [options]
Simulates an Orvane device on a pseudo-terminal. The port appears as a symbolic link
in the virtual ports directory and is removed on exit.

  --ports-dir DIR        virtual ports directory (default: $ORVANE_VIRTUAL_PORTS)
  --name NAME            port link name (default: sim0; restarts use NAME-1, NAME-2, ...)
  --state DIR            keep the device state in DIR between runs (default: in memory)
  --count N              publish N devices (up to 64) from this process: ports sim0 to
                         sim{N-1} (NAME with its number counted up), identifiers and MAC
                         addresses counted up from the first device's, and with --state
                         each device's state in DIR/PORTNAME; the faults apply to each
  --restart-delay MS     absence after SendStartUpdate or leaving the bootloader (default 1500)
  --bootloader MS        answer version queries as the bootloader for MS after each start,
                         until SendExit
  --verbose, -v          print every frame received and sent, in hexadecimal, to stderr
  --help, -h             show this text
  --version              show the program's name and version

Faults (COMMAND is a command code, N counts its requests from 1; each fires once):
  --latency MS           delay every reply
  --no-reply COMMAND:N   no reply to the Nth request of COMMAND
  --nok COMMAND:N        refuse the Nth request of COMMAND (status NOK)
  --late-reply COMMAND:N send the Nth reply of COMMAND late ...
  --late-ms MS           ... by this much (default 300)
  --split-replies        send each reply in two writes ...
  --split-gap MS         ... this far apart (default 20)
  --leading-end          send an END byte before each reply
  --short-read N         SendReadFile replies carry N bytes fewer than asked
  --flash-count-skew N   SendGetFlash replies report N more bytes (N < 0: fewer)
  --flash-zero-count     SendGetFlash replies report 0 bytes
  --keep-identifier      SendSetID echoes the new identifier but the device keeps the old one
  --corrupt-uploads      each uploaded file is stored with one byte changed (its middle one)
  --keep-params          SendSetParam answers OK but the device keeps its old values
  --unplug-after N       the port vanishes after the reply to the Nth frame
  --unplug-on COMMAND:N  the port vanishes after the reply to the Nth request of COMMAND
)";
}

}  // namespace orvane::sim
