// Finding the device for a command: the named port, or the candidate ports probed as Connect
// does (a device in its bootloader is passed over unless asked for), waiting for one to
// appear if asked; and saying, port by port, why none was taken. Everything here works on the
// link and console it is given, so that each device's job can have its own.
#pragma once

#include <QList>
#include <QString>

#include <atomic>
#include <cstdint>

#include "device/connection/CandidateProbe.h"

class cUSB_CDC_Protocol;

namespace orvane::cli {

class Console;

struct DeviceSearch {
    QString port;                 // a name, a path, or a virtual port's name; "" = candidates
    bool alsoCandidates = false;  // with `port`: the candidates too (a restarted device comes
                                  // back under another name)
    bool takeBootloader = false;  // take a device answering from its bootloader
    int64_t waitMs = 0;           // look again every 250 ms until this has passed
    QString foundPrefix;          // the log line's start when found ("Found the device ...")
};

struct DeviceFound {
    bool found = false;
    QString port;
    QString version;         // the version text of the identification query (may be empty)
    QList<PortCheck> tried;  // not found: each port of the last look and what it was
};

// Logs "Scanning for available COM ports" first, and on success `foundPrefix` with the port
// and "Firmware version is " with the version; the port is then left open. A set `stop`
// (the user's Ctrl-C) ends the wait.
DeviceFound findDevice(cUSB_CDC_Protocol& link, Console& console, const DeviceSearch& search,
                       const std::atomic<bool>* stop = nullptr);

// Why the port of `check` gave no device, in plain words; and as a word for JSON.
QString reasonText(const PortCheck& check);
QString reasonCode(PortVerdict verdict);

// Says "No device found" and one line per port tried with its reason (even when quiet), and
// puts them into the JSON document. Returns the exit status: ExitAccessDenied when access was
// the only reason, ExitNoDevice otherwise.
int reportNoDevice(Console& console, const QList<PortCheck>& tried);

// The path or name the link opens for `port`: a relative path becomes absolute, the bare
// name of a virtual port becomes its path; another bare name is left for the serial layer
// (which looks it up under /dev, or opens the COM port of that name on Windows).
QString resolvePortName(const QString& port);

// Leaves the device as Disconnect does (the leave command, then the port closed as soon as
// the device has answered it); harmless when closed.
void releaseDevice(cUSB_CDC_Protocol& link);

// Sends every frame of `link` and its diagnostic lines to `console` as trace lines.
void traceLink(cUSB_CDC_Protocol& link, Console& console);

}  // namespace orvane::cli
