#include "cli/commands/SentFiles.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QSet>

#include "cli/Command.h"
#include "cli/Console.h"
#include "cli/commands/DevicePaths.h"
#include "device/filesystem/FileSystemFlows.h"
#include "device/transfer/DeviceNames.h"
#include "device/transfer/FileDownload.h"
#include "device/transfer/ReadBackCheck.h"
#include "device/transfer/TransferJobs.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane::cli {
namespace {

// The file-start command carries the size in 32 bits.
constexpr qint64 kLargestFile = 0xFFFFFFFFLL;

// Why `path` cannot be sent, or "" when it can.
QString unsendable(const QString& path, const QString& deviceName)
{
    if (transfer::localFileName(path).contains(QChar::ReplacementCharacter))
        return QStringLiteral("the name of %1 is not valid UTF-8, which the device needs; rename the file")
            .arg(path);
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file: %1").arg(path);
    if (info.isDir())
        return QStringLiteral("%1 is a folder, not a file").arg(path);
    if (!info.isFile())
        return QStringLiteral("%1 is not a regular file").arg(path);
    if (!info.isReadable())
        return QStringLiteral("cannot read %1: permission denied").arg(path);
    if (info.size() > kLargestFile)
        return QStringLiteral("%1 has %2 bytes; the device takes files of at most %3 bytes (4 GiB - 1)")
            .arg(path)
            .arg(info.size())
            .arg(kLargestFile);
    const int nameBytes = deviceName.toUtf8().size();
    if (nameBytes > cUSB_CDC_Protocol::kUploadNameField)
        return QStringLiteral("%1 would be stored as %2, %3 bytes long; the device takes names of at most %4 bytes")
            .arg(path, deviceName)
            .arg(nameBytes)
            .arg(cUSB_CDC_Protocol::kUploadNameField);
    return QString();
}

QString verificationText(const SentFile& file)
{
    switch (file.verification) {
    case SentFile::Verified:
        return QStringLiteral("verified");
    case SentFile::Failed:
        return QStringLiteral("verification failed");
    case SentFile::Unlisted:
    case SentFile::NotChecked:
        break;
    }
    return QStringLiteral("not verified: ") + file.note;
}

}  // namespace

bool takeVerifyChoice(CommandCall& call, VerifyChoice& choice, int& status)
{
    const bool on = takeFlag(call.args, QStringLiteral("--verify"));
    const bool off = takeFlag(call.args, QStringLiteral("--no-verify"));
    if (on && off) {
        status = call.usage(QStringLiteral("--verify and --no-verify exclude each other"));
        return false;
    }
    choice.verify = !off;
    choice.explicitly = on;
    return true;
}

bool checkFilesToSend(CommandCall& call, const QStringList& paths, bool toUpdates,
                      QList<SentFile>& files, int& status)
{
    files.clear();
    QSet<QString> deviceNames;
    for (const QString& path : paths) {
        SentFile file;
        file.path = path;
        file.deviceName = transfer::deviceFileName(path, toUpdates);
        QString why = unsendable(path, file.deviceName);
        if (why.isEmpty() && deviceNames.contains(file.deviceName))
            why = QStringLiteral("two files would be stored on the device as %1").arg(file.deviceName);
        if (why.isEmpty()) {
            file.sum = transfer::fileChecksum(path);
            if (!file.sum.ok)
                why = QStringLiteral("cannot read %1: %2").arg(path, file.sum.error);
        }
        if (!why.isEmpty()) {
            status = call.badInput(why);
            return false;
        }
        deviceNames.insert(file.deviceName);
        files.append(file);
    }
    return true;
}

bool sendFiles(CommandCall& call, const QList<SentFile>& files)
{
    TransferItems items;
    QStringList names;
    for (const SentFile& file : files) {
        // The device name without "Updates/" tells the upload where the file goes.
        items.append(TransferItem{file.path, file.deviceName.startsWith(QLatin1String("Updates/"))});
        names.append(transfer::localFileName(file.path));
    }
    const bool ok = transfer::runUploadJob(
        &call.link(), items,
        call.console.report([names](int i) { return i < names.size() ? names.at(i) : QString(); },
                            call.stop));
    call.console.endProgress();
    return ok;
}

