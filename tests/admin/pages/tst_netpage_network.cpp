// The "Network Access" page: its widget states, the file choosers, and the read and write
// flows as the simulated device sees them.
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "admin/FileDialogs.h"
#include "tests/admin/pages/PageFixture.h"

using orvane::test::bytes;
using orvane::test::PageFixture;

namespace {

void setWifiOnDevice(PageFixture& f, const QByteArray& eap, const QByteArray& password)
{
    f.sim.setParam(3, {1});
    f.sim.setParam(4, {1});
    f.sim.setParam(8, bytes(eap));
    f.sim.setParam(5, bytes("office"));
    f.sim.setParam(7, bytes(password));
    f.sim.setParam(9, bytes("eap-user"));
    f.sim.setParam(10, bytes("eap-pw"));
    f.sim.setParam(11, {1});
    f.sim.setParam(12, bytes("proxy.lan"));
    f.sim.setParam(13, {0x50, 0x00});
    f.sim.setParam(14, bytes("pu"));
    f.sim.setParam(15, bytes("pp"));
}

// The fields' own states, whether or not the Wi-Fi box around them is enabled.
bool fieldsEnabled(MainWindowForm* ui, bool user, bool password, bool files)
{
    auto on = [ui](QWidget* w) { return w->isEnabledTo(ui->groupBox_2); };
    return on(ui->EditSSID) && on(ui->EditUsername) == user && on(ui->EditPassword) == password &&
           on(ui->EditKeyFName) == files && on(ui->EditCertFName) == files &&
           on(ui->KeyFileSelect) == files && on(ui->CertFileSelect) == files;
}

// Wi-Fi on, as a user would have it before choosing security or files.
void wifiOn(MainWindowForm* ui)
{
    ui->ChkWifiEn->setChecked(true);
    ui->groupBox_2->setEnabled(true);
}

}  // namespace

class NetworkPageTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { orvane::dialogs::setOpenFileChooser({}); }

    void securityStatesAndCheckBoxes()
    {
        PageFixture f;
        MainWindowForm* ui = f.ui;
        QCOMPARE(f.window.securityMode, 0);
        QVERIFY(ui->radioSecOpen->isChecked());
        QVERIFY(fieldsEnabled(ui, false, false, false));
        wifiOn(ui);
        ui->radioSecOpen_2->click();
        QCOMPARE(f.window.securityMode, 1);
        QVERIFY(fieldsEnabled(ui, false, true, false));
        ui->radioSecOpen_3->click();
        QCOMPARE(f.window.securityMode, 2);
        QVERIFY(fieldsEnabled(ui, true, true, true));
        ui->radioSecOpen->click();
        QCOMPARE(f.window.securityMode, 0);
        QVERIFY(fieldsEnabled(ui, false, false, false));

        ui->ChkWifiEn->click();
        QVERIFY(!ui->groupBox_2->isEnabled());
        ui->ChkWifiEn->click();
        QVERIFY(ui->groupBox_2->isEnabled());

        ui->checkBoxProxyEnabled->setChecked(false);
        ui->checkBoxProxyEnabled->click();
        QVERIFY(ui->EditProxyURL->isEnabled() && ui->EditProxyPort->isEnabled() &&
                ui->EditProxyUsername->isEnabled() && ui->EditProxyPassword->isEnabled());
        ui->checkBoxProxyEnabled->click();
        QVERIFY(!ui->EditProxyURL->isEnabled() && !ui->EditProxyPassword->isEnabled());

        ui->checkBoxAutoIP->setEnabled(true);
        ui->checkBoxAutoIP->setChecked(false);
        ui->checkBoxAutoIP->click();
        QVERIFY(!ui->EditIPAddr->isEnabled());
        ui->checkBoxAutoIP->click();
        QVERIFY(ui->EditIPAddr->isEnabled());
    }

    void fileChoosersFillTheFields()
    {
        PageFixture f;
        wifiOn(f.ui);
        f.ui->radioSecOpen_3->click();
        QStringList asked;
        QString answer = "/keys/dev.key";
        orvane::dialogs::setOpenFileChooser([&](QWidget* parent, const QString& caption, const QString& filter) {
            asked << caption + "|" + filter;
            return parent == &f.window ? answer : QStringLiteral("wrong parent");
        });
        f.ui->KeyFileSelect->click();
        QCOMPARE(f.ui->EditKeyFName->text(), answer);
        answer = "/keys/ca.pem";
        f.ui->CertFileSelect->click();
        QCOMPARE(f.ui->EditCertFName->text(), answer);
        QCOMPARE(asked, (QStringList{"Open File|Key (*.key)", "Open File|Certificate (*.pem)"}));
        answer.clear();  // cancelled
        f.ui->KeyFileSelect->click();
        QCOMPARE(f.ui->EditKeyFName->text(), QString());
    }

    void readFillsThePage()
    {
        PageFixture f;
        setWifiOnDevice(f, QByteArray(1, '\1'), "ignored");
        f.ui->EditKeyFName->setText("/untouched.key");
        f.window.on_ButtonConfigRead_clicked();
        QCOMPARE(f.log(), (QStringList{"Reading parameters...", "Reading was done"}));
        QVERIFY(f.ui->radioSecOpen_3->isChecked());
        QCOMPARE(f.window.securityMode, 2);
        QVERIFY(fieldsEnabled(f.ui, true, true, true));
        QVERIFY(f.ui->ChkWifiEn->isChecked() && f.ui->ChkEthEn->isChecked());
        QVERIFY(f.ui->groupBox_2->isEnabled());
        QCOMPARE(f.ui->EditSSID->text(), QStringLiteral("office"));
        QCOMPARE(f.ui->EditUsername->text(), QStringLiteral("eap-user"));
        QCOMPARE(f.ui->EditPassword->text(), QStringLiteral("eap-pw"));
        QCOMPARE(f.ui->EditKeyFName->text(), QStringLiteral("/untouched.key"));
        QVERIFY(f.ui->checkBoxProxyEnabled->isChecked());
        QVERIFY(f.ui->EditProxyURL->isEnabled());
        QCOMPARE(f.ui->EditProxyPort->text(), QStringLiteral("80"));
        QCOMPARE(f.ui->EditProxyURL->text(), QStringLiteral("proxy.lan"));

        // EAP other than 1 takes the Open/WPA branch; an empty password then means Open.
        setWifiOnDevice(f, QByteArray(1, '\2'), QByteArray());
        f.sim.setParam(11, {0});
        f.ui->EditPassword->setText("old");
        f.window.on_ButtonConfigRead_clicked();
        QVERIFY(f.ui->radioSecOpen->isChecked());
        QCOMPARE(f.window.securityMode, 0);
        QCOMPARE(f.ui->EditPassword->text(), QString());
        QVERIFY(!f.ui->checkBoxProxyEnabled->isChecked());
        QVERIFY(!f.ui->EditProxyURL->isEnabled());

        // Wi-Fi off: the Wi-Fi box is disabled and keeps its contents.
        f.sim.setParam(4, {0});
        f.sim.setParam(5, bytes("other"));
        f.sim.clearReceived();
        f.window.on_ButtonConfigRead_clicked();
        QVERIFY(!f.ui->groupBox_2->isEnabled());
        QVERIFY(!f.ui->ChkWifiEn->isChecked());
        QCOMPARE(f.ui->EditSSID->text(), QStringLiteral("office"));
        QCOMPARE(f.paramIds(orvane::cmd::GetParam), (QList<int>{3, 4, 12, 13, 14, 15, 11}));
    }

    void readFailureLeavesTheRestAsItWas()
    {
        PageFixture f;
        setWifiOnDevice(f, QByteArray(1, '\0'), "pw");
        f.ui->EditSSID->setText("before");
        f.ui->EditProxyURL->setText("proxy-before");
        f.sim.updateOptions([](orvane::sim::SimOptions& o) { o.noReplyOnNth = {{orvane::cmd::GetParam, 4}}; });  // the SSID
        f.window.on_ButtonConfigRead_clicked();
        QCOMPARE(f.log(), (QStringList{"Reading parameters...", "Error while getting WiFi APN"}));
        QCOMPARE(f.ui->EditSSID->text(), QStringLiteral("before"));
        QCOMPARE(f.ui->EditProxyURL->text(), QStringLiteral("proxy-before"));
        QVERIFY(f.ui->ChkWifiEn->isChecked());  // reached before the failure
        QVERIFY(f.ui->radioSecOpen->isChecked());
    }

    void writeOpenAndWifiOff()
    {
        PageFixture f;
        f.ui->ChkWifiEn->setChecked(true);
        f.ui->ChkEthEn->setChecked(false);
        f.ui->EditSSID->setText(QStringLiteral("Caf\u00e9"));
        f.ui->EditPassword->setText("not sent");
        f.window.on_ButtonConfigWrite_clicked();
        QCOMPARE(f.log(), (QStringList{"Updating parameters...", "Writing was done"}));
        QCOMPARE(f.paramIds(orvane::cmd::SetParam), (QList<int>{4, 8, 5, 7, 3, 11}));
        QCOMPARE(f.sim.received(orvane::cmd::SetParam)[3].payload, (std::vector<uint8_t>{7, 0, 0}));
        QCOMPARE(f.sim.received(orvane::cmd::SetParam)[2].payload, bytes(QByteArray("\5\0Caf\xc3\xa9", 7)));
        QCOMPARE(f.sim.param(3), std::vector<uint8_t>{0});

        f.sim.clearReceived();
        f.ui->ChkWifiEn->setChecked(false);
        f.ui->checkBoxProxyEnabled->setChecked(true);
        f.ui->EditProxyPort->setText("70000");
        f.window.on_ButtonConfigWrite_clicked();
        QCOMPARE(f.paramIds(orvane::cmd::SetParam), (QList<int>{4, 3, 12, 13, 14, 15, 11}));
        QCOMPARE(f.sim.param(13), (std::vector<uint8_t>{0x70, 0x11}));
        f.ui->EditProxyPort->setText("abc");
        f.window.on_ButtonConfigWrite_clicked();
        QCOMPARE(f.sim.param(13), (std::vector<uint8_t>{0, 0}));
    }

    void writeEnterpriseWithoutFiles()
    {
        PageFixture f;
        wifiOn(f.ui);
        f.ui->radioSecOpen_3->click();
        f.window.on_ButtonConfigWrite_clicked();
        QCOMPARE(f.log(), (QStringList{"Updating parameters...", "No parameters to update found",
                                        "Writing was done"}));
        QVERIFY(!f.window.jobRunning());
        QVERIFY(f.sim.received(orvane::cmd::StartESP).empty());
        QCOMPARE(f.paramIds(orvane::cmd::SetParam), (QList<int>{4, 8, 5, 9, 10, 3, 11}));
    }

    void writeEnterpriseUploadsKeyAndCertificate()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QByteArray key(2000, '\0'), cert(513, '\0');
        for (int i = 0; i < key.size(); ++i) key[i] = char(i ^ 0xC0);
        for (int i = 0; i < cert.size(); ++i) cert[i] = char(0xDB + i);
        for (auto [name, data] : {std::pair<QString, QByteArray>{"dev.key", key}, {"ca.pem", cert}}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(data);
        }
        PageFixture f;
        f.sim.removeAllFiles();
        wifiOn(f.ui);
        f.ui->ChkEthEn->setChecked(true);
        f.ui->radioSecOpen_3->click();
        f.ui->EditKeyFName->setText(dir.filePath("dev.key"));
        f.ui->EditCertFName->setText(dir.filePath("ca.pem"));
        f.window.on_ButtonConfigWrite_clicked();
        // The upload runs on its own thread; the window hears of its end through its finish slot.
        QTRY_VERIFY_WITH_TIMEOUT(!f.window.jobRunning(), 60000);
        QVERIFY(f.ui->progressStatus->isHidden());
        const auto files = f.sim.files();
        QVERIFY(files.count("dev.key") && files.count("ca.pem"));
        QCOMPARE(files.at("dev.key"), bytes(key));
        QCOMPARE(files.at("ca.pem"), bytes(cert));
        // Every parameter arrived whole although the upload ran at the same time.
        QCOMPARE(f.paramIds(orvane::cmd::SetParam), (QList<int>{4, 8, 5, 9, 10, 3, 11}));
        QCOMPARE(f.sim.param(3), std::vector<uint8_t>{1});
        const QStringList log = f.log();
        QVERIFY(log.contains("Writing was done"));
        QVERIFY(!log.contains("No parameters to update found"));
        QVERIFY(log.size() > 3);  // the upload's own lines are there too
    }
};

QTEST_MAIN(NetworkPageTest)
#include "tst_netpage_network.moc"
