#include "FileLoader.h"

#include <QDebug>

#include "device/transfer/FileDownload.h"
#include "device/transfer/FileUpload.h"
#include "device/transfer/FlashImage.h"
#include "device/transfer/TransferJobs.h"

namespace tr = orvane::transfer;

FileLoader::FileLoader(cUSB_CDC_Protocol* protocol, const QList<TransferItem>& items)
    : QObject(nullptr), protocol(protocol), items(items), dirIndex(0), generalAccess(false) {}

FileLoader::FileLoader(cUSB_CDC_Protocol* protocol, const QList<TransferItem>& items,
                       const QString& folder, quint16 dirIndex)
    : QObject(nullptr),
      protocol(protocol),
      items(items),
      folder(folder),
      dirIndex(dirIndex),
      generalAccess(true) {}

tr::TransferReport FileLoader::report() {
    tr::TransferReport report;
    report.log = [this](const QString& line) { emit sigLog(line); };
    report.progress = [this](int percent) { emit sigProgress(percent); };
    report.stop = &stop_;
    return report;
}

int FileLoader::flashFile(const QString& path, bool toUpdates) {
    return tr::uploadFile(protocol, path, toUpdates, report()) ? 0 : 1;
}

int FileLoader::readDeviceFile(const QString& localPath, quint16 dirIndex, const QString& name) {
    return tr::readDeviceFile(protocol, localPath, dirIndex, name, report()) ? 0 : 1;
}

int FileLoader::readFlashImage(const QString& localPath, quint32 size) {
    return tr::readFlashImage(protocol, localPath, size, report()) ? 0 : 1;
}

void FileLoader::doWork() {
    if (generalAccess) {
        qDebug() << "General access instance is created";
        return;
    }
    succeeded_ = tr::runUploadJob(protocol, items, report());
    emit sigFinish();
}

void FileLoader::doGetFiles() {
    if (!generalAccess) {
        qDebug() << "Flashing access instance is created";
        return;
    }
    succeeded_ = tr::runReadFilesJob(protocol, items, folder, dirIndex, report());
    emit sigFinish();
}

void FileLoader::doGetFlashImage() {
    if (!generalAccess) {
        qDebug() << "Flashing access instance is created";
        return;
    }
    succeeded_ = tr::runFlashImageJob(protocol, folder, report());
    emit sigFinish();
}
