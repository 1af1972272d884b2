#include "cli/commands/DevicePaths.h"

#include "cli/Command.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"

namespace orvane::cli {

void splitDevicePath(const QString& path, QString& dir, QString& name)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    dir = slash < 0 ? QString() : path.left(slash);
    name = slash < 0 ? path : path.mid(slash + 1);
}

int findDirectory(const fs::Listing& listing, const QString& dir)
{
    for (int i = 0; i < listing.directories.size(); ++i) {
        if (listing.directories.at(i).name == dir)
            return i;
    }
    if ((dir.isEmpty() || dir == QLatin1String("/")) && !listing.directories.isEmpty())
        return 0;
    if (dir.startsWith(QLatin1Char('/')))
        return findDirectory(listing, dir.mid(1));
    return -1;
}

bool readListing(CommandCall& call, fs::Listing& listing)
{
    listing = fs::listFileSystem(&call.link(), [&](const QString& line) { call.console.log(line); });
    if (listing.status == fs::Listing::Complete)
        return true;
    call.deviceFailed(QStringLiteral("The device did not give its list of files"));
    return false;
}

bool resolveDeviceFiles(CommandCall& call, const fs::Listing& listing, const QStringList& paths,
                        QList<DeviceFile>& files)
{
    files.clear();
    for (const QString& path : paths) {
        DeviceFile file;
        QString dir;
        splitDevicePath(path, dir, file.name);
        file.dirIndex = findDirectory(listing, dir);
        if (file.dirIndex < 0) {
            call.deviceFailed(QStringLiteral("No such directory on the device: ") + dir);
            return false;
        }
        file.dirName = listing.directories.at(file.dirIndex).name;
        if (file.name.isEmpty() || !listing.directories.at(file.dirIndex).files.contains(file.name)) {
            call.deviceFailed(QStringLiteral("No such file on the device: ") + path);
            return false;
        }
        files.append(file);
    }
    return true;
}

int locateDeviceFiles(CommandCall& call, const QStringList& paths, QList<DeviceFile>& files)
{
    if (!call.connect())
        return call.noDevice();
    fs::Listing listing;
    if (!readListing(call, listing) || !resolveDeviceFiles(call, listing, paths, files))
        return ExitDeviceFailed;
    return ExitOk;
}

QList<QList<DeviceFile>> runsByDirectory(const QList<DeviceFile>& files)
{
    QList<QList<DeviceFile>> runs;
    for (const DeviceFile& file : files) {
        if (runs.isEmpty() || runs.last().first().dirIndex != file.dirIndex)
            runs.append(QList<DeviceFile>());
        runs.last().append(file);
    }
    return runs;
}

}  // namespace orvane::cli
