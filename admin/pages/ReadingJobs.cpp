// Reading device files and the whole flash image into a local folder.
#include "admin/MainWindow.h"

void MainWindow::on_ButRead_clicked() {}

void MainWindow::on_ButReadFlash_clicked() {}

void MainWindow::slotFileReadingFinish() {}
