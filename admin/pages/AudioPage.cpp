// The "Audio" page: choosing the eight audio files and uploading them in one job.
#include <QDebug>
#include <QLineEdit>
#include <QProgressBar>

#include "admin/FileDialogs.h"
#include "admin/FileLoader.h"
#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"
#include "admin/TransferJobRunner.h"

namespace {
// Slot 8 also offers every file; the others only MP3 files.
void browseAudio(MainWindow* window, QLineEdit* field, bool anyFile) {
    const QString filter = anyFile ? MainWindow::tr("Audio (*.mp3);;All files (*.*)")
                                   : MainWindow::tr("Audio (*.mp3)");
    field->setText(orvane::dialogs::openFile(window, MainWindow::tr("Open File"), filter));
}
}  // namespace

void MainWindow::on_BtnAudioSel_1_clicked() { browseAudio(this, ui->EditAudioFile_1, false); }

void MainWindow::on_BtnAudioSel_2_clicked() { browseAudio(this, ui->EditAudioFile_2, false); }

void MainWindow::on_BtnAudioSel_3_clicked() { browseAudio(this, ui->EditAudioFile_3, false); }

void MainWindow::on_BtnAudioSel_4_clicked() { browseAudio(this, ui->EditAudioFile_4, false); }

void MainWindow::on_BtnAudioSel_5_clicked() { browseAudio(this, ui->EditAudioFile_5, false); }

void MainWindow::on_BtnAudioSel_6_clicked() { browseAudio(this, ui->EditAudioFile_6, false); }

void MainWindow::on_BtnAudioSel_7_clicked() { browseAudio(this, ui->EditAudioFile_7, false); }

void MainWindow::on_BtnAudioSel_8_clicked() { browseAudio(this, ui->EditAudioFile_8, true); }

void MainWindow::on_BtnGetAudioList_2_clicked() {
    if (TransferJobRunner::refuseIfBusy(this)) return;
    QList<TransferItem> items;
    for (QLineEdit* field : {ui->EditAudioFile_1, ui->EditAudioFile_2, ui->EditAudioFile_3,
                             ui->EditAudioFile_4, ui->EditAudioFile_5, ui->EditAudioFile_6,
                             ui->EditAudioFile_7, ui->EditAudioFile_8}) {
        if (!field->text().isEmpty()) items.append({field->text(), false});
    }
    TransferJobRunner::of(this)->start(new FileLoader(protocol, items), &FileLoader::doWork,
                                       &MainWindow::slotAudioDownloadFinish, "Flasher configured");
}

void MainWindow::slotAudioDownloadFinish() {
    qDebug() << "Uploading audio is complete";
    ui->progressStatus->hide();
}
