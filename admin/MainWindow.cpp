#include "admin/MainWindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBox>

#include "admin/MainWindowForm.h"
#include "device/connection/CandidateProbe.h"
#include "discovery/CandidatePorts.h"
#include "discovery/ConnectionSequence.h"
#include "forms/ScreenScale.h"
#include "forms/WidgetScaling.h"
#include "link/cUSB_CDC_Protocol.h"

MainWindow::MainWindow(QWidget* parent)
    : DeviceWindow(parent, cUSB_CDC_Protocol::kSetParamTimeoutAdmin), ui(new MainWindowForm)
{
    ui->setupForm(this);
    setWindowTitle(windowTitle() + QStringLiteral(" - ") + QLatin1String(kVersion));

    ui->statusbar->addPermanentWidget(ui->progressStatus, 0);
    ui->statusbar->addPermanentWidget(ui->labelStatus, 0);
    ui->progressStatus->setValue(0);
    ui->progressStatus->hide();
    ui->labelStatus->hide();

    ui->toolBox->setEnabled(false);
    ui->toolBox->setCurrentIndex(0);

    on_radioSecOpen_clicked();

    connection->setEffects({
        [this](const QString& line) { slotLog(line); },
        [this] { return ui->checkBoxSkipBootLdr->isChecked(); },
        [this] { enterConnectedState(); },
        [this] { ui->ButtonConnect->setEnabled(!jobRunning_); },
        [this] {
            slotLog(QStringLiteral("The Device Disconnected"));
            enterDisconnectedState();
        },
        nullptr,  // a port that cannot be opened is named in the log
        [this] { return jobRunning_; },
    });

    // Every widget of the form but the central widget and the group boxes, which follow in
    // their own step of the pass.
    const QList<QWidget*> groupBoxes{ui->groupBox_5, ui->groupBox_2, ui->groupBox_3,
                                     ui->FilesBox, ui->FirmwareBox};
    const QList<QWidget*> all = ui->formWidgets();
    for (QWidget* widget : all) {
        if (widget != ui->centralwidget && !groupBoxes.contains(widget))
            scaledWidgets.append(widget);
    }
    scaleWidgets(static_cast<float>(screenScaleFactor()));
}

MainWindow::~MainWindow()
{
    if (jobRunning_ && jobStop_)
        jobStop_();
    delete ui;
}

void MainWindow::listCandidatePorts(QStringList& out)
{
    orvane::listCandidatePorts(out);
}

void MainWindow::scaleWidgets(float factor)
{
    orvane::scaleFixedLayout(this, scaledWidgets,
                             {ui->groupBox_5, ui->groupBox_2, ui->groupBox_3, ui->FilesBox,
                              ui->FirmwareBox},
                             factor);
}

void MainWindow::slotLog(QString line)
{
    ui->GLog->append(line);
}

void MainWindow::slotProgress(int perc)
{
    ui->progressStatus->setValue(perc);
}

void MainWindow::on_ButClearLog_clicked()
{
    ui->GLog->clear();
}

bool MainWindow::beginJob(std::function<void()> stop)
{
    if (jobRunning_) {
        slotLog(QStringLiteral("A transfer is already running"));
        return false;
    }
    jobRunning_ = true;
    jobStop_ = std::move(stop);
    ui->ButtonConnect->setEnabled(false);
    return true;
}

void MainWindow::endJob()
{
    jobRunning_ = false;
    jobStop_ = nullptr;
    ui->ButtonConnect->setEnabled(!scanning);
}

void MainWindow::jobHasSaidItsLast()
{
    connection->deviceLost();
}
