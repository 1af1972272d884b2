// Finding the device for a command: the named port, or the candidate ports probed as Connect
// does (a device in its bootloader is passed over), waiting for one to appear if asked.
#pragma once

#include <QString>

#include <atomic>
#include <cstdint>

class cUSB_CDC_Protocol;

namespace orvane::cli {

class Console;

struct DeviceFound {
    bool found = false;
    QString port;
    QString version;  // the version text of the identification query (may be empty)
};

// Looks for the device once, then every 250 ms until `waitMs` has passed. `port` empty =
// the candidate ports; otherwise that port (a name, a path, or the name of a virtual port),
// plus the candidates when `alsoCandidates` holds (a restarted device comes back under
// another name). Logs "Scanning for available COM ports" first, and on success
// `foundPrefix` with the port and "Firmware version is " with the version; the port is then
// left open. Ports that exist but cannot be opened (or that another program holds) are
// logged once each. A set `stop` (the user's Ctrl-C) ends the wait.
DeviceFound findDevice(cUSB_CDC_Protocol& link, Console& console, const QString& port,
                       bool alsoCandidates, int64_t waitMs, const QString& foundPrefix,
                       const std::atomic<bool>* stop = nullptr);

// The path or name the link opens for `port`: a bare name of a virtual port becomes its path.
QString resolvePortName(const QString& port);

// Leaves the device as Disconnect does (leave command, 5 ms, close); harmless when closed.
void releaseDevice(cUSB_CDC_Protocol& link);

}  // namespace orvane::cli
