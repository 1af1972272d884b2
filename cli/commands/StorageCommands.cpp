// ls, rm, format and clear-history: the device's file system and its update history.
#include <QJsonArray>
#include <QJsonObject>

#include <climits>

#include "cli/CommandTable.h"
#include "cli/Console.h"
#include "cli/commands/DevicePaths.h"
#include "device/filesystem/FileSystemFlows.h"
#include "device/firmware/FirmwareUpdate.h"
#include "device/text/PrintableText.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane::cli {
namespace {

fs::LogFn logTo(CommandCall& call)
{
    return [&call](const QString& line) { call.console.log(line); };
}

QJsonArray toJson(const QStringList& names)
{
    return QJsonArray::fromStringList(names);
}

}  // namespace

int runList(CommandCall& call)
{
    QStringList dirs;
    int status = 0;
    if (!call.operands(dirs, 0, 1, status))
        return status;
    if (!call.connect())
        return call.noDevice();
    fs::Listing listing;
    if (!readListing(call, listing))
        return ExitDeviceFailed;

    QJsonObject& doc = call.console.document();
    if (dirs.isEmpty()) {
        QJsonArray list;
        for (const fs::Directory& d : qAsConst(listing.directories)) {
            list.append(QJsonObject{{QStringLiteral("name"), d.name},
                                    {QStringLiteral("files"), toJson(d.files)}});
            call.console.line(printableText(d.name));
        }
        doc.insert(QStringLiteral("directories"), list);
        return ExitOk;
    }
    const int index = findDirectory(listing, dirs.first());
    if (index < 0)
        return call.deviceFailed(QStringLiteral("No such directory on the device: ") + dirs.first());
    const fs::Directory& dir = listing.directories.at(index);
    doc.insert(QStringLiteral("directory"), dir.name);
    doc.insert(QStringLiteral("files"), toJson(dir.files));
    for (const QString& name : dir.files)
        call.console.line(printableText(name));
    return ExitOk;
}

int runRemove(CommandCall& call)
{
    QStringList paths;
    int status = 0;
    if (!call.operands(paths, 1, INT_MAX, status))
        return status;
    QList<DeviceFile> files;
    status = locateDeviceFiles(call, paths, files);
    if (status != ExitOk)
        return status;

    QJsonArray deleted;
    for (const QList<DeviceFile>& run : runsByDirectory(files)) {
        QStringList names;
        for (const DeviceFile& file : run)
            names.append(file.name);
        const QString& dir = run.first().dirName;
        const bool ok = fs::deleteFiles(&call.link(), dir, names, logTo(call));
        if (ok) {
            // The root directory is called "/": its files are "/NAME", not "//NAME".
            const QString prefix = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
            for (const QString& name : qAsConst(names))
                deleted.append(prefix + name);
        }
        call.console.document().insert(QStringLiteral("deleted"), deleted);
        if (!ok)
            return ExitDeviceFailed;
    }
    return ExitOk;
}

int runFormat(CommandCall& call)
{
    const bool confirmed = takeFlag(call.args, QStringLiteral("--yes"));
    QStringList extra;
    int status = 0;
    if (!call.operands(extra, 0, 0, status))
        return status;
    if (!confirmed)
        return call.usage(QStringLiteral(
            "format erases every file on the device; add --yes to confirm"));
    if (!call.connect())
        return call.noDevice();
    if (!fs::formatFlash(&call.link(), logTo(call)))
        return ExitDeviceFailed;
    // The format command's answer is not a status: only the listing shows that it happened.
    fs::Listing listing;
    if (!readListing(call, listing))
        return ExitDeviceFailed;
    QStringList remaining;
    for (const fs::Directory& d : qAsConst(listing.directories)) {
        for (const QString& name : d.files)
            remaining.append(d.name == QLatin1String("/") ? name : d.name + QLatin1Char('/') + name);
    }
    call.console.document().insert(QStringLiteral("remaining"), toJson(remaining));
    if (!remaining.isEmpty())
        return call.deviceFailed(QStringLiteral("The device still holds files after formatting: ") +
                                 remaining.join(QStringLiteral(", ")));
    return ExitOk;
}

int runClearHistory(CommandCall& call)
{
    int status = 0;
    if (!call.noOperandsAndConnect(status))
        return status;
    if (!firmware::clearUpdateHistory(&call.link(), logTo(call)))
        return call.deviceFailed(QStringLiteral(
            "The device did not delete its update history (it may have none)"));
    return ExitOk;
}

}  // namespace orvane::cli
