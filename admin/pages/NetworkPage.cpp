// The "Network Access" page: security states, channels, proxy, reading and writing the
// device's network configuration through the widget-free flows of device/config.
#include <QCheckBox>
#include <QDebug>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "admin/FileDialogs.h"
#include "admin/FileLoader.h"
#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"
#include "admin/TransferJobRunner.h"
#include "device/config/ConfigFlows.h"

using orvane::config::NetworkConfig;
using orvane::config::ReadOutcome;
using orvane::config::Security;

namespace {

// Which fields a security mode uses; returns the mode for securityMode.
int applySecurityState(MainWindowForm* ui, Security security)
{
    const bool eap = security == Security::Wpa2Enterprise;
    ui->EditSSID->setEnabled(true);
    ui->EditUsername->setEnabled(eap);
    ui->EditPassword->setEnabled(security != Security::Open);
    ui->EditKeyFName->setEnabled(eap);
    ui->EditCertFName->setEnabled(eap);
    ui->KeyFileSelect->setEnabled(eap);
    ui->CertFileSelect->setEnabled(eap);
    return int(security);
}

QRadioButton* radioFor(MainWindowForm* ui, Security security)
{
    switch (security) {
    case Security::Wpa: return ui->radioSecOpen_2;
    case Security::Wpa2Enterprise: return ui->radioSecOpen_3;
    case Security::Open: break;
    }
    return ui->radioSecOpen;
}

void enableProxyFields(MainWindowForm* ui, bool on)
{
    ui->EditProxyURL->setEnabled(on);
    ui->EditProxyPort->setEnabled(on);
    ui->EditProxyUsername->setEnabled(on);
    ui->EditProxyPassword->setEnabled(on);
}

Security securityOf(int mode)
{
    switch (mode) {
    case 1: return Security::Wpa;
    case 2: return Security::Wpa2Enterprise;
    default: return Security::Open;
    }
}

NetworkConfig configOnPage(MainWindowForm* ui, int securityMode)
{
    NetworkConfig c;
    c.wifiEnabled = ui->ChkWifiEn->isChecked();
    c.ethernetEnabled = ui->ChkEthEn->isChecked();
    c.security = securityOf(securityMode);
    c.ssid = ui->EditSSID->text();
    c.userName = ui->EditUsername->text();
    c.password = ui->EditPassword->text();
    c.keyPath = ui->EditKeyFName->text();
    c.certPath = ui->EditCertFName->text();
    c.proxyEnabled = ui->checkBoxProxyEnabled->isChecked();
    c.proxyUrl = ui->EditProxyURL->text();
    c.proxyPort = ui->EditProxyPort->text();
    c.proxyUserName = ui->EditProxyUsername->text();
    c.proxyPassword = ui->EditProxyPassword->text();
    return c;
}

}  // namespace

void MainWindow::on_checkBoxProxyEnabled_clicked()
{
    enableProxyFields(ui, ui->checkBoxProxyEnabled->checkState() == Qt::Checked);
}

void MainWindow::on_checkBoxAutoIP_clicked()
{
    ui->EditIPAddr->setEnabled(!ui->checkBoxAutoIP->isChecked());
}

// Cancelling a dialog empties the field: the dialog's answer is taken as it is.
void MainWindow::on_KeyFileSelect_clicked()
{
    ui->EditKeyFName->setText(orvane::dialogs::openFile(this, tr("Open File"), tr("Key (*.key)")));
}

void MainWindow::on_CertFileSelect_clicked()
{
    ui->EditCertFName->setText(
        orvane::dialogs::openFile(this, tr("Open File"), tr("Certificate (*.pem)")));
}

void MainWindow::on_radioEthOpt_clicked() { ui->groupBox_2->setEnabled(false); }

void MainWindow::on_radioWiFiOpt_clicked() { ui->groupBox_2->setEnabled(true); }

void MainWindow::on_radioSecOpen_clicked() { securityMode = applySecurityState(ui, Security::Open); }

void MainWindow::on_radioSecOpen_2_clicked() { securityMode = applySecurityState(ui, Security::Wpa); }

void MainWindow::on_radioSecOpen_3_clicked()
{
    securityMode = applySecurityState(ui, Security::Wpa2Enterprise);
}

// The check box's state changes need nothing: its clicks do the work.
void MainWindow::on_checkBoxAutoIP_stateChanged(int) {}

void MainWindow::on_checkBoxProxyEnabled_stateChanged(int) {}

void MainWindow::on_ChkWifiEn_clicked(bool checked) { ui->groupBox_2->setEnabled(checked); }

void MainWindow::on_ButtonConfigRead_clicked()
{
    using namespace orvane::config;
    NetworkConfig c = configOnPage(ui, securityMode);
    const ReadOutcome r = readNetworkConfig(protocol, c, [this](const QString& l) { slotLog(l); });
    // Only what the read reached changes; a failure leaves the rest of the page as it was.
    if (r.has(FieldChannels)) {
        ui->ChkWifiEn->setChecked(c.wifiEnabled);
        ui->ChkEthEn->setChecked(c.ethernetEnabled);
        ui->groupBox_2->setEnabled(c.wifiEnabled);
    }
    if (r.has(FieldSecurity)) {
        radioFor(ui, c.security)->setChecked(true);
        securityMode = applySecurityState(ui, c.security);
    }
    if (r.has(FieldSsid)) ui->EditSSID->setText(c.ssid);
    if (r.has(FieldUserName)) ui->EditUsername->setText(c.userName);
    if (r.has(FieldPassword)) ui->EditPassword->setText(c.password);
    if (r.has(FieldProxyUrl)) ui->EditProxyURL->setText(c.proxyUrl);
    if (r.has(FieldProxyPort)) ui->EditProxyPort->setText(c.proxyPort);
    if (r.has(FieldProxyUserName)) ui->EditProxyUsername->setText(c.proxyUserName);
    if (r.has(FieldProxyPassword)) ui->EditProxyPassword->setText(c.proxyPassword);
    if (r.has(FieldProxyEnabled)) {
        ui->checkBoxProxyEnabled->setChecked(c.proxyEnabled);
        enableProxyFields(ui, c.proxyEnabled);
    }
}

void MainWindow::on_ButtonConfigWrite_clicked()
{
    // The upload runs on its own thread while the remaining parameters are written here;
    // the link's lock keeps the two sets of exchanges apart.
    auto startUpload = [this](const QStringList& paths) {
        QList<TransferItem> items;
        for (const QString& path : paths) items.append(TransferItem{path, false});
        TransferJobRunner::of(this)->start(new FileLoader(protocol, items), &FileLoader::doWork,
                                           &MainWindow::slotConfigDownloadFinish, "Flasher configured");
    };
    orvane::config::writeNetworkConfig(protocol, configOnPage(ui, securityMode),
                                       [this](const QString& l) { slotLog(l); }, startUpload);
}

void MainWindow::slotConfigDownloadFinish()
{
    qDebug() << "Configuration uploading is complete";
    ui->progressStatus->hide();
}
