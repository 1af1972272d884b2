// The admin tool window's widgets, built in code: every widget by object name, with its
// parent, geometry, font, text and initial state. The window's slots are bound by name.
#pragma once

#include <QList>
#include <QtGlobal>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTextEdit;
class QToolBox;
class QWidget;

class MainWindowForm {
public:
    // Creates every widget on `MainWindow`, sets the texts, shows the "Firmware" page and
    // binds the window's on_<object>_<signal> slots to the widgets by object name.
    void setupForm(QMainWindow* MainWindow);
    // Sets every visible text through QCoreApplication::translate("MainWindow", ...).
    void retranslateForm(QMainWindow* MainWindow);

    // Pointers in creation order; the widgets belong to the window's parent chain.
    QWidget* centralwidget = nullptr;
    QPushButton* ButtonConnect = nullptr;
    QLabel* label = nullptr;
    QLabel* labEthMac = nullptr;
    QLabel* labWiFiMac = nullptr;
    QLabel* label_4 = nullptr;
    QLineEdit* lineID = nullptr;
    QLineEdit* lineEthMAC = nullptr;
    QLineEdit* lineFWver = nullptr;
    QLineEdit* lineWifiMAC = nullptr;
    QProgressBar* progressStatus = nullptr;
    QLabel* labelStatus = nullptr;
    QGroupBox* groupBox_5 = nullptr;
    QPushButton* ButClearLog = nullptr;
    QTextEdit* GLog = nullptr;
    QToolBox* toolBox = nullptr;

    // Page "Network Access".
    QWidget* page = nullptr;
    QGroupBox* groupBox_2 = nullptr;
    QLabel* label_6 = nullptr;
    QRadioButton* radioSecOpen = nullptr;
    QRadioButton* radioSecOpen_2 = nullptr;
    QRadioButton* radioSecOpen_3 = nullptr;
    QLabel* label_7 = nullptr;
    QLabel* label_8 = nullptr;
    QLabel* label_9 = nullptr;
    QLabel* label_10 = nullptr;
    QLabel* label_11 = nullptr;
    QLineEdit* EditSSID = nullptr;
    QLineEdit* EditUsername = nullptr;
    QLineEdit* EditPassword = nullptr;
    QLineEdit* EditKeyFName = nullptr;
    QLineEdit* EditCertFName = nullptr;
    QPushButton* KeyFileSelect = nullptr;
    QPushButton* CertFileSelect = nullptr;
    QPushButton* ButtonConfigWrite = nullptr;
    QPushButton* ButtonConfigRead = nullptr;
    QLabel* LblEnChannels = nullptr;
    QGroupBox* groupBox_3 = nullptr;
    QCheckBox* checkBoxProxyEnabled = nullptr;
    QLabel* label_URL = nullptr;
    QLabel* label_URL_2 = nullptr;
    QLabel* label_URL_3 = nullptr;
    QLabel* label_URL_4 = nullptr;
    QLineEdit* EditProxyURL = nullptr;
    QLineEdit* EditProxyPort = nullptr;
    QLineEdit* EditProxyUsername = nullptr;
    QLineEdit* EditProxyPassword = nullptr;
    QLabel* label_12 = nullptr;
    QCheckBox* checkBoxAutoIP = nullptr;
    QLineEdit* EditIPAddr = nullptr;
    QPushButton* ButtonSaveConfig = nullptr;
    QPushButton* ButtonReadConfig = nullptr;
    QCheckBox* ChkWifiEn = nullptr;
    QCheckBox* ChkEthEn = nullptr;

