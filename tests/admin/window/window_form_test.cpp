// The admin window's form and frame: the widget contract other code relies on (names,
// parents, geometry, texts, states, slots) and the scaling pass at factors 1.0 and 1.5.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaMethod>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBox>
#include <QtTest>

#include <memory>

#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"
#include "forms/AppFonts.h"
#include "forms/ScreenScale.h"
#include "link/cUSB_CDC_Protocol.h"

namespace {

// A form set up on a bare window, before the frame's constructor changes anything.
struct BareForm {
    QMainWindow window;
    MainWindowForm form;
    BareForm() { form.setupForm(&window); }
};

QWidget* child(QObject* root, const char* name)
{
    return root->findChild<QWidget*>(QString::fromLatin1(name));
}

}  // namespace

class WindowFormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { orvane::installFontSubstitutions(); }

    void widgetsHaveTheirParentsAndRectangles_data();
    void widgetsHaveTheirParentsAndRectangles();
    void textsFontsAndStatesAfterSetup();
    void creationOrderWithinParents();
    void toolBoxPagesAndIndex();
    void slotsInContractOrder();
    void slotsBoundByNameExceptTheTwoWithoutWidget();
    void frameAtStartUp();
    void clearButtonEmptiesOnlyTheLog();
    void scalingAtFactorOne();
    void scalingAtFactorOneAndAHalf();
};

void WindowFormTest::widgetsHaveTheirParentsAndRectangles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("connect") << "ButtonConnect" << "centralwidget" << QRect(50, 10, 90, 21);
    QTest::newRow("wifi mac") << "lineWifiMAC" << "centralwidget" << QRect(620, 40, 191, 20);
    QTest::newRow("skip") << "checkBoxSkipBootLdr" << "centralwidget" << QRect(30, 40, 141, 21);
    QTest::newRow("log box") << "groupBox_5" << "centralwidget" << QRect(10, 440, 801, 120);
    QTest::newRow("log") << "GLog" << "groupBox_5" << QRect(10, 30, 711, 81);
    QTest::newRow("clear") << "ButClearLog" << "groupBox_5" << QRect(730, 90, 61, 20);
    QTest::newRow("tool box") << "toolBox" << "centralwidget" << QRect(10, 70, 800, 371);
    QTest::newRow("wireless") << "groupBox_2" << "page" << QRect(0, 70, 391, 211);
    QTest::newRow("wpa2") << "radioSecOpen_3" << "groupBox_2" << QRect(250, 20, 131, 21);
    QTest::newRow("cert") << "CertFileSelect" << "groupBox_2" << QRect(350, 180, 30, 20);
    QTest::newRow("proxy port") << "EditProxyPort" << "groupBox_3" << QRect(90, 90, 51, 20);
    QTest::newRow("channels") << "LblEnChannels" << "page" << QRect(13, 10, 111, 21);
    QTest::newRow("ethernet") << "ChkEthEn" << "page" << QRect(210, 10, 91, 21);
    QTest::newRow("audio 1 edit") << "EditAudioFile_1" << "page_2" << QRect(80, 10, 481, 20);
    QTest::newRow("audio 8 delete") << "BtnAudioDelete_8" << "page_2" << QRect(719, 220, 81, 20);
    QTest::newRow("upload all") << "BtnGetAudioList_2" << "page_2" << QRect(310, 250, 181, 20);
    QTest::newRow("firmware box") << "FirmwareBox" << "page_3" << QRect(0, 0, 441, 281);
    QTest::newRow("loader edit") << "EditFWloaderFile" << "FirmwareBox" << QRect(10, 180, 391, 20);
    QTest::newRow("files box") << "FilesBox" << "page_3" << QRect(450, 0, 351, 281);
    QTest::newRow("dir box") << "DirSelectBox" << "FilesBox" << QRect(90, 30, 151, 22);
    QTest::newRow("refresh") << "buttRefresh" << "FilesBox" << QRect(260, 30, 80, 21);
}

void WindowFormTest::widgetsHaveTheirParentsAndRectangles()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, rect);
    BareForm bare;
    QWidget* widget = bare.window.findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), rect);
}

