#include "cli/Command.h"

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
    search.port = invocation.port;
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

}  // namespace orvane::cli
