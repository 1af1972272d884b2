#include "FileDownload.h"

#include <QDebug>

#include "DeviceNames.h"
#include "FileProgress.h"
#include "PartialFile.h"
#include "RequestFailure.h"
#include "device/text/PrintableText.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane::transfer {

bool readDeviceFile(cUSB_CDC_Protocol* protocol, const QString& localPath, quint16 dirIndex,
                    const QString& name, const TransferReport& report) {
    PartialFile local(localPath);
    return readDeviceFile(protocol, local, dirIndex, name, report);
}

bool readDeviceFile(cUSB_CDC_Protocol* protocol, ReadTarget& local, quint16 dirIndex,
                    const QString& name, const TransferReport& report) {
    if (!protocol || !protocol->opened) {
        report.fail(QStringLiteral("No COM ports open"));
        return false;
    }
    report.line(QStringLiteral("File for reading: ") + printableText(name));
    // The name becomes part of a local path: nothing may be written outside the folder.
    if (!isSafeLocalFileName(name)) {
        report.fail(QStringLiteral("Unsafe file name from the device: ") + printableText(name));
        return false;
    }
    // A longer name would be cut by the link and name another file.
    if (!fitsNameField(name, cUSB_CDC_Protocol::kReadNameField)) {
        report.fail(QStringLiteral("File name is too long for the device: ") + printableText(name));
        return false;
    }

    if (!local.open()) {
        report.fail(QStringLiteral("File opening error"));
        return false;
    }
    qDebug() << "File is opened/created";

    quint32 size = 0;
    cUSB_CDC_Protocol::Failure why = cUSB_CDC_Protocol::Failure::None;
    if (protocol->SendStartFileRead(dirIndex, name, size, &why)) {
        qDebug() << "Error at SendStartESP";
        report.fail(requestFailedLine(FileRequest::Read, why, name));
        return false;
    }
    qDebug() << "File Start sent";
    report.line(QStringLiteral("Starting the file getting"));
    FileProgress progress(report, size);
    progress.start();

    // A target that cannot take this file (an earlier part larger than it) ends the read.
    bool failed = !local.begin(size);
    quint32 done = failed ? 0 : quint32(local.resumeOffset());
    if (done > 0) {
        report.line(QStringLiteral("Continuing the earlier read from byte %1").arg(done));
        progress.advance(done);
    }
    uint8_t chunk[kReadChunk];
    QString errorText;
    while (!failed && done < size) {
        if (report.stopRequested()) {
            report.fail(stoppedLine());
            failed = true;
            break;
        }
        const quint32 count = qMin<quint32>(size - done, kReadChunk);
        errorText.clear();
        if (protocol->SendReadFile(done, chunk, count, errorText)) {
            qDebug() << "SendReadFile error. " << done << " Bytes read";
            report.fail(QStringLiteral("Unable to get the data from the device"));
            if (!errorText.isEmpty()) report.line(errorText);
            failed = true;
            break;
        }
        if (!local.write(chunk, count)) {
            qDebug() << "Writing to the disk error. " << done << " Bytes read";
            report.fail(QStringLiteral("Unable to write the data to the disk"));
            failed = true;
            break;
        }
        done += count;
        progress.advance(done);
    }
    progress.finish();
    qDebug() << "File closed";

    // Sent also after a failed chunk, so that the device ends its read.
    const bool endFailed = protocol->SendEndFileRead(&why);
    if (!endFailed) qDebug() << "File End sent";
    // After a failed chunk the job has already said why.
    if (endFailed && !failed) report.fail(requestFailedLine(FileRequest::FinishReading, why, name));
    if (failed || endFailed) {
        local.abandon();
        return false;
    }
    if (!local.commit()) {
        report.fail(QStringLiteral("Unable to write the data to the disk"));
        return false;
    }
    report.line(printableText(name) + QStringLiteral(" file was successfully received"));
    return true;
}

}  // namespace orvane::transfer
