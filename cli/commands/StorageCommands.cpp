// ls, rm, format and clear-history: the device's file system and its update history.
#include <QJsonArray>
#include <QJsonObject>

#include "cli/CommandTable.h"
#include "cli/Console.h"
#include "cli/commands/DevicePaths.h"
#include "device/filesystem/FileSystemFlows.h"
#include "device/firmware/FirmwareUpdate.h"
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
    if (!call.positional(dirs, status))
        return status;
    if (dirs.size() > 1)
        return call.usage(QStringLiteral("ls takes at most one directory"));
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
            call.console.line(d.name);
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
        call.console.line(name);
    return ExitOk;
}

int runRemove(CommandCall& call)
{
    QStringList paths;
    int status = 0;
    if (!call.positional(paths, status))
        return status;
    if (paths.isEmpty())
        return call.usage(QStringLiteral("rm needs at least one DIR/NAME"));
    if (!call.connect())
        return call.noDevice();
    fs::Listing listing;
    if (!readListing(call, listing))
        return ExitDeviceFailed;
    QList<DeviceFile> files;
    if (!resolveDeviceFiles(call, listing, paths, files))
        return ExitDeviceFailed;

    // One deletion per run of files in the same directory, in the order given.
    QJsonArray deleted;
    for (int i = 0; i < files.size();) {
        QStringList names;
        const DeviceFile& first = files.at(i);
        for (; i < files.size() && files.at(i).dirIndex == first.dirIndex; ++i)
            names.append(files.at(i).name);
        if (!fs::deleteFiles(&call.link(), first.dirName, names, logTo(call))) {
            call.console.document().insert(QStringLiteral("deleted"), deleted);
            return call.deviceFailed(QString());
        }
        for (const QString& name : qAsConst(names))
            deleted.append(first.dirName + QLatin1Char('/') + name);
    }
    call.console.document().insert(QStringLiteral("deleted"), deleted);
    return ExitOk;
}

int runFormat(CommandCall& call)
{
    const bool confirmed = takeFlag(call.args, QStringLiteral("--yes"));
    QStringList extra;
    int status = 0;
    if (!call.positional(extra, status))
        return status;
    if (!extra.isEmpty())
        return call.usage(QStringLiteral("format takes no arguments besides --yes"));
    if (!confirmed)
        return call.usage(QStringLiteral(
            "format erases every file on the device; add --yes to confirm"));
    if (!call.connect())
        return call.noDevice();
    return fs::formatFlash(&call.link(), logTo(call)) ? ExitOk : ExitDeviceFailed;
}

int runClearHistory(CommandCall& call)
{
    QStringList extra;
    int status = 0;
    if (!call.positional(extra, status))
        return status;
    if (!extra.isEmpty())
        return call.usage(QStringLiteral("clear-history takes no arguments"));
    if (!call.connect())
        return call.noDevice();
    if (!firmware::clearUpdateHistory(&call.link(), logTo(call)))
        return call.deviceFailed(QStringLiteral(
            "The device did not delete its update history (it may have none)"));
    return ExitOk;
}

}  // namespace orvane::cli
