#include "FileUpload.h"

#include <QDebug>
#include <QFile>

#include "DeviceNames.h"
#include "FileProgress.h"
#include "RequestFailure.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane::transfer {

namespace {
// The file-start command carries the size in 32 bits.
constexpr qint64 kLargestUpload = 0xFFFFFFFFLL;
}  // namespace

bool uploadFile(cUSB_CDC_Protocol* protocol, const QString& path, bool toUpdates,
                const TransferReport& report) {
    if (!protocol || !protocol->opened) {
        report.fail(QStringLiteral("No COM port open"));
        return false;
    }
    const QString localName = localFileName(path);
    const QString deviceName = deviceFileName(path, toUpdates);
    report.line(QStringLiteral("File for flashing: Updates/") + localName);

    // The link would cut a longer name and store the file under a different one.
    if (!fitsNameField(deviceName, cUSB_CDC_Protocol::kUploadNameField)) {
        report.fail(QStringLiteral("File name is too long for the device: ") + deviceName);
        return false;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestUpload) {
        report.fail(QStringLiteral("File opening error"));
        return false;
    }
    qDebug() << "File opened";
    const quint32 size = static_cast<quint32>(file.size());

    cUSB_CDC_Protocol::Failure why = cUSB_CDC_Protocol::Failure::None;
    if (protocol->SendStartESP(deviceName, size, &why)) {
        qDebug() << "Error on SendStartESP";
        report.fail(requestFailedLine(FileRequest::Store, why, deviceName));
        return false;
    }
    qDebug() << "File Start sent";
    report.line(QStringLiteral("Starting file flashing"));
    FileProgress progress(report, size);
    progress.start();

    // A refused or unanswered chunk fails the file: the device would otherwise keep a
    // truncated copy that looks complete.
    bool chunkFailed = false;
    quint32 offset = 0;
    char chunk[kUploadChunk];
    while (offset < size) {
        if (report.stopRequested()) {
            report.fail(stoppedLine());
            chunkFailed = true;
            break;
        }
        const qint64 got = file.read(chunk, kUploadChunk);
        if (got <= 0) {
            report.fail(QStringLiteral("Can't read ESP firmware file"));
            return false;
        }
        if (protocol->SendWriteESP(offset, reinterpret_cast<const uint8_t*>(chunk),
                                   static_cast<quint32>(got))) {
            qDebug() << "SendWriteESP error." << offset << " Bytes read";
            report.fail(QStringLiteral("Can't send ESP firmware file"));
            chunkFailed = true;
            break;
        }
        offset += static_cast<quint32>(got);
        progress.advance(offset);
    }
    progress.finish();
    file.close();
    qDebug() << "File closed";

    // Sent also after a failed chunk, so that the device closes its file.
    if (protocol->SendEndESP(&why)) {
        // After a failed chunk the job has already said why.
        if (!chunkFailed) report.fail(requestFailedLine(FileRequest::FinishStoring, why, deviceName));
        return false;
    }
    qDebug() << "File End sent";
    if (chunkFailed) return false;
    report.line(localName + QStringLiteral(" file was successfully downloaded"));
    return true;
}

}  // namespace orvane::transfer
