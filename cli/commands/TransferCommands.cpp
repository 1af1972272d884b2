// flash, upload, get and dump-flash: the transfer jobs of the admin window, run directly.
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <climits>

#include "cli/CommandTable.h"
#include "cli/Console.h"
#include "cli/commands/DevicePaths.h"
#include "device/firmware/FirmwareUpdate.h"
#include "device/text/PrintableText.h"
#include "device/transfer/DeviceNames.h"
#include "device/transfer/FlashImage.h"
#include "device/transfer/TransferJobs.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane::cli {
namespace {

constexpr int kMaxFirmwareImages = 3;
constexpr int kFlashWaitSeconds = 60;

// Checks before anything is sent: every file can be read, and no two land on the same
// device name (the second would silently replace the first).
bool checkLocalFiles(CommandCall& call, const QStringList& paths, bool toUpdates, int& status)
{
    QSet<QString> deviceNames;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists() || !info.isFile() || !info.isReadable()) {
            status = call.usage(QStringLiteral("cannot read the file %1").arg(path));
            return false;
        }
        const QString deviceName = transfer::deviceFileName(path, toUpdates);
        if (deviceNames.contains(deviceName)) {
            status = call.usage(QStringLiteral("two files would be stored on the device as %1")
                                    .arg(deviceName));
            return false;
        }
        deviceNames.insert(deviceName);
    }
    return true;
}

TransferItems itemsOf(const QStringList& paths, bool toUpdates)
{
    TransferItems items;
    for (const QString& path : paths)
        items.append(TransferItem{path, toUpdates});
    return items;
}

transfer::TransferReport reportFor(CommandCall& call, const QStringList& names)
{
    return call.console.report(
        [names](int i) { return i < names.size() ? names.at(i) : QString(); }, call.stop);
}

QStringList localNames(const QStringList& paths)
{
    QStringList names;
    for (const QString& path : paths)
        names.append(transfer::localFileName(path));
    return names;
}

QJsonArray uploadSummary(const QStringList& paths, bool toUpdates)
{
    QJsonArray files;
    for (const QString& path : paths)
        files.append(QJsonObject{{QStringLiteral("file"), path},
                                 {QStringLiteral("deviceName"), transfer::deviceFileName(path, toUpdates)}});
    return files;
}

// Runs the upload job; true when every file went out.
bool upload(CommandCall& call, const QStringList& paths, bool toUpdates)
{
    const bool ok = transfer::runUploadJob(&call.link(), itemsOf(paths, toUpdates),
                                           reportFor(call, localNames(paths)));
    call.console.endProgress();
    return ok;
}

}  // namespace

int runFlash(CommandCall& call)
{
    QStringList paths;
    int status = 0;
    if (!call.operands(paths, 1, kMaxFirmwareImages, status))
        return status;
    if (!checkLocalFiles(call, paths, true, status))
        return status;
    if (!call.connect())
        return call.noDevice();

    QJsonObject& doc = call.console.document();
    doc.insert(QStringLiteral("files"), uploadSummary(paths, true));
    doc.insert(QStringLiteral("port"), call.port());
    doc.insert(QStringLiteral("previousFirmware"), call.version());
    doc.insert(QStringLiteral("updateStarted"), false);
    if (!upload(call, paths, true)) {
        call.console.log(firmware::updateNotStartedLine());
        return call.deviceFailed(QString());
    }
    firmware::startFirmwareUpdate(&call.link(), [&](const QString& line) { call.console.log(line); });
    doc.insert(QStringLiteral("updateStarted"), true);

    const int64_t wait = call.waitMs(kFlashWaitSeconds);
    call.console.log(QStringLiteral("Waiting up to %1 s for the device to come back")
                             .arg(static_cast<double>(wait) / 1000.0));
    if (!call.reconnect(wait))
        return call.deviceFailed(QStringLiteral("The device did not come back within %1 s")
                                     .arg(static_cast<double>(wait) / 1000.0));
    doc.insert(QStringLiteral("port"), call.port());
    doc.insert(QStringLiteral("firmware"), call.version());
    call.console.line(QStringLiteral("Firmware: ") + printableText(call.version()));
    return ExitOk;
}

int runUpload(CommandCall& call)
{
    QStringList paths;
    int status = 0;
    if (!call.operands(paths, 1, INT_MAX, status))
        return status;
    if (!checkLocalFiles(call, paths, false, status))
        return status;
    if (!call.connect())
        return call.noDevice();
    call.console.document().insert(QStringLiteral("files"), uploadSummary(paths, false));
    return upload(call, paths, false) ? ExitOk : ExitDeviceFailed;
}

int runGet(CommandCall& call)
{
    QString folder = QStringLiteral(".");
    QString error;
    if (!takeOutputOption(call.args, folder, error))
        return call.usage(error);
    QStringList paths;
    int status = 0;
    if (!call.operands(paths, 1, INT_MAX, status))
        return status;
    if (!QFileInfo(folder).isDir())
        return call.usage(QStringLiteral("no such folder: %1").arg(folder));
    QSet<QString> names;
    for (const QString& path : qAsConst(paths)) {
        QString dir, name;
        splitDevicePath(path, dir, name);
        if (names.contains(name))
            return call.usage(QStringLiteral("two files named %1 would be written to the same folder")
                                  .arg(name));
        names.insert(name);
    }
    QList<DeviceFile> files;
    status = locateDeviceFiles(call, paths, files);
    if (status != ExitOk)
        return status;

    QJsonArray written;
    for (const QList<DeviceFile>& run : runsByDirectory(files)) {
        TransferItems items;
        QStringList names;
        for (const DeviceFile& file : run) {
            items.append(TransferItem{file.name, false});
            names.append(file.name);
        }
        const bool ok = transfer::runReadFilesJob(&call.link(), items, folder,
                                                  static_cast<quint16>(run.first().dirIndex),
                                                  reportFor(call, names));
        call.console.endProgress();
        if (ok) {
            for (const QString& name : qAsConst(names))
                written.append(QDir(folder).filePath(name));
        }
        call.console.document().insert(QStringLiteral("written"), written);
        if (!ok)
            return ExitDeviceFailed;
    }
    return ExitOk;
}

int runDumpFlash(CommandCall& call)
{
    QString target = transfer::flashImageFileName();
    QString error;
    if (!takeOutputOption(call.args, target, error))
        return call.usage(error);
    QStringList extra;
    int status = 0;
    if (!call.operands(extra, 0, 0, status))
        return status;
    if (QFileInfo(target).isDir())
        target = QDir(target).filePath(transfer::flashImageFileName());
    if (!QFileInfo(QFileInfo(target).absolutePath()).isDir())
        return call.usage(QStringLiteral("no such folder for %1").arg(target));
    if (!call.connect())
        return call.noDevice();

    const bool ok = transfer::readFlashImage(&call.link(), target, transfer::kFlashImageSize,
                                             reportFor(call, {QFileInfo(target).fileName()}));
    call.console.endProgress();
    if (!ok)
        return ExitDeviceFailed;
    call.console.log(QStringLiteral("Flash reading is complete"));
    call.console.document().insert(QStringLiteral("written"), target);
    call.console.document().insert(QStringLiteral("bytes"), static_cast<qint64>(transfer::kFlashImageSize));
    return ExitOk;
}

}  // namespace orvane::cli
