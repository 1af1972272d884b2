#include "TransferJobs.h"

#include <QDebug>

#include "FileDownload.h"
#include "FileUpload.h"
#include "FlashImage.h"

namespace orvane::transfer {

namespace {

// Runs `transferOne` for each item up to the first empty name. A stop request is honoured
// between files only, so no file is left half sent; the first failing file ends the job.
template <typename TransferOne>
bool forEachItem(const TransferItems& items, const TransferReport& report, TransferOne transferOne) {
    for (int i = 0; i < items.size(); ++i) {
        qDebug() << "File #" << i;
        const TransferItem& item = items.at(i);
        if (item.name.isEmpty()) break;
        if (report.stopRequested()) {
            report.fail(stoppedLine());
            return false;
        }
        if (!transferOne(item)) return false;
    }
    return true;
}

}  // namespace

bool runUploadJob(cUSB_CDC_Protocol* protocol, const TransferItems& items,
                  const TransferReport& report) {
    qDebug() << "Flasher started";
    const bool ok = forEachItem(items, report, [&](const TransferItem& item) {
        return uploadFile(protocol, item.name, item.toUpdates, report);
    });
    if (ok) report.line(QStringLiteral("Firmware downloding is complete"));
    return ok;
}

bool runReadFilesJob(cUSB_CDC_Protocol* protocol, const TransferItems& items,
                     const QString& folder, quint16 dirIndex, const TransferReport& report) {
    qDebug() << "Reader started";
    const bool ok = forEachItem(items, report, [&](const TransferItem& item) {
        return readDeviceFile(protocol, folder + QLatin1Char('/') + item.name, dirIndex,
                              item.name, report);
    });
    if (ok) report.line(QStringLiteral("File getting is complete"));
    return ok;
}

bool runFlashImageJob(cUSB_CDC_Protocol* protocol, const QString& folder,
                      const TransferReport& report) {
    qDebug() << "Reader started";
    const bool ok = readFlashImage(protocol, folder + QLatin1Char('/') + flashImageFileName(),
                                   kFlashImageSize, report);
    if (ok) report.line(QStringLiteral("Flash reading is complete"));
    return ok;
}

}  // namespace orvane::transfer
