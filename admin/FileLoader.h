// The transfer worker: runs one upload, file-reading or flash-image job on a thread of its
// own and reports to the window only through the queued signals sigLog, sigProgress, sigFinish.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>

#include "device/transfer/TransferItem.h"
#include "device/transfer/TransferReport.h"

class cUSB_CDC_Protocol;

// Each job emits its log lines, per-file progress (0 first, changes only, 100 at the end of
// each file) and then sigFinish() exactly once, last. A job slot called on the wrong kind of
// worker writes a diagnostic line and emits nothing.
class FileLoader : public QObject {
    Q_OBJECT
public:
    // Flashing-access worker: runs doWork() over local paths.
    FileLoader(cUSB_CDC_Protocol* protocol, const QList<TransferItem>& items);
    // General-access worker: runs doGetFiles() or doGetFlashImage() into `folder`.
    FileLoader(cUSB_CDC_Protocol* protocol, const QList<TransferItem>& items,
               const QString& folder, quint16 dirIndex);

    // One file each; 0 on success, 1 on failure.
    int flashFile(const QString& path, bool toUpdates);
    int readDeviceFile(const QString& localPath, quint16 dirIndex, const QString& name);
    int readFlashImage(const QString& localPath, quint32 size);

    // Thread-safe: the running job stops after its current exchange.
    void requestStop() { stop_ = true; }
    // Whether the last job that ran reached its end without a failure.
    bool succeeded() const { return succeeded_; }

signals:
    void sigLog(QString line);
    void sigProgress(int Percent);
    void sigFinish();

public slots:
    void doWork();
    void doGetFiles();
    void doGetFlashImage();

private:
    orvane::transfer::TransferReport report();

    cUSB_CDC_Protocol* protocol;
    QList<TransferItem> items;
    QString folder;
    quint16 dirIndex;
    bool generalAccess;

    std::atomic<bool> stop_{false};
    std::atomic<bool> succeeded_{false};
};
