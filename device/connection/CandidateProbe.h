// Finding the device among candidate ports: the probes of Connect and of the search passes,
// with the bootloader rule. Widget-free, so the windows and the command-line tool share it.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class cUSB_CDC_Protocol;

namespace orvane {

// Called when a port exists but cannot be opened for a reason other than being busy:
// the port's name and the system's reason.
using OpenFailureHandler = std::function<void(const QString& port, const QString& reason)>;

// A version text marks the bootloader when it contains "Bootloader" (case-sensitive).
bool isBootloaderVersion(const QString& version);

// What one port turned out to be when probed as Connect does.
enum class PortVerdict {
    Device,      // answered: the port is left open
    Bootloader,  // answered from the device's bootloader, which was not to be taken: closed
    Denied,      // the user may not open it
    Busy,        // another program holds it
    CannotOpen,  // it does not open for another reason
    NoAnswer,    // opened, but no answer to SendHello: not the device, or not responding
};

struct PortCheck {
    QString port;
    PortVerdict verdict = PortVerdict::NoAnswer;
    QString version;       // the version text when it answered
    QString systemReason;  // why it did not open, in the system's words
    qint64 holderPid = 0;  // who holds a busy port (0 = the system did not tell)
    QString holderName;
};

// Opens `port` and sends SendHello. A device answering from its bootloader is taken only
// when `takeBootloader` holds; nothing is sent to one that is passed over.
PortCheck checkPort(cUSB_CDC_Protocol& link, const QString& port, bool takeBootloader);

// What to do about a port the user may not open; the admin window and admin-cli say it.
QString permissionHint();

struct ProbeResult {
    bool found = false;
    QString port;     // the port taken (left open)
    QString version;  // its version text (may be empty)
};

// Connect's probe: opens each port in order and sends SendHello; a port that does not open
// or answer is closed and passed over, and so is a bootloader when `skipBootloader` holds
// (nothing is sent to it). The first other answering port is taken and left open.
ProbeResult tryCandidates(cUSB_CDC_Protocol& link, const QStringList& ports, bool skipBootloader,
                          const OpenFailureHandler& onOpenFailure = {});

enum class NewPortOutcome {
    Found,       // the device answered: the port is left open
    NoDevice,    // did not open, or did not answer SendGetFWVersion: closed
    Bootloader,  // a bootloader while skipping it: sent SendExit, waited 100 ms, closed
};

// The search's probe of one port that appeared: open, SendGetFWVersion, bootloader rule.
NewPortOutcome probeNewPort(cUSB_CDC_Protocol& link, const QString& port, bool skipBootloader,
                            QString& version, const OpenFailureHandler& onOpenFailure = {});

// Sends the leave command (its failure is ignored), waits `waitMs` and closes the port.
void leaveDevice(cUSB_CDC_Protocol& link, int waitMs);

}  // namespace orvane
