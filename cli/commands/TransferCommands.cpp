// flash, upload, get and dump-flash: the transfer jobs of the admin window, run directly, with
// the checks a technician relies on: every upload read back and compared, sizes and SHA-256
// of every file, a flash that proves the device restarted, reads that resume.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <limits>
#include <memory>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/CommandTable.h"
#include "cli/Console.h"
#include "cli/commands/DevicePaths.h"
#include "cli/commands/SentFiles.h"
#include "device/firmware/FirmwareUpdate.h"
#include "device/text/PrintableText.h"
#include "device/transfer/DeviceNames.h"
#include "device/transfer/FileChecksum.h"
#include "device/transfer/FileDownload.h"
#include "device/transfer/FlashImage.h"
#include "device/transfer/PartialFile.h"
#include "device/transfer/StreamTarget.h"
#include "discovery/CandidatePorts.h"
#include "link/cUSB_CDC_Protocol.h"
#include "link/platform/Deadline.h"

namespace orvane::cli {
namespace {

constexpr int kMaxFirmwareImages = 3;
constexpr int kFlashWaitSeconds = 60;
constexpr int kDeparturePollMs = 100;
// How long a device that did not answer the update command has to leave its port.
constexpr int64_t kUnansweredDepartureMs = 3000;

QString notRestartedText()
{
    return QStringLiteral("The device did not restart: the update was not installed");
}

QString installedNames()
{
    QStringList names;
    for (const auto& entry : transfer::firmwareFileNames())
        names.append(entry.first);
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

// True while `port` is still there: among the candidate ports, or an existing path.
bool portPresent(const QString& port)
{
    QStringList ports;
    listCandidatePorts(ports);
    return ports.contains(port) || (port.contains(QLatin1Char('/')) && QFileInfo::exists(port));
}

// Where a read goes: `-o -` is standard output; otherwise a NAME.part beside the target.
struct ReadDestination {
    bool toStdout = false;
    bool resume = false;
    QString path;  // the target file (not for standard output)
};

// Refusals of -o - and of an existing NAME.part, before connecting. 0 when the reads may go.
int checkDestinations(CommandCall& call, const QList<ReadDestination>& destinations)
{
    for (const ReadDestination& d : destinations) {
        if (d.toStdout) {
            if (destinations.size() > 1)
                return call.usage(QStringLiteral("-o - writes one file to standard output; name one file"));
            if (d.resume)
                return call.usage(QStringLiteral("--resume continues a NAME.part file; it does not go with -o -"));
            if (call.invocation.json)
                return call.usage(QStringLiteral("-o - and --json would both write to standard output"));
            continue;
        }
        const QString part = transfer::PartialFile::partPath(d.path);
        if (!d.resume && QFileInfo::exists(part))
            return call.badInput(QStringLiteral(
                "%1 already exists: add --resume to continue that earlier read, or move the file "
                "away (admin-cli does not overwrite a file it did not start)").arg(part));
        if (QFileInfo(part).isDir())
            return call.badInput(QStringLiteral("%1 is a folder").arg(part));
    }
    return ExitOk;
}

// Standard output for raw bytes.
bool openStdout(QFile& out)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return out.open(1, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
}

// A read into its destination, with what it received.
class Reading {
public:
    explicit Reading(const ReadDestination& d, int chunk) : d_(d)
    {
        if (d.toStdout) {
            openStdout(stdout_);
            stream_ = std::make_unique<transfer::StreamTarget>(stdout_);
        } else {
            part_ = std::make_unique<transfer::PartialFile>(
                d.path,
                d.resume ? transfer::PartialFile::Mode::Resume : transfer::PartialFile::Mode::Fresh,
                chunk);
        }
    }
    transfer::ReadTarget& target()
    {
        return stream_ ? static_cast<transfer::ReadTarget&>(*stream_) : *part_;
    }
    QString shownPath() const { return d_.toStdout ? QStringLiteral("standard output") : d_.path; }

    // After a failed read: its status, with the reason and how to go on.
    int failed(CommandCall& call)
    {
        const QString part = transfer::PartialFile::partPath(d_.path);
        // Only a part this read wrote to is worth continuing; one refused as it was stays.
        const bool partLeft = part_ && part_->written() > 0 && QFileInfo::exists(part);
        const QString resume = QStringLiteral("%1 keeps what arrived; run the same command with --resume to continue")
                                   .arg(part);
        if (call.interruptRequested())
            return call.interrupted(partLeft ? resume : QString());
        const QString why = target().errorString();
        if (partLeft)
            call.console.log(resume);
        return call.deviceFailed(why.isEmpty() || d_.toStdout ? QString() : why);
    }

    // After a complete read: its size and SHA-256 on standard output (on standard error when
    // the data went there) and as a JSON entry.
    QJsonObject report(CommandCall& call, const QString& name)
    {
        qint64 size = 0;
        QByteArray sha;
        if (stream_) {
            size = stream_->size();
            sha = stream_->sha256();
        } else {
            const transfer::FileChecksum sum = transfer::fileChecksum(d_.path);
            size = sum.size;
            sha = sum.sha256;
        }
        const QString line = QStringLiteral("%1: %2 bytes, SHA-256 %3")
                                 .arg(shownPath())
                                 .arg(size)
                                 .arg(QString::fromLatin1(sha));
        if (d_.toStdout)
            call.console.log(line);
        else
            call.console.line(line);
        QJsonObject entry{{QStringLiteral("name"), name},
                          {QStringLiteral("size"), size},
                          {QStringLiteral("sha256"), QString::fromLatin1(sha)}};
        if (!d_.toStdout)
            entry.insert(QStringLiteral("path"), d_.path);
        return entry;
    }

private:
    ReadDestination d_;
    QFile stdout_;
    std::unique_ptr<transfer::StreamTarget> stream_;
    std::unique_ptr<transfer::PartialFile> part_;
};

// After a failed upload or verification: the files as far as they got, the status.
int sendFailed(CommandCall& call, QList<SentFile>& files, bool sent)
{
    if (!sent) {
        for (SentFile& file : files)
            file.note = QStringLiteral("the upload did not complete");
    }
    call.console.document().insert(QStringLiteral("files"), reportSentFiles(call, files));
    return call.interruptRequested() ? call.interrupted() : call.deviceFailed(QString());
}

// Waits for the device to leave its port after it took the update command (at most
// `departureMs` of the whole wait), then for it to come back, and checks that the same device
// came back. ExitOk or the status after its message.
int awaitRestart(CommandCall& call, quint64 identifier, int64_t departureMs)
{
    const int64_t wait = call.waitMs(kFlashWaitSeconds);
    const Deadline deadline(wait);
    const Deadline departure(std::min(wait, departureMs));
    const QString oldPort = call.port();
    call.console.log(QStringLiteral("Waiting up to %1 s for the device to restart")
                         .arg(static_cast<double>(wait) / 1000.0));
    while (portPresent(oldPort)) {
        if (call.interruptRequested())
            return call.interrupted(QStringLiteral("the device may still be installing the update"));
        if (departure.expired()) {
            call.console.log(QStringLiteral("The device stayed at %1").arg(oldPort));
            return call.deviceFailed(notRestartedText());
        }
        sleepMs(kDeparturePollMs);
    }
    call.console.document().insert(QStringLiteral("updateStarted"), true);
    if (!call.reconnect(deadline.remainingMs())) {
        if (call.interruptRequested())
            return call.interrupted(QStringLiteral("the device had not come back yet"));
        return call.deviceFailed(QStringLiteral("The device did not come back within %1 s")
                                     .arg(static_cast<double>(wait) / 1000.0));
    }
    quint64 after = 0;
    if (call.link().SendGetID(after))
        return call.deviceFailed(QStringLiteral("The device that answered did not give its identifier"));
    if (after != identifier)
        return call.deviceFailed(QStringLiteral("Another device answered (identifier %1, not %2)")
                                     .arg(after)
                                     .arg(identifier));
    return ExitOk;
}

}  // namespace

int runFlash(CommandCall& call)
{
    VerifyChoice verify;
    int status = 0;
    if (!takeVerifyChoice(call, verify, status))
        return status;
    const bool anyName = takeFlag(call.args, QStringLiteral("--any-name"));
    QStringList paths;
    if (!call.positional(paths, status))
        return status;
    if (paths.size() > kMaxFirmwareImages)
        return call.usage(QStringLiteral("flash takes at most three images"));
    if (!call.operands(paths, 1, kMaxFirmwareImages, status))
        return status;
    if (!anyName) {
        for (const QString& path : qAsConst(paths)) {
            const QString name = transfer::localFileName(path);
            bool installed = false;
            for (const auto& entry : transfer::firmwareFileNames())
                installed = installed || entry.first == name;
            if (!installed)
                return call.badInput(QStringLiteral(
                    "%1: the device installs only images named %2; any other file would be "
                    "stored and never installed (--any-name sends it anyway)").arg(path, installedNames()));
        }
    }
    QList<SentFile> files;
    if (!checkFilesToSend(call, paths, true, files, status))
        return status;
    if (!call.connect())
        return call.noDevice();

    QJsonObject& doc = call.console.document();
    doc.insert(QStringLiteral("port"), call.port());
    doc.insert(QStringLiteral("previousFirmware"), call.version());
    doc.insert(QStringLiteral("updateStarted"), false);
    // The identifier tells the restarted device from any other that answers meanwhile.
    quint64 identifier = 0;
    if (call.link().SendGetID(identifier))
        return call.deviceFailed(QStringLiteral("The device did not give its identifier"));
    if (!sendFiles(call, files)) {
        call.console.log(firmware::updateNotStartedLine());
        return sendFailed(call, files, false);
    }
    if (!verifySentFiles(call, files, verify)) {
        call.console.log(QStringLiteral("Firmware update was not started because the verification failed"));
        return sendFailed(call, files, true);
    }
    doc.insert(QStringLiteral("files"), reportSentFiles(call, files));

    const firmware::UpdateAnswer answer =
        firmware::startFirmwareUpdateChecked(&call.link(), [&](const QString& line) { call.console.log(line); });
    if (answer == firmware::UpdateAnswer::Refused) {
        call.console.log(QStringLiteral("The device refused the update command"));
        return call.deviceFailed(notRestartedText());
    }
    int64_t departureMs = std::numeric_limits<int64_t>::max();
    if (answer == firmware::UpdateAnswer::Unanswered) {
        // Only the answer may be lost: a device that took the command restarts all the same,
        // and leaves its port soon. One that stays did not take it.
        call.console.log(QStringLiteral("The device did not answer the update command"));
        call.link().CloseIfOpen();
        departureMs = kUnansweredDepartureMs;
    }
    const QString before = call.version();
    status = awaitRestart(call, identifier, departureMs);
    if (status != ExitOk)
        return status;

    const QString after = call.version();
    doc.insert(QStringLiteral("port"), call.port());
    doc.insert(QStringLiteral("firmware"), after);
    doc.insert(QStringLiteral("versionChanged"), after != before);
    call.console.line(QStringLiteral("Previous firmware: ") + printableText(before));
    call.console.line(QStringLiteral("Firmware: ") + printableText(after));
    // Flashing the same version again is legitimate, but seldom what was meant.
    if (after == before)
        call.console.message(QStringLiteral("The firmware version did not change: ") + printableText(after));
    return ExitOk;
}

int runUpload(CommandCall& call)
{
    VerifyChoice verify;
    int status = 0;
    if (!takeVerifyChoice(call, verify, status))
        return status;
    QStringList paths;
    if (!call.operands(paths, 1, INT_MAX, status))
        return status;
    QList<SentFile> files;
    if (!checkFilesToSend(call, paths, false, files, status))
        return status;
    if (!call.connect())
        return call.noDevice();
    if (!sendFiles(call, files))
        return sendFailed(call, files, false);
    if (!verifySentFiles(call, files, verify))
        return sendFailed(call, files, true);
    call.console.document().insert(QStringLiteral("files"), reportSentFiles(call, files));
    return ExitOk;
}

int runGet(CommandCall& call)
{
    QString folder = QStringLiteral(".");
    QString error;
    if (!takeOutputOption(call.args, folder, error))
        return call.usage(error);
    const bool resume = takeFlag(call.args, QStringLiteral("--resume"));
    QStringList paths;
    int status = 0;
    if (!call.operands(paths, 1, INT_MAX, status))
        return status;
    const bool toStdout = folder == QLatin1String("-");
    if (toStdout && call.severalDevices())
        return call.usage(QStringLiteral("-o - takes the files of one device; with several, name a folder "
                                         "(each device's files go into a folder named by its identifier)"));
    if (!toStdout && !QFileInfo(folder).isDir())
        return call.badInput(QStringLiteral("no such folder: %1 (create it first)").arg(folder));
    QStringList names;
    for (const QString& path : qAsConst(paths)) {
        QString dir, name;
        splitDevicePath(path, dir, name);
        if (names.contains(name))
            return call.usage(QStringLiteral("two files named %1 would be written to the same folder")
                                  .arg(name));
        names.append(name);
    }
    const auto destinationsIn = [&](const QString& into) {
        QList<ReadDestination> list;
        for (const QString& name : qAsConst(names))
            list.append(ReadDestination{toStdout, resume, QDir(into).filePath(name)});
        return list;
    };
    QList<ReadDestination> destinations = destinationsIn(folder);
    if (!call.severalDevices()) {
        status = checkDestinations(call, destinations);
        if (status != ExitOk)
            return status;
    }
    QList<DeviceFile> files;
    status = locateDeviceFiles(call, paths, files);
    if (status != ExitOk)
        return status;
    if (call.severalDevices()) {
        // Each device's files go into a folder of its own, named by its identifier.
        const QString own = QDir(folder).filePath(call.outputName(QStringLiteral("{key}")));
        if (!call.claimOutput(own, status))
            return status;
        if (!QDir().mkpath(own))
            return call.badInput(QStringLiteral("cannot create the folder %1").arg(own));
        destinations = destinationsIn(own);
        status = checkDestinations(call, destinations);
        if (status != ExitOk)
            return status;
    }

    QJsonArray written, received;
    for (int i = 0; i < files.size(); ++i) {
        const DeviceFile& file = files.at(i);
        if (call.interruptRequested())
            return call.interrupted();
        Reading reading(destinations.at(i), transfer::kReadChunk);
        const bool ok = transfer::readDeviceFile(
            &call.link(), reading.target(), static_cast<quint16>(file.dirIndex), file.name,
            call.console.report([&file](int) { return file.name; }, call.stop));
        call.console.endProgress();
        if (!ok)
            return reading.failed(call);
        if (!toStdout)
            written.append(destinations.at(i).path);
        received.append(reading.report(call, file.name));
        call.console.document().insert(QStringLiteral("written"), written);
        call.console.document().insert(QStringLiteral("files"), received);
    }
    call.console.log(QStringLiteral("File getting is complete"));
    return ExitOk;
}

int runDumpFlash(CommandCall& call)
{
    QString target = transfer::flashImageFileName();
    QString error;
    if (!takeOutputOption(call.args, target, error))
        return call.usage(error);
    const bool outputGiven = target != transfer::flashImageFileName();
    const bool resume = takeFlag(call.args, QStringLiteral("--resume"));
    QStringList extra;
    int status = 0;
    if (!call.operands(extra, 0, 0, status))
        return status;
    const bool toStdout = target == QLatin1String("-");
    if (call.severalDevices()) {
        // One image per device: a folder gets ID.bin, a file name needs {id} or {port}.
        if (toStdout)
            return call.usage(QStringLiteral("-o - takes the image of one device; with several, name a "
                                             "folder or a file name with {id} or {port}"));
        if (!outputGiven || QFileInfo(target).isDir())
            target = QDir(outputGiven ? target : QStringLiteral(".")).filePath(QStringLiteral("{key}.bin"));
        else if (!target.contains(QLatin1String("{id}")) && !target.contains(QLatin1String("{port}")))
            return call.usage(QStringLiteral("with several devices -o takes a folder or a file name with "
                                             "{id} or {port}, so that the images do not overwrite each other"));
    } else if (!toStdout && QFileInfo(target).isDir()) {
        target = QDir(target).filePath(transfer::flashImageFileName());
    }
    if (!toStdout && !QFileInfo(QFileInfo(target).absolutePath()).isDir())
        return call.badInput(QStringLiteral("no such folder for %1 (create it first)").arg(target));
    if (!call.severalDevices()) {
        status = checkDestinations(call, {ReadDestination{toStdout, resume, target}});
        if (status != ExitOk)
            return status;
    }
    if (!call.connect())
        return call.noDevice();
    if (call.severalDevices()) {
        target = call.outputName(target);
        if (!call.claimOutput(target, status))
            return status;
        status = checkDestinations(call, {ReadDestination{toStdout, resume, target}});
        if (status != ExitOk)
            return status;
    }
    const ReadDestination destination{toStdout, resume, target};

    Reading reading(destination, transfer::kFlashChunk);
    const bool ok = transfer::readFlashImage(&call.link(), reading.target(), reading.shownPath(),
                                             transfer::kFlashImageSize,
                                             call.console.report([&target](int) { return QFileInfo(target).fileName(); },
                                                                 call.stop));
    call.console.endProgress();
    if (!ok)
        return reading.failed(call);
    call.console.log(QStringLiteral("Flash reading is complete"));
    QJsonObject& doc = call.console.document();
    if (!toStdout)
        doc.insert(QStringLiteral("written"), target);
    doc.insert(QStringLiteral("bytes"), static_cast<qint64>(transfer::kFlashImageSize));
    doc.insert(QStringLiteral("files"), QJsonArray{reading.report(call, QFileInfo(target).fileName())});
    return ExitOk;
}

}  // namespace orvane::cli
