#include "FlashImage.h"

#include <QDebug>

#include <vector>

#include "FileProgress.h"
#include "PartialFile.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane::transfer {

QString flashImageFileName() { return QStringLiteral("flashimage.bin"); }

bool readFlashImage(cUSB_CDC_Protocol* protocol, const QString& localPath, quint32 size,
                    const TransferReport& report) {
    PartialFile local(localPath);
    return readFlashImage(protocol, local, localPath, size, report);
}

bool readFlashImage(cUSB_CDC_Protocol* protocol, ReadTarget& local, const QString& shownPath,
                    quint32 size, const TransferReport& report) {
    if (!protocol || !protocol->opened) {
        report.fail(QStringLiteral("No COM ports open"));
        return false;
    }
    report.line(QStringLiteral("File to write to : ") + shownPath);
    if (!local.open()) {
        report.fail(QStringLiteral("File opening error"));
        return false;
    }
    qDebug() << "File is opened/created";
    report.line(QStringLiteral("The flash reader is processing"));
    FileProgress progress(report, size);
    progress.start();

    // Room for the largest count a reply can state, so that a device answering more than
    // asked cannot write past the buffer; such an answer is refused below.
    std::vector<uint8_t> chunk(0x10000);
    // A target that cannot take the image (an earlier part larger than it) ends the read.
    bool failed = !local.begin(size);
    quint32 done = failed ? 0 : quint32(local.resumeOffset());
    if (done > 0) {
        report.line(QStringLiteral("Continuing the earlier read from byte %1").arg(done));
        progress.advance(done);
    }
    while (!failed && done < size) {
        if (report.stopRequested()) {
            report.fail(stoppedLine());
            failed = true;
            break;
        }
        const quint16 asked = static_cast<quint16>(qMin<quint32>(size - done, kFlashChunk));
        quint16 count = asked;
        // No bytes would never advance; more than asked is not what was asked for.
        if (protocol->SendGetFlash(done, chunk.data(), count) || count == 0 || count > asked) {
            qDebug() << "SendGetFlash error. " << done << " Bytes read";
            report.fail(QStringLiteral("Unable to get the data from the device"));
            failed = true;
            break;
        }
        if (!local.write(chunk.data(), count)) {
            qDebug() << "Writing to the disk error. " << done << " Bytes read";
            report.fail(QStringLiteral("Unable to write the data to the disk"));
            failed = true;
            break;
        }
        done += count;
        progress.advance(done);
    }
    progress.finish();
    qDebug() << "Image file is closed";
    if (failed) {
        local.abandon();
        return false;
    }
    if (!local.commit()) {
        report.fail(QStringLiteral("Unable to write the data to the disk"));
        return false;
    }
    return true;
}

}  // namespace orvane::transfer
