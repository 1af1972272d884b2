// The admin tool's main window: owns the form, the one device link and the page state, and
// maps the widgets onto the device work. Page slots live in admin/pages/, one file a page.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

#include "ProgramVersions.h"
#include "frame/DeviceWindow.h"

class MainWindowForm;

class MainWindow : public orvane::DeviceWindow {
    Q_OBJECT

public:
    static constexpr const char* kVersion = orvane::kAdminToolVersion;
    static constexpr int kDiskInfoSize = 200;
    static constexpr int kDirectories = 8;

    explicit MainWindow(QWidget* parent = nullptr);
    // Stops a running job (see beginJob); then the frame sends the leave command when the
    // port is open, waits 100 ms and closes the port.
    ~MainWindow() override;

    // The device's candidate ports (vendor 0x2C0D or 0x1915, then the virtual ports).
    static void listCandidatePorts(QStringList& out);

    // clear = true empties the four identity fields; otherwise reads the identity from the
    // device and fills them, stopping at the first failing query. 0 = every query succeeded.
    int showDeviceInfo(bool clear);

    // One job at a time. A page calls beginJob() before starting a worker job: it returns
    // false (and logs "A transfer is already running") when a job already runs, so nothing
    // must be started. Otherwise ButtonConnect is disabled until endJob(), which the job's
    // finish slot calls. `stop` is called when the window closes during the job: it must ask
    // the job to stop after its current exchange and return once the job's thread is done.
    bool beginJob(std::function<void()> stop = {});
    void endJob();
    // After the job's finish slot: a device lost during the job is let go now.
    void jobHasSaidItsLast();
    bool jobRunning() const { return jobRunning_; }

    // For tests and pages that need the widgets from outside (the link: link()).
    MainWindowForm* form() const { return ui; }

public slots:
    void on_ButtonConnect_clicked();
    void on_ButClearLog_clicked();
    void on_checkBoxProxyEnabled_clicked();
    void on_checkBoxAutoIP_clicked();
    void on_nRFFileSelect_clicked();
    void on_ESPFileSelect_clicked();
    void on_loaderFileSelect_clicked();
    void on_ButFlashDevice_clicked();
    void on_BtnAudioSel_1_clicked();
    void on_BtnAudioSel_2_clicked();
    void on_BtnAudioSel_3_clicked();
    void on_BtnAudioSel_4_clicked();
    void on_BtnAudioSel_5_clicked();
    void on_BtnAudioSel_6_clicked();
    void on_BtnAudioSel_7_clicked();
    void on_BtnAudioSel_8_clicked();
    void on_BtnGetAudioList_2_clicked();
    void on_ButClearRemoteHist_clicked();
    void on_KeyFileSelect_clicked();
    void on_CertFileSelect_clicked();
    void on_radioEthOpt_clicked();   // no widget of that name: never bound
    void on_radioWiFiOpt_clicked();  // no widget of that name: never bound
    void on_radioSecOpen_3_clicked();
    void on_radioSecOpen_clicked();
    void on_radioSecOpen_2_clicked();
    void on_checkBoxAutoIP_stateChanged(int arg1);
    void on_ButtonConfigWrite_clicked();
    void on_ButtonConfigRead_clicked();
    void on_ButFormat_clicked();
    void on_checkBoxProxyEnabled_stateChanged(int arg1);
    void on_buttRefresh_clicked();
    void on_DirSelectBox_currentIndexChanged(int index);
    void on_ButRead_clicked();
    void on_ButDelete_clicked();
    void on_ChkWifiEn_clicked(bool checked);
    void on_ButReadFlash_clicked();
    void slotSearchEnd(QString& port, bool Simple);
    void slotScanPorts();
    void slotLog(QString line);
    void slotProgress(int perc);
    void slotDownloadFinish();
    void slotAudioDownloadFinish();
    void slotFileReadingFinish();
    void slotConfigDownloadFinish();

protected:
    // Moves and resizes the window and every widget of scaledWidgets by `factor` (once, at
    // construction).
    void scaleWidgets(float factor);

    MainWindowForm* ui;
    int securityMode = 0;  // 0 = Open, 1 = WPA, 2 = WPA2-Enterprise
    uint8_t diskInfo[kDiskInfoSize] = {};
    QStringList dirFiles[kDirectories];

private:
    void enterConnectedState();
    void enterDisconnectedState();

    bool jobRunning_ = false;
    std::function<void()> jobStop_;
};
