#include "TransferJobs.h"

#include <QDebug>

#include "FileDownload.h"
#include "FileUpload.h"
#include "FlashImage.h"

namespace orvane::transfer {

bool runUploadJob(cUSB_CDC_Protocol* protocol, const TransferItems& items,
                  const TransferReport& report) {
    qDebug() << "Flasher started";
    for (int i = 0; i < items.size(); ++i) {
        qDebug() << "File #" << i;
        const TransferItem& item = items.at(i);
        if (item.name.isEmpty()) break;
        if (report.stopRequested()) {
            report.line(stoppedLine());
            return false;
        }
        if (!uploadFile(protocol, item.name, item.toUpdates, report)) return false;
    }
    report.line(QStringLiteral("Firmware downloding is complete"));
    return true;
}

bool runReadFilesJob(cUSB_CDC_Protocol* protocol, const TransferItems& items,
                     const QString& folder, quint16 dirIndex, const TransferReport& report) {
    qDebug() << "Reader started";
    for (int i = 0; i < items.size(); ++i) {
        qDebug() << "File #" << i;
        const TransferItem& item = items.at(i);
        if (item.name.isEmpty()) break;
        if (report.stopRequested()) {
            report.line(stoppedLine());
            return false;
        }
        if (!readDeviceFile(protocol, folder + QLatin1Char('/') + item.name, dirIndex,
                            item.name, report))
            return false;
    }
    report.line(QStringLiteral("File getting is complete"));
    return true;
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
