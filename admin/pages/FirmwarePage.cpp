// The "Firmware" page: choosing the image files, flashing them, clearing the update history.
#include <QDebug>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBox>

#include "admin/FileDialogs.h"
#include "admin/FileLoader.h"
#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"
#include "admin/TransferJobRunner.h"
#include "device/firmware/FirmwareUpdate.h"

namespace {
void browseFirmware(MainWindow* window, QLineEdit* field) {
    field->setText(orvane::dialogs::openFile(window, MainWindow::tr("Open File"),
                                             MainWindow::tr("Binaries (*.bin)")));
}
}  // namespace

void MainWindow::on_nRFFileSelect_clicked() { browseFirmware(this, ui->EditFWnRFfile); }

void MainWindow::on_ESPFileSelect_clicked() { browseFirmware(this, ui->EditFWESPfile); }

void MainWindow::on_loaderFileSelect_clicked() { browseFirmware(this, ui->EditFWloaderFile); }

void MainWindow::on_ButFlashDevice_clicked() {
    if (TransferJobRunner::refuseIfBusy(this)) return;
    QList<TransferItem> items;
    for (QLineEdit* field : {ui->EditFWnRFfile, ui->EditFWESPfile, ui->EditFWloaderFile}) {
        if (!field->text().isEmpty()) items.append({field->text(), true});
    }
    ui->toolBox->setEnabled(false);
    TransferJobRunner::of(this)->start(new FileLoader(protocol, items), &FileLoader::doWork,
                                       &MainWindow::slotDownloadFinish, "Flasher configured");
}

void MainWindow::on_ButClearRemoteHist_clicked() {
    orvane::firmware::clearUpdateHistory(protocol, [this](const QString& line) { slotLog(line); });
}

void MainWindow::slotDownloadFinish() {
    qDebug() << "Downloading is complete";
    // Images that are missing or cut short must not be installed.
    if (!TransferJobRunner::of(this)->lastJobSucceeded()) {
        slotLog(orvane::firmware::updateNotStartedLine());
        ui->progressStatus->hide();
        ui->toolBox->setEnabled(true);
        return;
    }
    // The lines so far become visible before the GUI thread blocks in the waits below.
    repaint();
    orvane::firmware::startFirmwareUpdate(protocol,
                                          [this](const QString& line) { slotLog(line); });
    ui->progressStatus->hide();
    enterDisconnectedState();
    // The device restarts under a new port; the search waits for it to come back.
    on_ButtonConnect_clicked();
}
