#include "cli/Command.h"

#include <QDir>
#include <QFileInfo>

#include "cli/CommandTable.h"
#include "cli/Console.h"
#include "cli/DeviceChoice.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane::cli {

CommandCall::CommandCall(const Invocation& invocation, Console& console,
                         cUSB_CDC_Protocol& link, const std::atomic<bool>* stop)
    : invocation(invocation), console(console), args(invocation.args), stop(stop), link_(link)
{
}

bool CommandCall::find(bool alsoCandidates, int64_t waitMs, const QString& foundPrefix)
{
    DeviceSearch search;
    search.port = slot ? slot->port : invocation.port;
    if (slot && alsoCandidates) {
        // Ports are renamed when a device comes back: only its identifier tells it from the
        // others, which other jobs are working on meanwhile.
        search.identifier = slot->id;
        search.matchIdentifier = slot->idKnown;
    }
    search.alsoCandidates = alsoCandidates;
    search.takeBootloader = invocation.bootloader;
    search.waitMs = waitMs;
    search.foundPrefix = foundPrefix;
    const DeviceFound found = findDevice(link_, console, search, stop);
    connected_ = found.found;
    tried_ = found.tried;
    if (found.found) {
        port_ = found.port;
        version_ = found.version;
    }
    return found.found;
}

bool CommandCall::connect()
{
    if (connected_)
        return true;
    if (checkOnly) {
        reachedDevice_ = true;
        return false;
    }
    if (slot) {
        connected_ = true;
        port_ = slot->port;
        version_ = slot->version;
        console.log(QStringLiteral("Found the device connected to ") + port_);
        if (link_.versionKnown)
            console.log(QStringLiteral("Firmware version is ") + version_);
        return true;
    }
    const int64_t wait = invocation.waitGiven
                             ? static_cast<int64_t>(invocation.waitSeconds * 1000.0)
                             : 0;
    return find(false, wait, QStringLiteral("Found the device connected to "));
}

int64_t CommandCall::waitMs(int defaultSeconds) const
{
    return invocation.waitGiven ? static_cast<int64_t>(invocation.waitSeconds * 1000.0)
                                : int64_t(defaultSeconds) * 1000;
}

bool CommandCall::reconnect(int64_t waitMs)
{
    connected_ = false;
    return find(true, waitMs, QStringLiteral("Found device connected to "));
}

QString CommandCall::outputName(const QString& pattern) const
{
    if (!slot)
        return pattern;
    QString name = pattern;
    name.replace(QLatin1String("{id}"), slot->idKnown ? QString::number(slot->id) : slot->key);
    name.replace(QLatin1String("{port}"), slot->name);
    name.replace(QLatin1String("{key}"), slot->key);
    return name;
}

bool CommandCall::claimOutput(const QString& path, int& status)
{
    if (!slot || !slot->claims)
        return true;
    QString owner;
    if (slot->claims->claim(QDir::cleanPath(QFileInfo(path).absoluteFilePath()), slot->name, owner))
        return true;
    status = badInput(QStringLiteral("%1 is written for %2 already: put {port} in the name").arg(path, owner));
    return false;
}

int CommandCall::usage(const QString& text)
{
    console.setError(text);
    console.message(QStringLiteral("admin-cli: ") + text);
    console.message(QStringLiteral("Usage: admin-cli [OPTIONS] ") + commandSynopsis(invocation.command) +
                    QStringLiteral("\n(admin-cli %1 --help tells more)").arg(invocation.command));
    return ExitUsage;
}

int CommandCall::deviceFailed(const QString& text)
{
    if (!text.isEmpty()) {
        console.setError(text);
        console.message(text);
    }
    return ExitDeviceFailed;
}

int CommandCall::badInput(const QString& text)
{
    console.setError(text);
    console.message(QStringLiteral("admin-cli: ") + text);
    return ExitUsage;
}

int CommandCall::interrupted(const QString& hint)
{
    const QString text = hint.isEmpty() ? QStringLiteral("Interrupted")
                                         : QStringLiteral("Interrupted: ") + hint;
    console.setError(text);
    console.message(text);
    return ExitInterrupted;
}

int CommandCall::noDevice()
{
    return reportNoDevice(console, tried_);
}

bool CommandCall::positional(QStringList& out, int& status)
{
    out.clear();
    bool ended = false;
    for (const QString& arg : qAsConst(args)) {
        if (!ended && arg == QLatin1String("--")) {
            ended = true;
            continue;
        }
        if (!ended && arg.size() > 1 && arg.startsWith(QLatin1Char('-'))) {
            status = usage(QStringLiteral("unknown option %1").arg(arg));
            return false;
        }
        out.append(arg);
    }
    return true;
}

bool CommandCall::operands(QStringList& out, int min, int max, int& status)
{
    if (!positional(out, status))
        return false;
    if (out.size() >= min && out.size() <= max)
        return true;
    status = usage(max == 0 ? QStringLiteral("%1 takes no arguments").arg(invocation.command)
                            : QStringLiteral("wrong number of arguments for %1").arg(invocation.command));
    return false;
}

bool CommandCall::noOperandsAndConnect(int& status)
{
    QStringList none;
    if (!operands(none, 0, 0, status))
        return false;
    if (connect())
        return true;
    status = noDevice();
    return false;
}

int runCommand(const Command& command, CommandCall& call)
{
    int status = command.run(call);
    releaseDevice(call.link());
    if (call.interruptRequested() && status != ExitInterrupted) {
        // Whatever the command made of it, the user ended it (a command that said so itself,
        // with how to go on, has already reported it).
        const QString text = QStringLiteral("Interrupted");
        call.console.setError(text);
        call.console.message(text);
        status = ExitInterrupted;
    }
    return status;
}

}  // namespace orvane::cli
