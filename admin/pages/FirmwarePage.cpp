// The "Firmware" page: choosing the image files, flashing them, clearing the update history.
#include "admin/MainWindow.h"

void MainWindow::on_nRFFileSelect_clicked() {}

void MainWindow::on_ESPFileSelect_clicked() {}

void MainWindow::on_loaderFileSelect_clicked() {}

void MainWindow::on_ButFlashDevice_clicked() {}

void MainWindow::on_ButClearRemoteHist_clicked() {}

void MainWindow::slotDownloadFinish() {}
