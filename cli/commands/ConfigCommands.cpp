// config show and config set: the network configuration through the page's own flows.
#include <QFileInfo>
#include <QJsonObject>

#include <climits>

#include "cli/CommandTable.h"
#include "cli/Console.h"
#include "cli/commands/ConfigKeys.h"
#include "device/config/ConfigFlows.h"
#include "device/transfer/DeviceNames.h"
#include "device/transfer/TransferJobs.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane::cli {
namespace {

config::LogFn logTo(CommandCall& call)
{
    return [&call](const QString& line) { call.console.log(line); };
}

// Reads the whole configuration; false after a message when any step failed.
bool readAll(CommandCall& call, config::NetworkConfig& value, config::ReadOutcome& read)
{
    read = config::readNetworkConfig(&call.link(), value, logTo(call));
    if (read.completed)
        return true;
    call.deviceFailed(QStringLiteral("The device did not give its whole configuration"));
    return false;
}

void show(CommandCall& call, const config::NetworkConfig& value, const config::ReadOutcome& read)
{
    call.console.document().insert(QStringLiteral("config"), configJson(value, read));
    for (const QString& line : configLines(value, read))
        call.console.line(line);
}

}  // namespace

int runConfigShow(CommandCall& call)
{
    int status = 0;
    if (!call.noOperandsAndConnect(status))
        return status;
    config::NetworkConfig value;
    config::ReadOutcome read;
    if (!readAll(call, value, read))
        return ExitDeviceFailed;
    show(call, value, read);
    return ExitOk;
}

int runConfigSet(CommandCall& call)
{
    QStringList pairs;
    int status = 0;
    if (!call.operands(pairs, 1, INT_MAX, status))
        return status;
    QList<ConfigChange> changes;
    QString error;
    if (!parseConfigChanges(pairs, changes, error))
        return call.usage(error);
    for (const ConfigChange& change : qAsConst(changes)) {
        if (change.first.endsWith(QLatin1String("-file")) && !change.second.isEmpty() &&
            !QFileInfo(change.second).isFile())
            return call.usage(QStringLiteral("cannot read the file %1").arg(change.second));
    }
    if (!call.connect())
        return call.noDevice();

    // The write sends every setting, so it starts from what the device holds.
    config::NetworkConfig value;
    config::ReadOutcome read;
    if (!readAll(call, value, read))
        return ExitDeviceFailed;
    applyConfigChanges(changes, value);
    // Checked against the result, since what is written depends on what the device holds.
    const QString unwritten = unwrittenChange(changes, value);
    if (!unwritten.isEmpty())
        return call.usage(unwritten);

    bool uploaded = true;
    const config::UploadFn upload = [&](const QStringList& paths) {
        TransferItems items;
        for (const QString& path : paths)
            items.append(TransferItem{path, false});
        uploaded = transfer::runUploadJob(
            &call.link(), items,
            call.console.report(
                [paths](int i) {
                    return i < paths.size() ? transfer::localFileName(paths.at(i)) : QString();
                },
                call.stop));
        call.console.endProgress();
    };
    const bool written = config::writeNetworkConfig(&call.link(), value, logTo(call), upload);
    call.console.document().insert(QStringLiteral("written"), written && uploaded);
    if (!written)
        return call.deviceFailed(QStringLiteral("The configuration was not written completely"));

    config::NetworkConfig back;
    if (!readAll(call, back, read))
        return ExitDeviceFailed;
    show(call, back, read);
    if (!uploaded)
        return call.deviceFailed(QStringLiteral("The key or certificate file was not uploaded"));
    return ExitOk;
}

}  // namespace orvane::cli
