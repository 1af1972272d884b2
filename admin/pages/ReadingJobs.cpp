// Reading device files and the whole flash image into a local folder.
#include <QComboBox>
#include <QDebug>
#include <QListWidget>
#include <QProgressBar>

#include "admin/FileDialogs.h"
#include "admin/FileLoader.h"
#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"
#include "admin/TransferJobRunner.h"

void MainWindow::on_ButRead_clicked() {
    const QList<QListWidgetItem*> selected = ui->listOfFiles->selectedItems();
    if (selected.isEmpty()) {
        slotLog(QStringLiteral("No file selected"));
        return;
    }
    if (TransferJobRunner::refuseIfBusy(this)) return;
    const QString folder =
        orvane::dialogs::existingFolder(this, tr("Select Directory for files saving"));
    if (folder.isEmpty()) return;
    QList<TransferItem> items;
    for (const QListWidgetItem* item : selected) items.append({item->text(), false});
    const auto dirIndex = static_cast<quint16>(ui->DirSelectBox->currentIndex());
    TransferJobRunner::of(this)->start(new FileLoader(protocol, items, folder, dirIndex),
                                       &FileLoader::doGetFiles,
                                       &MainWindow::slotFileReadingFinish, "Reader configured");
}

void MainWindow::on_ButReadFlash_clicked() {
    if (TransferJobRunner::refuseIfBusy(this)) return;
    const QString folder =
        orvane::dialogs::existingFolder(this, tr("Select Directory for the flash image saving"));
    if (folder.isEmpty()) return;
    TransferJobRunner::of(this)->start(new FileLoader(protocol, {}, folder, 0),
                                       &FileLoader::doGetFlashImage,
                                       &MainWindow::slotFileReadingFinish, "Reader configured");
}

void MainWindow::slotFileReadingFinish() {
    qDebug() << "Reading files is complete";
    ui->progressStatus->hide();
}