void WindowFormTest::textsFontsAndStatesAfterSetup()
{
    BareForm bare;
    const MainWindowForm& f = bare.form;
    QCOMPARE(bare.window.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(bare.window.windowTitle(), QStringLiteral("Orvane Admin Tool"));
    QCOMPARE(bare.window.minimumSize(), QSize(820, 586));
    QCOMPARE(bare.window.maximumSize(), QSize(820, 586));

    QCOMPARE(f.ButtonConnect->text(), QStringLiteral("Connect"));
    QCOMPARE(f.label->text(), QStringLiteral("Velmora ID:"));
    QCOMPARE(f.label->alignment(), Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter);
    QCOMPARE(f.labelStatus->text(), QStringLiteral("Ready"));
    QCOMPARE(f.progressStatus->value(), 50);
    QCOMPARE(f.label_7->text(), QStringLiteral("SSID*:"));
    QCOMPARE(f.LabelAudio_5->text(), QStringLiteral("Audio file 5:"));
    QCOMPARE(f.BtnGetAudioList_3->text(), QStringLiteral("Delete all Files from Device"));
    QCOMPARE(f.checkBoxAutoIP->text(), QStringLiteral("DHCP (Auto IP)"));
    QCOMPARE(f.FilesBox->title(), QStringLiteral("File system"));
    QCOMPARE(f.labelFWnRF_3->text(), QStringLiteral("Interface file:"));

    QCOMPARE(f.lineID->font().family(), QStringLiteral("MS Shell Dlg 2"));
    QCOMPARE(f.lineID->font().pointSize(), 10);
    QCOMPARE(f.EditSSID->font().family(), QStringLiteral("Arial"));
    QCOMPARE(f.label_URL_2->font().family(), QStringLiteral("Arial"));
    // Not set: inherited from the tool box (MS Shell Dlg 2) on the firmware page.
    QVERIFY(!f.ButFlashDevice->testAttribute(Qt::WA_SetFont));
    QVERIFY(!f.listOfFiles->testAttribute(Qt::WA_SetFont));

    QVERIFY(f.lineID->isReadOnly());
    QVERIFY(f.lineWifiMAC->isReadOnly());
    QVERIFY(!f.GLog->isReadOnly());
    QVERIFY(!f.groupBox_2->isEnabled());
    QVERIFY(!f.EditProxyURL->isEnabled());
    QVERIFY(!f.checkBoxAutoIP->isEnabled());
    QVERIFY(f.checkBoxAutoIP->isChecked());
    QVERIFY(f.radioSecOpen->isChecked());
    QVERIFY(f.checkBoxSkipBootLdr->isChecked());
    QVERIFY(!f.ButtonSaveConfig->isEnabled());
    QCOMPARE(f.EditPassword->echoMode(), QLineEdit::Normal);
    QCOMPARE(f.EditProxyPassword->echoMode(), QLineEdit::Normal);
    QCOMPARE(f.toolBox->locale(), QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(f.groupBox_5->minimumSize(), QSize(500, 50));
    QCOMPARE(f.DirSelectBox->count(), 0);
    QVERIFY(!f.statusbar->isSizeGripEnabled());
    QCOMPARE(bare.window.statusBar(), f.statusbar);
    QCOMPARE(bare.window.centralWidget(), f.centralwidget);
}

void WindowFormTest::creationOrderWithinParents()
{
    BareForm bare;
    auto names = [](QWidget* parent) {
        QStringList out;
        for (QObject* o : parent->children()) {
            if (o->isWidgetType())
                out << o->objectName();
        }
        return out;
    };
    QCOMPARE(names(bare.form.page_2).mid(0, 10),
             QStringList({"EditAudioFile_1", "BtnAudioSel_1", "BtnAudioSave_1", "BtnAudioDelete_1",
                          "LabelAudio_1", "LabelAudio_2", "EditAudioFile_2", "BtnAudioDelete_2",
                          "BtnAudioSel_2", "BtnAudioSave_2"}));
    QCOMPARE(names(bare.form.FirmwareBox),
             QStringList({"nRFFileSelect", "labelFWnRF", "loaderFileSelect", "EditFWnRFfile",
                          "ESPFileSelect", "ButClearRemoteHist", "EditFWloaderFile",
                          "ButFlashDevice", "labelFWnRF_2", "labelFWnRF_3", "EditFWESPfile"}));
    const QStringList central = names(bare.form.centralwidget);
    QCOMPARE(central.first(), QStringLiteral("ButtonConnect"));
    QCOMPARE(central.last(), QStringLiteral("checkBoxSkipBootLdr"));
    QVERIFY(central.indexOf("groupBox_5") < central.indexOf("toolBox"));
    // The form's own list follows creation too (the scaling pass walks it).
    const QList<QWidget*> all = bare.form.formWidgets();
    QCOMPARE(all.size(), 122);
    QCOMPARE(all.first(), bare.form.centralwidget);
    QCOMPARE(all.last(), static_cast<QWidget*>(bare.form.statusbar));
}

void WindowFormTest::toolBoxPagesAndIndex()
{
    BareForm bare;
    QToolBox* box = bare.form.toolBox;
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->itemText(0), QStringLiteral("Network Access"));
    QCOMPARE(box->itemText(1), QStringLiteral("Audio"));
    QCOMPARE(box->itemText(2), QStringLiteral("Firmware"));
    QCOMPARE(box->widget(1), bare.form.page_2);
    QCOMPARE(box->currentIndex(), 2);
    QCOMPARE(box->layout()->spacing(), 8);
    QVERIFY(box->isEnabled());
}

void WindowFormTest::slotsInContractOrder()
{
    const QStringList expected = {
        "on_ButtonConnect_clicked()", "on_ButClearLog_clicked()",
        "on_checkBoxProxyEnabled_clicked()", "on_checkBoxAutoIP_clicked()",
        "on_nRFFileSelect_clicked()", "on_ESPFileSelect_clicked()",
        "on_loaderFileSelect_clicked()", "on_ButFlashDevice_clicked()",
        "on_BtnAudioSel_1_clicked()", "on_BtnAudioSel_2_clicked()", "on_BtnAudioSel_3_clicked()",
        "on_BtnAudioSel_4_clicked()", "on_BtnAudioSel_5_clicked()", "on_BtnAudioSel_6_clicked()",
        "on_BtnAudioSel_7_clicked()", "on_BtnAudioSel_8_clicked()",
        "on_BtnGetAudioList_2_clicked()", "on_ButClearRemoteHist_clicked()",
        "on_KeyFileSelect_clicked()", "on_CertFileSelect_clicked()", "on_radioEthOpt_clicked()",
        "on_radioWiFiOpt_clicked()", "on_radioSecOpen_3_clicked()", "on_radioSecOpen_clicked()",
        "on_radioSecOpen_2_clicked()", "on_checkBoxAutoIP_stateChanged(int)",
        "on_ButtonConfigWrite_clicked()", "on_ButtonConfigRead_clicked()",
        "on_ButFormat_clicked()", "on_checkBoxProxyEnabled_stateChanged(int)",
        "on_buttRefresh_clicked()", "on_DirSelectBox_currentIndexChanged(int)",
        "on_ButRead_clicked()", "on_ButDelete_clicked()", "on_ChkWifiEn_clicked(bool)",
        "on_ButReadFlash_clicked()", "slotSearchEnd(QString&,bool)", "slotScanPorts()",
        "slotLog(QString)", "slotProgress(int)", "slotDownloadFinish()",
        "slotAudioDownloadFinish()", "slotFileReadingFinish()", "slotConfigDownloadFinish()"};
    const QMetaObject& mo = MainWindow::staticMetaObject;
    QStringList found;
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i) {
        const QMetaMethod m = mo.method(i);
        if (m.methodType() == QMetaMethod::Slot)
            found << QString::fromLatin1(m.methodSignature());
    }
    QCOMPARE(found, expected);
}

