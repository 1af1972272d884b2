// The file system group: listing directories and files, deleting files, formatting, through
// the widget-free flows of device/filesystem.
#include <QComboBox>
#include <QListWidget>

#include <algorithm>
#include <cstring>

#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"
#include "device/filesystem/FileSystemFlows.h"

namespace {
int listedDirectories(const uint8_t* record)
{
    orvane::fs::DiskInfo info;
    std::memcpy(info.data(), record, info.size());
    return orvane::fs::listedDirectoryCount(info);
}
}  // namespace

void MainWindow::on_buttRefresh_clicked()
{
    using orvane::fs::Listing;
    const Listing listing = orvane::fs::listFileSystem(protocol, [this](const QString& l) { slotLog(l); });
    if (listing.status == Listing::DiskInfoFailed) return;
    static_assert(sizeof(diskInfo) == orvane::fs::kDiskInfoSize, "disk record size");
    std::memcpy(diskInfo, listing.record.data(), sizeof(diskInfo));
    ui->DirSelectBox->clear();
    for (int i = 0; i < listing.directories.size() && i < kDirectories; ++i) {
        dirFiles[i] = listing.directories[i].files;
        ui->DirSelectBox->addItem(listing.directories[i].name);
    }
    // A complete listing shows directory 0; an interrupted one leaves the list empty, as the
    // listing was not finished; with no directories nothing stale is shown.
    ui->listOfFiles->clear();
    if (listing.status == Listing::Complete && !listing.directories.isEmpty())
        ui->listOfFiles->addItems(dirFiles[0]);
}

void MainWindow::on_DirSelectBox_currentIndexChanged(int index)
{
    if (index < 0 || index >= listedDirectories(diskInfo)) return;
    ui->listOfFiles->clear();
    ui->listOfFiles->addItems(dirFiles[index]);
}

void MainWindow::on_ButDelete_clicked()
{
    QStringList names;
    for (const QListWidgetItem* item : ui->listOfFiles->selectedItems()) names << item->text();
    orvane::fs::deleteFiles(protocol, ui->DirSelectBox->currentText(), names,
                            [this](const QString& l) { slotLog(l); });
}

void MainWindow::on_ButFormat_clicked()
{
    orvane::fs::formatFlash(protocol, [this](const QString& l) { slotLog(l); });
}
