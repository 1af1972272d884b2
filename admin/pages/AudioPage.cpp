// The "Audio" page: choosing the eight audio files and uploading them in one job.
#include "admin/MainWindow.h"

void MainWindow::on_BtnAudioSel_1_clicked() {}

void MainWindow::on_BtnAudioSel_2_clicked() {}

void MainWindow::on_BtnAudioSel_3_clicked() {}

void MainWindow::on_BtnAudioSel_4_clicked() {}

void MainWindow::on_BtnAudioSel_5_clicked() {}

void MainWindow::on_BtnAudioSel_6_clicked() {}

void MainWindow::on_BtnAudioSel_7_clicked() {}

void MainWindow::on_BtnAudioSel_8_clicked() {}

void MainWindow::on_BtnGetAudioList_2_clicked() {}

void MainWindow::slotAudioDownloadFinish() {}