void WindowFormTest::slotsBoundByNameExceptTheTwoWithoutWidget()
{
    orvane::ScopedScreenScale pin(1.0);
    MainWindow window;
    QVERIFY(!child(&window, "radioEthOpt"));
    QVERIFY(!child(&window, "radioWiFiOpt"));
    // Bound: the clear button reaches its slot.
    window.form()->GLog->append(QStringLiteral("line"));
    window.form()->ButClearLog->click();
    QVERIFY(window.form()->GLog->toPlainText().isEmpty());
    // Bound: WPA2 and Open change the state through their slots (the Open state is the
    // window's own; the others may still be empty).
    window.form()->groupBox_2->setEnabled(true);
    window.form()->EditUsername->setEnabled(true);
    window.form()->radioSecOpen->click();
    QVERIFY(!window.form()->EditUsername->isEnabled());
    // Widgets without a slot are connected to nothing of the window (disconnect reports
    // whether there was a connection to break).
    QVERIFY(!QObject::disconnect(window.form()->BtnAudioSave_3, nullptr, &window, nullptr));
    QVERIFY(!QObject::disconnect(window.form()->ButtonSaveConfig, nullptr, &window, nullptr));
    QVERIFY(!QObject::disconnect(window.form()->checkBoxSkipBootLdr, nullptr, &window, nullptr));
    QVERIFY(QObject::disconnect(window.form()->ButtonConnect, SIGNAL(clicked()), &window,
                                SLOT(on_ButtonConnect_clicked())));
    QVERIFY(QObject::disconnect(window.form()->DirSelectBox, SIGNAL(currentIndexChanged(int)),
                                &window, SLOT(on_DirSelectBox_currentIndexChanged(int))));
}

