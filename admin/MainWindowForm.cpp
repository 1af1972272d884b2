#include "admin/MainWindowForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMainWindow>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBox>

#include "forms/FixedForm.h"

using namespace orvane::form;

namespace {

QLineEdit* makeDisabledEdit(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    QLineEdit* edit = make<QLineEdit>(parent, name, x, y, w, h, Font::Arial);
    edit->setEnabled(false);
    return edit;
}

}  // namespace

void MainWindowForm::setupForm(QMainWindow* MainWindow)
{
    setupFixedMainWindow(MainWindow, QSize(820, 586));

    centralwidget = new QWidget(MainWindow);
    centralwidget->setObjectName(QStringLiteral("centralwidget"));

    // Top area: connection and identity.
    ButtonConnect = make<QPushButton>(centralwidget, "ButtonConnect", 50, 10, 90, 21, Font::Shell);
    label = makeLabel(centralwidget, "label", 190, 10, 91, 21, Font::Shell, kRight);
    labEthMac = makeLabel(centralwidget, "labEthMac", 190, 40, 91, 21, Font::Shell, kRight);
    labWiFiMac = makeLabel(centralwidget, "labWiFiMac", 520, 40, 91, 21, Font::Shell, kRight);
    label_4 = makeLabel(centralwidget, "label_4", 520, 10, 91, 21, Font::Shell, kRight);
    lineID = make<QLineEdit>(centralwidget, "lineID", 290, 10, 191, 20, Font::Shell);
    lineID->setReadOnly(true);
    lineEthMAC = make<QLineEdit>(centralwidget, "lineEthMAC", 290, 40, 191, 20, Font::Shell);
    lineEthMAC->setReadOnly(true);
    lineFWver = make<QLineEdit>(centralwidget, "lineFWver", 620, 10, 191, 20, Font::Shell);
    lineFWver->setReadOnly(true);
    lineWifiMAC = make<QLineEdit>(centralwidget, "lineWifiMAC", 620, 40, 191, 20, Font::Shell);
    lineWifiMAC->setReadOnly(true);
    progressStatus = make<QProgressBar>(centralwidget, "progressStatus", 440, 560, 141, 23,
                                        Font::Shell);
    progressStatus->setValue(50);
    labelStatus = makeLabel(centralwidget, "labelStatus", 590, 560, 221, 21, Font::Shell, kLeft);

    // Log group.
    groupBox_5 = make<QGroupBox>(centralwidget, "groupBox_5", 10, 440, 801, 120, Font::Shell);
    groupBox_5->setMinimumSize(QSize(500, 50));
    ButClearLog = make<QPushButton>(groupBox_5, "ButClearLog", 730, 90, 61, 20, Font::Shell);
    GLog = make<QTextEdit>(groupBox_5, "GLog", 10, 30, 711, 81, Font::Shell);

    toolBox = make<QToolBox>(centralwidget, "toolBox", 10, 70, 800, 371, Font::Shell);
    toolBox->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));

    // Page "Network Access".
    page = new QWidget();
    page->setObjectName(QStringLiteral("page"));
    page->setGeometry(QRect(0, 0, 800, 275));

    groupBox_2 = make<QGroupBox>(page, "groupBox_2", 0, 70, 391, 211, Font::Arial);
    groupBox_2->setEnabled(false);
    const QLocale usEnglish(QLocale::English, QLocale::UnitedStates);
    label_6 = makeLabel(groupBox_2, "label_6", 10, 19, 91, 21, Font::Shell, kRight);
    radioSecOpen = make<QRadioButton>(groupBox_2, "radioSecOpen", 110, 20, 61, 21, Font::Shell);
    radioSecOpen->setLocale(usEnglish);
    radioSecOpen->setChecked(true);
    radioSecOpen_2 = make<QRadioButton>(groupBox_2, "radioSecOpen_2", 180, 20, 61, 21, Font::Shell);
    radioSecOpen_2->setLocale(usEnglish);
    radioSecOpen_3 = make<QRadioButton>(groupBox_2, "radioSecOpen_3", 250, 20, 131, 21, Font::Shell);
    radioSecOpen_3->setLocale(usEnglish);
    label_7 = makeLabel(groupBox_2, "label_7", 10, 60, 71, 21, Font::Shell, kLeft);
    label_8 = makeLabel(groupBox_2, "label_8", 10, 90, 71, 21, Font::Shell, kLeft);
    label_9 = makeLabel(groupBox_2, "label_9", 10, 120, 71, 21, Font::Shell, kLeft);
    label_10 = makeLabel(groupBox_2, "label_10", 10, 150, 71, 21, Font::Shell, kLeft);
    label_11 = makeLabel(groupBox_2, "label_11", 10, 180, 71, 21, Font::Shell, kLeft);
    EditSSID = makeDisabledEdit(groupBox_2, "EditSSID", 90, 60, 291, 20);
    EditUsername = makeDisabledEdit(groupBox_2, "EditUsername", 90, 90, 291, 20);
    EditPassword = makeDisabledEdit(groupBox_2, "EditPassword", 90, 120, 291, 20);
    EditKeyFName = makeDisabledEdit(groupBox_2, "EditKeyFName", 90, 150, 251, 20);
    EditCertFName = makeDisabledEdit(groupBox_2, "EditCertFName", 90, 180, 251, 20);
    KeyFileSelect = make<QPushButton>(groupBox_2, "KeyFileSelect", 350, 150, 30, 20);
    KeyFileSelect->setEnabled(false);
    CertFileSelect = make<QPushButton>(groupBox_2, "CertFileSelect", 350, 180, 30, 20);
    CertFileSelect->setEnabled(false);

    ButtonConfigWrite = make<QPushButton>(page, "ButtonConfigWrite", 630, 10, 170, 20, Font::Shell);
    ButtonConfigRead = make<QPushButton>(page, "ButtonConfigRead", 400, 10, 170, 20, Font::Shell);
    LblEnChannels = makeLabel(page, "LblEnChannels", 13, 10, 111, 21, Font::Shell, kRight);

    groupBox_3 = make<QGroupBox>(page, "groupBox_3", 400, 40, 400, 181, Font::Shell);
    checkBoxProxyEnabled = make<QCheckBox>(groupBox_3, "checkBoxProxyEnabled", 20, 20, 131, 21,
                                           Font::Shell);
    label_URL = makeLabel(groupBox_3, "label_URL", 10, 60, 61, 21, Font::Shell, kLeft);
    label_URL_2 = makeLabel(groupBox_3, "label_URL_2", 10, 90, 61, 21, Font::Arial, kLeft);
    // 10 pixels wider than the other proxy labels: at 61, "Username:" in Arial 10 point
    // loses its colon; the field starts at 90, so the label still ends clear of it.
    label_URL_3 = makeLabel(groupBox_3, "label_URL_3", 10, 120, 71, 21, Font::Arial, kLeft);
    label_URL_4 = makeLabel(groupBox_3, "label_URL_4", 10, 150, 61, 21, Font::Arial, kLeft);
    EditProxyURL = makeDisabledEdit(groupBox_3, "EditProxyURL", 90, 60, 301, 20);
    EditProxyPort = makeDisabledEdit(groupBox_3, "EditProxyPort", 90, 90, 51, 20);
    EditProxyUsername = makeDisabledEdit(groupBox_3, "EditProxyUsername", 90, 120, 301, 20);
    EditProxyPassword = makeDisabledEdit(groupBox_3, "EditProxyPassword", 90, 150, 301, 20);

    label_12 = makeLabel(page, "label_12", 20, 40, 71, 21, Font::Shell, kLeft);
    checkBoxAutoIP = make<QCheckBox>(page, "checkBoxAutoIP", 250, 40, 131, 21, Font::Shell);
    checkBoxAutoIP->setEnabled(false);
    checkBoxAutoIP->setChecked(true);
    EditIPAddr = makeDisabledEdit(page, "EditIPAddr", 100, 40, 121, 20);
    ButtonSaveConfig = make<QPushButton>(page, "ButtonSaveConfig", 440, 240, 131, 21, Font::Shell);
    ButtonSaveConfig->setEnabled(false);
    ButtonReadConfig = make<QPushButton>(page, "ButtonReadConfig", 630, 240, 131, 21, Font::Shell);
    ButtonReadConfig->setEnabled(false);
    ChkWifiEn = make<QCheckBox>(page, "ChkWifiEn", 140, 10, 61, 21);
    ChkEthEn = make<QCheckBox>(page, "ChkEthEn", 210, 10, 91, 21);
    toolBox->addItem(page, QIcon(), tr("Network Access"));

    // Page "Audio": row 1 is created in a different order from rows 2 to 8.
    page_2 = new QWidget();
    page_2->setObjectName(QStringLiteral("page_2"));
    page_2->setGeometry(QRect(0, 0, 800, 275));
    QLabel** labels[8] = {&LabelAudio_1, &LabelAudio_2, &LabelAudio_3, &LabelAudio_4,
                          &LabelAudio_5, &LabelAudio_6, &LabelAudio_7, &LabelAudio_8};
    QLineEdit** edits[8] = {&EditAudioFile_1, &EditAudioFile_2, &EditAudioFile_3,
                            &EditAudioFile_4, &EditAudioFile_5, &EditAudioFile_6,
                            &EditAudioFile_7, &EditAudioFile_8};
    QPushButton** selects[8] = {&BtnAudioSel_1, &BtnAudioSel_2, &BtnAudioSel_3, &BtnAudioSel_4,
                                &BtnAudioSel_5, &BtnAudioSel_6, &BtnAudioSel_7, &BtnAudioSel_8};
    QPushButton** saves[8] = {&BtnAudioSave_1, &BtnAudioSave_2, &BtnAudioSave_3,
                              &BtnAudioSave_4, &BtnAudioSave_5, &BtnAudioSave_6,
                              &BtnAudioSave_7, &BtnAudioSave_8};
    QPushButton** deletes[8] = {&BtnAudioDelete_1, &BtnAudioDelete_2, &BtnAudioDelete_3,
                                &BtnAudioDelete_4, &BtnAudioDelete_5, &BtnAudioDelete_6,
                                &BtnAudioDelete_7, &BtnAudioDelete_8};
    for (int row = 0; row < 8; ++row) {
        const int y = 10 + 30 * row;
        const QByteArray n = QByteArray::number(row + 1);
        auto makeRowLabel = [&] {
            *labels[row] = makeLabel(page_2, ("LabelAudio_" + n).constData(), 0, y, 81, 21,
                                     Font::Shell, kLeft);
        };
        auto makeEdit = [&] {
            *edits[row] = make<QLineEdit>(page_2, ("EditAudioFile_" + n).constData(), 80, y, 481,
                                          20, Font::Shell);
        };
        auto makeSelect = [&] {
            *selects[row] = make<QPushButton>(page_2, ("BtnAudioSel_" + n).constData(), 570, y,
                                              30, 20, Font::Shell);
        };
        auto makeSave = [&] {
            *saves[row] = make<QPushButton>(page_2, ("BtnAudioSave_" + n).constData(), 620, y, 81,
                                            20, Font::Shell);
        };
        auto makeDelete = [&] {
            *deletes[row] = make<QPushButton>(page_2, ("BtnAudioDelete_" + n).constData(), 719, y,
                                              81, 20, Font::Shell);
        };
        if (row == 0) {
            makeEdit();
            makeSelect();
            makeSave();
            makeDelete();
            makeRowLabel();
        } else {
            makeRowLabel();
            makeEdit();
            makeDelete();
            makeSelect();
            makeSave();
        }
    }
    BtnGetAudioList = make<QPushButton>(page_2, "BtnGetAudioList", 20, 250, 181, 20, Font::Shell);
    BtnGetAudioList_2 = make<QPushButton>(page_2, "BtnGetAudioList_2", 310, 250, 181, 20,
                                          Font::Shell);
    BtnGetAudioList_3 = make<QPushButton>(page_2, "BtnGetAudioList_3", 600, 250, 181, 20,
                                          Font::Shell);
    toolBox->addItem(page_2, QIcon(), tr("Audio"));

    // Page "Firmware".
    page_3 = new QWidget();
    page_3->setObjectName(QStringLiteral("page_3"));
    page_3->setGeometry(QRect(0, 0, 800, 275));
    FirmwareBox = make<QGroupBox>(page_3, "FirmwareBox", 0, 0, 441, 281);
    nRFFileSelect = make<QPushButton>(FirmwareBox, "nRFFileSelect", 400, 60, 30, 20);
    labelFWnRF = makeLabel(FirmwareBox, "labelFWnRF", 10, 30, 81, 21, Font::Shell, kLeft);
    loaderFileSelect = make<QPushButton>(FirmwareBox, "loaderFileSelect", 400, 180, 30, 20);
    EditFWnRFfile = make<QLineEdit>(FirmwareBox, "EditFWnRFfile", 10, 60, 391, 20, Font::Arial);
    ESPFileSelect = make<QPushButton>(FirmwareBox, "ESPFileSelect", 400, 120, 30, 20);
    ButClearRemoteHist = make<QPushButton>(FirmwareBox, "ButClearRemoteHist", 10, 250, 141, 20);
    EditFWloaderFile = make<QLineEdit>(FirmwareBox, "EditFWloaderFile", 10, 180, 391, 20,
                                       Font::Arial);
    ButFlashDevice = make<QPushButton>(FirmwareBox, "ButFlashDevice", 290, 250, 141, 20);
    labelFWnRF_2 = makeLabel(FirmwareBox, "labelFWnRF_2", 10, 90, 81, 21, Font::Shell, kLeft);
    labelFWnRF_3 = makeLabel(FirmwareBox, "labelFWnRF_3", 10, 150, 81, 21, Font::Shell, kLeft);
    EditFWESPfile = make<QLineEdit>(FirmwareBox, "EditFWESPfile", 10, 120, 391, 20, Font::Arial);

    FilesBox = make<QGroupBox>(page_3, "FilesBox", 450, 0, 351, 281);
    listOfFiles = make<QListWidget>(FilesBox, "listOfFiles", 10, 60, 231, 211);
    DirSelectBox = make<QComboBox>(FilesBox, "DirSelectBox", 90, 30, 151, 22);
    label_Dir = make<QLabel>(FilesBox, "label_Dir", 10, 30, 91, 21);
    ButRead = make<QPushButton>(FilesBox, "ButRead", 260, 60, 81, 23);
    ButDelete = make<QPushButton>(FilesBox, "ButDelete", 260, 90, 81, 23);
    ButFormat = make<QPushButton>(FilesBox, "ButFormat", 260, 250, 81, 23);
    buttRefresh = make<QPushButton>(FilesBox, "buttRefresh", 260, 30, 80, 21);
    ButReadFlash = make<QPushButton>(FilesBox, "ButReadFlash", 260, 220, 81, 23);
    toolBox->addItem(page_3, QIcon(), tr("Firmware"));

    checkBoxSkipBootLdr = make<QCheckBox>(centralwidget, "checkBoxSkipBootLdr", 30, 40, 141, 21,
                                          Font::Shell);
    checkBoxSkipBootLdr->setChecked(true);

    MainWindow->setCentralWidget(centralwidget);
    statusbar = new QStatusBar(MainWindow);
    statusbar->setObjectName(QStringLiteral("statusbar"));
    statusbar->setFocusPolicy(Qt::TabFocus);
    statusbar->setContextMenuPolicy(Qt::DefaultContextMenu);
    statusbar->setSizeGripEnabled(false);
    MainWindow->setStatusBar(statusbar);

    retranslateForm(MainWindow);

    toolBox->setCurrentIndex(2);
    toolBox->layout()->setSpacing(8);

    QMetaObject::connectSlotsByName(MainWindow);
}