bool verifySentFiles(CommandCall& call, QList<SentFile>& files, const VerifyChoice& choice)
{
    if (!choice.verify) {
        for (SentFile& file : files)
            file.note = QStringLiteral("--no-verify");
        return true;
    }
    const fs::Listing listing =
        fs::listFileSystem(&call.link(), [&call](const QString& line) { call.console.log(line); });
    bool allGood = true;
    for (SentFile& file : files) {
        if (call.interruptRequested())
            return false;
        QString dir, name;
        splitDevicePath(file.deviceName, dir, name);
        const auto fail = [&](const QString& what) {
            file.verification = SentFile::Failed;
            file.note = what;
            const QString line = QStringLiteral("Verification failed for %1: %2")
                                     .arg(transfer::localFileName(file.path), what);
            call.console.setError(line);
            call.console.message(line);
            allGood = false;
        };
        if (listing.status != fs::Listing::Complete) {
            fail(QStringLiteral("the device did not give its list of files"));
            continue;
        }
        const int dirIndex = findDirectory(listing, dir);
        const bool listed = dirIndex >= 0 && listing.directories.at(dirIndex).files.contains(name);
        const bool readable = transfer::fitsNameField(name, cUSB_CDC_Protocol::kReadNameField);
        if (!listed || !readable) {
            file.verification = SentFile::Unlisted;
            file.note = listed ? QStringLiteral("the name %1 is too long to be read back").arg(name)
                               : QStringLiteral("the device does not list %1").arg(file.deviceName);
            if (choice.explicitly)
                fail(file.note);
            else
                call.console.log(QStringLiteral("%1 is not verified: %2").arg(file.deviceName, file.note));
            continue;
        }

        transfer::ReadBackCheck check(file.path);
        QStringList lines;
        transfer::TransferReport report = call.console.report(
            [&name](int) { return name + QStringLiteral(" (verifying)"); }, call.stop);
        report.log = [&lines](const QString& line) { lines.append(line); };
        const bool read = transfer::readDeviceFile(&call.link(), check, static_cast<quint16>(dirIndex),
                                                   name, report);
        call.console.endProgress();
        if (!read) {
            if (call.interruptRequested())
                return false;
            // The reading's own lines say what went wrong, after its opening lines.
            lines.removeAll(QStringLiteral("File for reading: ") + name);
            lines.removeAll(QStringLiteral("Starting the file getting"));
            QString why = check.errorString();
            if (why.isEmpty())
                why = lines.isEmpty() ? QStringLiteral("the device did not give the file back")
                                      : lines.join(QStringLiteral("; "));
            fail(QStringLiteral("reading it back failed: ") + why);
        } else if (!check.same()) {
            fail(check.difference());
        } else if (check.deviceSha256() != file.sum.sha256) {
            fail(QStringLiteral("the local file changed during the upload"));
        } else {
            file.verification = SentFile::Verified;
            call.console.log(QStringLiteral("%1 verified: SHA-256 %2").arg(file.deviceName,
                                                                         QString::fromLatin1(file.sum.sha256)));
        }
    }
    return allGood;
}

QJsonArray reportSentFiles(CommandCall& call, const QList<SentFile>& files)
{
    QJsonArray array;
    for (const SentFile& file : files) {
        const QString name = transfer::localFileName(file.path);
        call.console.line(QStringLiteral("%1: %2 bytes, SHA-256 %3, %4")
                              .arg(name)
                              .arg(file.sum.size)
                              .arg(QString::fromLatin1(file.sum.sha256), verificationText(file)));
        QJsonValue verified;  // null: not checked
        if (file.verification == SentFile::Verified)
            verified = true;
        else if (file.verification == SentFile::Failed)
            verified = false;
        QJsonObject entry{{QStringLiteral("file"), file.path},
                          {QStringLiteral("deviceName"), file.deviceName},
                          {QStringLiteral("name"), name},
                          {QStringLiteral("size"), file.sum.size},
                          {QStringLiteral("sha256"), QString::fromLatin1(file.sum.sha256)},
                          {QStringLiteral("verified"), verified}};
        if (!file.note.isEmpty() && file.verification != SentFile::Verified)
            entry.insert(QStringLiteral("verification"), file.note);
        array.append(entry);
    }
    return array;
}

}  // namespace orvane::cli