void WindowFormTest::frameAtStartUp()
{
    orvane::ScopedScreenScale pin(1.0);
    MainWindow window;
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("Orvane Admin Tool - 1.1.5"));
    const MainWindowForm* f = window.form();
    QVERIFY(!f->toolBox->isEnabled());
    QCOMPARE(f->toolBox->currentIndex(), 0);
    QVERIFY(f->progressStatus->isHidden());
    QCOMPARE(f->progressStatus->value(), 0);
    QVERIFY(f->labelStatus->isHidden());
    QCOMPARE(f->progressStatus->parentWidget(), static_cast<QWidget*>(f->statusbar));
    QCOMPARE(f->labelStatus->parentWidget(), static_cast<QWidget*>(f->statusbar));
    QVERIFY(f->ButtonConnect->isEnabled());
    QCOMPARE(f->ButtonConnect->text(), QStringLiteral("Connect"));
    // The Open security state.
    QVERIFY(f->EditSSID->isEnabledTo(f->groupBox_2));
    QVERIFY(!f->EditPassword->isEnabledTo(f->groupBox_2));
    QVERIFY(!f->KeyFileSelect->isEnabledTo(f->groupBox_2));
    QVERIFY(!window.link()->opened);
}

void WindowFormTest::clearButtonEmptiesOnlyTheLog()
{
    orvane::ScopedScreenScale pin(1.0);
    MainWindow window;
    window.slotLog(QStringLiteral("first"));
    window.slotLog(QStringLiteral("second"));
    QCOMPARE(window.form()->GLog->toPlainText(), QStringLiteral("first\nsecond"));
    window.form()->EditAudioFile_2->setText(QStringLiteral("a.mp3"));
    window.form()->ButClearLog->click();
    QVERIFY(window.form()->GLog->toPlainText().isEmpty());
    QCOMPARE(window.form()->EditAudioFile_2->text(), QStringLiteral("a.mp3"));
    window.slotProgress(42);
    QCOMPARE(window.form()->progressStatus->value(), 42);
}

void WindowFormTest::scalingAtFactorOne()
{
    orvane::ScopedScreenScale pin(1.0);
    MainWindow window;
    const MainWindowForm* f = window.form();
    QCOMPARE(window.size(), QSize(820, 586));
    QCOMPARE(window.minimumSize(), QSize(820, 586));
    QCOMPARE(window.maximumSize(), QSize(820, 586));
    // Group boxes take their contents rectangle, 18 pixels taller, even at factor 1.
    BareForm bare;
    const QRect logContents = bare.form.groupBox_5->contentsRect();
    QVERIFY(logContents.height() < 120);
    QCOMPARE(f->groupBox_5->geometry(),
             QRect(10, 440, logContents.width(), logContents.height() + 18));
    const QRect filesContents = bare.form.FilesBox->contentsRect();
    QCOMPARE(f->FilesBox->geometry(),
             QRect(450, 0, filesContents.width(), filesContents.height() + 18));
    // Unframed widgets keep their rectangles; framed ones lose their frame on each side.
    QCOMPARE(f->ButtonConnect->geometry(), QRect(50, 10, 90, 21));
    const int frame = f->GLog->frameWidth();
    QVERIFY(frame > 0);
    QCOMPARE(f->GLog->geometry(), QRect(10, 30, 711 - 2 * frame, 81 - 2 * frame));
    QCOMPARE(f->listOfFiles->geometry().topLeft(), QPoint(10, 60));
    QCOMPARE(f->listOfFiles->width(), 231 - 2 * f->listOfFiles->frameWidth());
}

void WindowFormTest::scalingAtFactorOneAndAHalf()
{
    orvane::ScopedScreenScale pin(1.5);
    MainWindow window;
    const MainWindowForm* f = window.form();
    QCOMPARE(window.size(), QSize(1230, 879));
    // (10, 20) with contents 101 x 31 -> (15, 30) with 151 x 46, truncated.
    QCOMPARE(f->label_URL_2->geometry(), QRect(15, 135, 91, 31));
    QCOMPARE(f->ButtonConnect->geometry(), QRect(75, 15, 135, 31));
    QCOMPARE(f->checkBoxSkipBootLdr->geometry(), QRect(45, 60, 211, 31));
    QCOMPARE(f->BtnAudioDelete_2->geometry(), QRect(1078, 60, 121, 30));
    // Group box: (contents height + 18 x 1.5) x 1.5, truncated.
    BareForm bare;
    const QRect log = bare.form.groupBox_5->contentsRect();
    QCOMPARE(f->groupBox_5->geometry(),
             QRect(15, 660, int(log.width() * 1.5f), int((log.height() + 27.0f) * 1.5f)));
    const QRect firmware = bare.form.FirmwareBox->contentsRect();
    QCOMPARE(f->FirmwareBox->height(), int((firmware.height() + 27.0f) * 1.5f));
}

QTEST_MAIN(WindowFormTest)
#include "window_form_test.moc"
