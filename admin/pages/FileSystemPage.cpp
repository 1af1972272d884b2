// The file system group: listing directories and files, deleting files, formatting.
#include "admin/MainWindow.h"

void MainWindow::on_buttRefresh_clicked() {}

void MainWindow::on_DirSelectBox_currentIndexChanged(int) {}

void MainWindow::on_ButDelete_clicked() {}

void MainWindow::on_ButFormat_clicked() {}
