// What every command gets and how it reports: its arguments, the console, the device (found
// on first use), and the helpers that turn a failure into a message and an exit status.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>

#include "cli/ExitStatus.h"
#include "cli/Invocation.h"
#include "device/connection/CandidateProbe.h"

class cUSB_CDC_Protocol;

namespace orvane::cli {

class Console;

class CommandCall {
public:
    CommandCall(const Invocation& invocation, Console& console, cUSB_CDC_Protocol& link,
                const std::atomic<bool>* stop);

    const Invocation& invocation;
    Console& console;
    QStringList args;  // the command's arguments; commands take their options out of it
    const std::atomic<bool>* stop;  // set when the user interrupts: transfers end early

    // Finds the device (once) as --port and --wait say; logs the connection lines. False
    // after "No device found" was reported: the command returns noDevice().
    bool connect();
    cUSB_CDC_Protocol& link() { return link_; }
    const QString& port() const { return port_; }
    const QString& version() const { return version_; }

    // How long to wait for a device that restarts (--wait, or `defaultSeconds`).
    int64_t waitMs(int defaultSeconds) const;
    // Looks for the device again after it went away (a firmware update), up to `waitMs`.
    bool reconnect(int64_t waitMs);

    // The command ends: each writes `text` (if any) to stderr, records it as the JSON
    // document's error and returns the exit status.
    int usage(const QString& text);  // also prints the command's usage line
    int deviceFailed(const QString& text);
    // "No device found" with each port tried and its reason; ExitNoDevice or ExitAccessDenied.
    int noDevice();
    // Input the command cannot take (a local file, an existing NAME.part): "admin-cli: text"
    // without the usage line, exit status 2.
    int badInput(const QString& text);
    // True once the user pressed Ctrl-C.
    bool interruptRequested() const { return stop && stop->load(); }
    // Ends a command the user interrupted: "Interrupted" and `hint` (how to go on), 130.
    int interrupted(const QString& hint = QString());

    // The arguments after removing a first "--"; refuses any other option with usage().
    bool positional(QStringList& out, int& status);
    // positional(), and refuses with usage() fewer than `min` or more than `max` of them.
    bool operands(QStringList& out, int min, int max, int& status);
    // For commands without arguments: refuses any, then finds the device.
    bool noOperandsAndConnect(int& status);

private:
    bool find(bool alsoCandidates, int64_t waitMs, const QString& foundPrefix);

    cUSB_CDC_Protocol& link_;
    bool connected_ = false;
    QString port_;
    QString version_;
    QList<PortCheck> tried_;  // the last search's ports and why none was the device
};

// One command of the table.
struct Command {
    const char* name;
    const char* synopsis;  // "get DIR/NAME... [-o FOLDER]"
    const char* summary;   // one line for the command list
    const char* details;   // the text of "COMMAND --help" after the synopsis
    int (*run)(CommandCall& call);
};

}  // namespace orvane::cli
