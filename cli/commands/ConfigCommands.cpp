// config show and config set: the network configuration through the page's own flows.
#include <QJsonObject>

#include <climits>

#include "cli/CommandTable.h"
#include "cli/Console.h"
#include "cli/commands/ConfigKeys.h"
#include "cli/commands/SentFiles.h"
#include "device/config/ConfigFlows.h"
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
    VerifyChoice verify;
    int status = 0;
    if (!takeVerifyChoice(call, verify, status))
        return status;
    QStringList pairs;
    if (!call.operands(pairs, 1, INT_MAX, status))
        return status;
    QList<ConfigChange> changes;
    QString error;
    if (!parseConfigChanges(pairs, changes, error))
        return call.usage(error);
    QStringList localFiles;
    for (const ConfigChange& change : qAsConst(changes)) {
        if (change.first.endsWith(QLatin1String("-file")) && !change.second.isEmpty())
            localFiles.append(change.second);
    }
    QList<SentFile> files;
    if (!checkFilesToSend(call, localFiles, false, files, status))
        return status;
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
    QList<SentFile> sent;
    const config::UploadFn upload = [&](const QStringList& paths) {
        for (const SentFile& file : qAsConst(files)) {
            if (paths.contains(file.path))
                sent.append(file);
        }
        uploaded = sendFiles(call, sent);
    };
    const bool written = config::writeNetworkConfig(&call.link(), value, logTo(call), upload);
    if (!written) {
        call.console.document().insert(QStringLiteral("written"), false);
        return call.deviceFailed(QStringLiteral("The configuration was not written completely"));
    }
    if (call.interruptRequested())
        return call.interrupted();
    const bool verified = uploaded && verifySentFiles(call, sent, verify);
    if (!sent.isEmpty())
        call.console.document().insert(QStringLiteral("files"), reportSentFiles(call, sent));

    // The device may acknowledge a value it did not keep: only the read-back tells.
    config::NetworkConfig back;
    if (!readAll(call, back, read))
        return ExitDeviceFailed;
    show(call, back, read);
    const QStringList differing = differingSettings(changes, value, back, read);
    call.console.document().insert(QStringLiteral("written"), uploaded && verified && differing.isEmpty());
    if (!differing.isEmpty())
        return call.deviceFailed(QStringLiteral("The device does not hold what was written: ") +
                                 differing.join(QStringLiteral(", ")));
    if (!uploaded)
        return call.deviceFailed(QStringLiteral("The key or certificate file was not uploaded"));
    if (!verified)
        return call.deviceFailed(QString());
    return ExitOk;
}

}  // namespace orvane::cli