    // Page "Audio": eight rows, then three buttons.
    QWidget* page_2 = nullptr;
    QLabel* LabelAudio_1 = nullptr;
    QLineEdit* EditAudioFile_1 = nullptr;
    QPushButton* BtnAudioSel_1 = nullptr;
    QPushButton* BtnAudioSave_1 = nullptr;
    QPushButton* BtnAudioDelete_1 = nullptr;
    QLabel* LabelAudio_2 = nullptr;
    QLineEdit* EditAudioFile_2 = nullptr;
    QPushButton* BtnAudioSel_2 = nullptr;
    QPushButton* BtnAudioSave_2 = nullptr;
    QPushButton* BtnAudioDelete_2 = nullptr;
    QLabel* LabelAudio_3 = nullptr;
    QLineEdit* EditAudioFile_3 = nullptr;
    QPushButton* BtnAudioSel_3 = nullptr;
    QPushButton* BtnAudioSave_3 = nullptr;
    QPushButton* BtnAudioDelete_3 = nullptr;
    QLabel* LabelAudio_4 = nullptr;
    QLineEdit* EditAudioFile_4 = nullptr;
    QPushButton* BtnAudioSel_4 = nullptr;
    QPushButton* BtnAudioSave_4 = nullptr;
    QPushButton* BtnAudioDelete_4 = nullptr;
    QLabel* LabelAudio_5 = nullptr;
    QLineEdit* EditAudioFile_5 = nullptr;
    QPushButton* BtnAudioSel_5 = nullptr;
    QPushButton* BtnAudioSave_5 = nullptr;
    QPushButton* BtnAudioDelete_5 = nullptr;
    QLabel* LabelAudio_6 = nullptr;
    QLineEdit* EditAudioFile_6 = nullptr;
    QPushButton* BtnAudioSel_6 = nullptr;
    QPushButton* BtnAudioSave_6 = nullptr;
    QPushButton* BtnAudioDelete_6 = nullptr;
    QLabel* LabelAudio_7 = nullptr;
    QLineEdit* EditAudioFile_7 = nullptr;
    QPushButton* BtnAudioSel_7 = nullptr;
    QPushButton* BtnAudioSave_7 = nullptr;
    QPushButton* BtnAudioDelete_7 = nullptr;
    QLabel* LabelAudio_8 = nullptr;
    QLineEdit* EditAudioFile_8 = nullptr;
    QPushButton* BtnAudioSel_8 = nullptr;
    QPushButton* BtnAudioSave_8 = nullptr;
    QPushButton* BtnAudioDelete_8 = nullptr;
    QPushButton* BtnGetAudioList = nullptr;
    QPushButton* BtnGetAudioList_2 = nullptr;
    QPushButton* BtnGetAudioList_3 = nullptr;

    // Page "Firmware": the firmware group and the file system group.
    QWidget* page_3 = nullptr;
    QGroupBox* FirmwareBox = nullptr;
    QPushButton* nRFFileSelect = nullptr;
    QLabel* labelFWnRF = nullptr;
    QPushButton* loaderFileSelect = nullptr;
    QLineEdit* EditFWnRFfile = nullptr;
    QPushButton* ESPFileSelect = nullptr;
    QPushButton* ButClearRemoteHist = nullptr;
    QLineEdit* EditFWloaderFile = nullptr;
    QPushButton* ButFlashDevice = nullptr;
    QLabel* labelFWnRF_2 = nullptr;
    QLabel* labelFWnRF_3 = nullptr;
    QLineEdit* EditFWESPfile = nullptr;
    QGroupBox* FilesBox = nullptr;
    QListWidget* listOfFiles = nullptr;
    QComboBox* DirSelectBox = nullptr;
    QLabel* label_Dir = nullptr;
    QPushButton* ButRead = nullptr;
    QPushButton* ButDelete = nullptr;
    QPushButton* ButFormat = nullptr;
    QPushButton* buttRefresh = nullptr;
    QPushButton* ButReadFlash = nullptr;

    QCheckBox* checkBoxSkipBootLdr = nullptr;
    QStatusBar* statusbar = nullptr;

    // Every widget above in creation order, the central widget first.
    QList<QWidget*> formWidgets() const;

    // The audio rows by index 0..7, for pages that treat the rows alike.
    QLineEdit* audioEdit(int row) const;
    QPushButton* audioSelect(int row) const;
};