void MainWindowForm::retranslateForm(QMainWindow* MainWindow)
{
    MainWindow->setWindowTitle(tr("Orvane Admin Tool"));
    MainWindow->setToolTip(QString());
    MainWindow->setWhatsThis(QString());
    ButtonConnect->setText(tr("Connect"));
    label->setText(tr("Velmora ID:"));
    labEthMac->setText(tr("Ethernet MAC:"));
    labWiFiMac->setText(tr("Wireless MAC:"));
    label_4->setText(tr("Firmware:"));
    labelStatus->setText(tr("Ready"));
    groupBox_5->setTitle(tr("Log"));
    ButClearLog->setText(tr("Clear"));

    groupBox_2->setTitle(tr("Wireless Details"));
    label_6->setText(tr("Security type:"));
    radioSecOpen->setText(tr("Open"));
    radioSecOpen_2->setText(tr("WPA"));
    radioSecOpen_3->setText(tr("WPA2-Enterprise"));
    label_7->setText(tr("SSID*:"));
    label_8->setText(tr("Username:"));
    label_9->setText(tr("Password:"));
    label_10->setText(tr("Key:"));
    label_11->setText(tr("Certificate:"));
    KeyFileSelect->setText(tr("..."));
    CertFileSelect->setText(tr("..."));
    ButtonConfigWrite->setText(tr("Write Config to Device"));
    ButtonConfigRead->setText(tr("Read Config from Device"));
    LblEnChannels->setText(tr("Enabled channels:"));
    groupBox_3->setTitle(tr("Web Proxy Details"));
    checkBoxProxyEnabled->setText(tr("Enabled"));
    label_URL->setText(tr("URL:"));
    label_URL_2->setText(tr("Port:"));
    label_URL_3->setText(tr("Username:"));
    label_URL_4->setText(tr("Password:"));
    label_12->setText(tr("IP address:"));
    checkBoxAutoIP->setText(tr("DHCP (Auto IP)"));
    ButtonSaveConfig->setText(tr("Save Configuration"));
    ButtonReadConfig->setText(tr("Read Configuration"));
    ChkWifiEn->setText(tr("Wi-Fi"));
    ChkEthEn->setText(tr("Ethernet"));
    toolBox->setItemText(toolBox->indexOf(page), tr("Network Access"));

    static const char* const audioLabels[8] = {"Audio file 1:", "Audio file 2:", "Audio file 3:",
                                               "Audio file 4:", "Audio file 5:", "Audio file 6:",
                                               "Audio file 7:", "Audio file 8:"};
    QLabel* const labels[8] = {LabelAudio_1, LabelAudio_2, LabelAudio_3, LabelAudio_4,
                               LabelAudio_5, LabelAudio_6, LabelAudio_7, LabelAudio_8};
    QPushButton* const saves[8] = {BtnAudioSave_1, BtnAudioSave_2, BtnAudioSave_3, BtnAudioSave_4,
                                   BtnAudioSave_5, BtnAudioSave_6, BtnAudioSave_7, BtnAudioSave_8};
    QPushButton* const deletes[8] = {BtnAudioDelete_1, BtnAudioDelete_2, BtnAudioDelete_3,
                                     BtnAudioDelete_4, BtnAudioDelete_5, BtnAudioDelete_6,
                                     BtnAudioDelete_7, BtnAudioDelete_8};
    for (int row = 0; row < 8; ++row) {
        labels[row]->setText(tr(audioLabels[row]));
        audioSelect(row)->setText(tr("..."));
        saves[row]->setText(tr("Upload"));
        deletes[row]->setText(tr("Delete"));
    }
    BtnGetAudioList->setText(tr("Get the List of Files"));
    BtnGetAudioList_2->setText(tr("Upload all Files to Device"));
    BtnGetAudioList_3->setText(tr("Delete all Files from Device"));
    toolBox->setItemText(toolBox->indexOf(page_2), tr("Audio"));

    FirmwareBox->setTitle(tr("Firmware"));
    nRFFileSelect->setText(tr("..."));
    labelFWnRF->setText(tr("System file:"));
    loaderFileSelect->setText(tr("..."));
    ESPFileSelect->setText(tr("..."));
    ButClearRemoteHist->setText(tr("Clear Remote History"));
    ButFlashDevice->setText(tr("Flash Device"));
    labelFWnRF_2->setText(tr("Driver file:"));
    labelFWnRF_3->setText(tr("Interface file:"));
    FilesBox->setTitle(tr("File system"));
    label_Dir->setText(tr("Directory:"));
    ButRead->setText(tr("Read"));
    ButDelete->setText(tr("Delete"));
    ButFormat->setText(tr("Format"));
    buttRefresh->setText(tr("Refresh"));
    ButReadFlash->setText(tr("Read Flash"));
    toolBox->setItemText(toolBox->indexOf(page_3), tr("Firmware"));

    checkBoxSkipBootLdr->setText(tr("Skip the Bootloader"));
}

