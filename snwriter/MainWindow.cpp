#include "snwriter/MainWindow.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "device/connection/DeviceIdentity.h"
#include "device/connection/IdentifierWrite.h"
#include "discovery/ConnectionSequence.h"
#include "forms/ScreenScale.h"
#include "forms/WidgetScaling.h"
#include "link/cUSB_CDC_Protocol.h"
#include "snwriter/MainWindowForm.h"

namespace snwriter {

MainWindow::MainWindow(QWidget* parent)
    : DeviceWindow(parent, cUSB_CDC_Protocol::kSetParamTimeoutSnWriter), ui(new MainWindowForm)
{
    ui->setupForm(this);
    setWindowTitle(windowTitle() + QStringLiteral(" - ") + QLatin1String(kVersion));

    // No log pane: the sequence writes only its diagnostic traces. A port that cannot be
    // opened (most often for want of permission) is said in a message box, or the operator
    // would only ever see the search dialog waiting.
    connection->setEffects({
        nullptr,
        [this] { return ui->checkBoxSkipBootLdr->isChecked(); },
        [this] { enterConnectedState(); },
        [this] { ui->ButtonConnect->setEnabled(true); },
        [this] { enterDisconnectedState(); },
        [this](const QString& line) {
            QMessageBox box;
            showMessage(box, line);
        },
        nullptr,  // no jobs: a lost device is let go at once
    });

    scaledWidgets << ui->ButtonConnect << ui->label << ui->lineID << ui->checkBoxSkipBootLdr
                  << ui->lineID_new << ui->ButtonSet << ui->label_IDnew;
    orvane::scaleFixedLayout(this, scaledWidgets, {}, static_cast<float>(screenScaleFactor()));
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::on_ButtonConnect_clicked()
{
    connection->buttonClicked(ui->ButtonConnect);
}

void MainWindow::enterConnectedState()
{
    ui->ButtonConnect->setEnabled(true);
    ui->ButtonConnect->setText(QStringLiteral("Disconnect"));
    ui->lineID_new->setEnabled(true);
    ui->ButtonSet->setEnabled(true);
    showDeviceInfo(false);
}

void MainWindow::enterDisconnectedState()
{
    ui->lineID_new->setEnabled(false);
    ui->ButtonSet->setEnabled(false);
    ui->ButtonConnect->setText(QStringLiteral("Connect"));
    showDeviceInfo(true);
}

void MainWindow::slotScanPorts() { connection->scanPass(); }
void MainWindow::slotSearchEnd(QString& port, bool Simple) { connection->searchEnd(port, Simple); }

int MainWindow::showDeviceInfo(bool clear)
{
    if (clear) {
        ui->lineID->clear();
        return 0;
    }
    // The MAC addresses, firmware version and mode are asked for as the admin tool asks,
    // but this window has no field for them.
    orvane::DeviceIdentity identity;
    const bool complete = orvane::readDeviceIdentity(*protocol, identity);
    if (identity.idRead)
        ui->lineID->setText(identity.id);
    return complete ? 0 : 1;
}

void MainWindow::on_lineID_new_valueChanged(double arg1)
{
    const double rounded = orvane::roundHalfUp(arg1);
    if (rounded != arg1)
        ui->lineID_new->setValue(rounded);
}

void MainWindow::showMessage(QMessageBox& box, const QString& text)
{
    if (presenter_) {
        presenter_(text);
        return;
    }
    box.setText(text);
    box.exec();
}

void MainWindow::on_ButtonSet_clicked()
{
    const quint64 id = orvane::identifierFromEntry(ui->lineID_new->value());
    // No parent: application-modal, the toolkit's single OK button, no title or icon.
    QMessageBox box;
    const orvane::IdentifierWrite result = orvane::writeIdentifier(*protocol, id, [&] {
        showMessage(box, QStringLiteral("The serial number has been written successfully"));
    });
    if (!result.written) {
        showMessage(box, QStringLiteral("An error occurred during writing the serial number"));
        return;
    }
    if (!result.readBack) {
        showMessage(box, QStringLiteral("An error occurred during checking the serial number"));
        return;
    }
    ui->lineID->setText(QString::number(result.id));
}

}  // namespace snwriter
