// Connect and Disconnect, the search's slots and the identity display of the main window.
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolBox>

#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"
#include "device/connection/DeviceIdentity.h"
#include "device/text/PrintableText.h"
#include "discovery/ConnectionSequence.h"
#include "link/cUSB_CDC_Protocol.h"

void MainWindow::on_ButtonConnect_clicked()
{
    connection->buttonClicked(ui->ButtonConnect);
}

void MainWindow::enterConnectedState()
{
    ui->ButtonConnect->setEnabled(!jobRunning_);
    ui->ButtonConnect->setText(QStringLiteral("Disconnect"));
    ui->toolBox->setEnabled(true);
    showDeviceInfo(false);
}

void MainWindow::enterDisconnectedState()
{
    ui->toolBox->setEnabled(false);
    ui->ButtonConnect->setText(QStringLiteral("Connect"));
    showDeviceInfo(true);
}

void MainWindow::slotSearchEnd(QString& port, bool Simple)
{
    connection->searchEnd(port, Simple);
}

void MainWindow::slotScanPorts()
{
    connection->scanPass();
}

int MainWindow::showDeviceInfo(bool clear)
{
    if (clear) {
        ui->lineID->clear();
        ui->lineEthMAC->clear();
        ui->lineWifiMAC->clear();
        ui->lineFWver->clear();
        return 0;
    }
    orvane::DeviceIdentity identity;
    const bool complete = orvane::readDeviceIdentity(*protocol, identity);
    if (identity.macRead) {
        ui->lineWifiMAC->setText(identity.wifiMac);
        ui->lineEthMAC->setText(identity.ethMac);
    }
    if (identity.idRead)
        ui->lineID->setText(identity.id);
    if (identity.versionRead)
        ui->lineFWver->setText(orvane::printableText(identity.firmware));
    if (identity.modeRead)
        slotLog(orvane::modeLine(identity.mode));
    return complete ? 0 : 1;
}