QLineEdit* MainWindowForm::audioEdit(int row) const
{
    QLineEdit* const edits[8] = {EditAudioFile_1, EditAudioFile_2, EditAudioFile_3,
                                 EditAudioFile_4, EditAudioFile_5, EditAudioFile_6,
                                 EditAudioFile_7, EditAudioFile_8};
    return row >= 0 && row < 8 ? edits[row] : nullptr;
}

QPushButton* MainWindowForm::audioSelect(int row) const
{
    QPushButton* const selects[8] = {BtnAudioSel_1, BtnAudioSel_2, BtnAudioSel_3, BtnAudioSel_4,
                                     BtnAudioSel_5, BtnAudioSel_6, BtnAudioSel_7, BtnAudioSel_8};
    return row >= 0 && row < 8 ? selects[row] : nullptr;
}

QList<QWidget*> MainWindowForm::formWidgets() const
{
    return {
        centralwidget,
        ButtonConnect,
        label,
        labEthMac,
        labWiFiMac,
        label_4,
        lineID,
        lineEthMAC,
        lineFWver,
        lineWifiMAC,
        progressStatus,
        labelStatus,
        groupBox_5,
        ButClearLog,
        GLog,
        toolBox,
        page,
        groupBox_2,
        label_6,
        radioSecOpen,
        radioSecOpen_2,
        radioSecOpen_3,
        label_7,
        label_8,
        label_9,
        label_10,
        label_11,
        EditSSID,
        EditUsername,
        EditPassword,
        EditKeyFName,
        EditCertFName,
        KeyFileSelect,
        CertFileSelect,
        ButtonConfigWrite,
        ButtonConfigRead,
        LblEnChannels,
        groupBox_3,
        checkBoxProxyEnabled,
        label_URL,
        label_URL_2,
        label_URL_3,
        label_URL_4,
        EditProxyURL,
        EditProxyPort,
        EditProxyUsername,
        EditProxyPassword,
        label_12,
        checkBoxAutoIP,
        EditIPAddr,
        ButtonSaveConfig,
        ButtonReadConfig,
        ChkWifiEn,
        ChkEthEn,
        page_2,
        EditAudioFile_1,
        BtnAudioSel_1,
        BtnAudioSave_1,
        BtnAudioDelete_1,
        LabelAudio_1,
        LabelAudio_2,
        EditAudioFile_2,
        BtnAudioDelete_2,
        BtnAudioSel_2,
        BtnAudioSave_2,
        LabelAudio_3,
        EditAudioFile_3,
        BtnAudioDelete_3,
        BtnAudioSel_3,
        BtnAudioSave_3,
        LabelAudio_4,
        EditAudioFile_4,
        BtnAudioDelete_4,
        BtnAudioSel_4,
        BtnAudioSave_4,
        LabelAudio_5,
        EditAudioFile_5,
        BtnAudioDelete_5,
        BtnAudioSel_5,
        BtnAudioSave_5,
        LabelAudio_6,
        EditAudioFile_6,
        BtnAudioDelete_6,
        BtnAudioSel_6,
        BtnAudioSave_6,
        LabelAudio_7,
        EditAudioFile_7,
        BtnAudioDelete_7,
        BtnAudioSel_7,
        BtnAudioSave_7,
        LabelAudio_8,
        EditAudioFile_8,
        BtnAudioDelete_8,
        BtnAudioSel_8,
        BtnAudioSave_8,
        BtnGetAudioList,
        BtnGetAudioList_2,
        BtnGetAudioList_3,
        page_3,
        FirmwareBox,
        nRFFileSelect,
        labelFWnRF,
        loaderFileSelect,
        EditFWnRFfile,
        ESPFileSelect,
        ButClearRemoteHist,
        EditFWloaderFile,
        ButFlashDevice,
        labelFWnRF_2,
        labelFWnRF_3,
        EditFWESPfile,
        FilesBox,
        listOfFiles,
        DirSelectBox,
        label_Dir,
        ButRead,
        ButDelete,
        ButFormat,
        buttRefresh,
        ButReadFlash,
        checkBoxSkipBootLdr,
        statusbar,
    };
}
