// Connect, the device search and Disconnect of the admin window, end to end against the
// simulated device in a private virtual ports directory.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolBox>
#include <QtTest>

#include <memory>

#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"
#include "device/connection/CandidateProbe.h"
#include "device/connection/DeviceIdentity.h"
#include "forms/AppFonts.h"
#include "forms/ScreenScale.h"
#include "discovery/SearchPort.h"
#include "link/cUSB_CDC_Protocol.h"
#include "tests/support/SimHarness.h"

using orvane::test::SimHarness;

namespace {

constexpr int kWaitMs = 15000;  // generous: the machine may be loaded

// The window with its search state in reach.
class TestWindow : public MainWindow {
public:
    using MainWindow::searchDialog;
    using MainWindow::scanning;
    QStringList log() const { return form()->GLog->toPlainText().split('\n', Qt::SkipEmptyParts); }
};

QString portOf(SimHarness& sim)
{
    return QString::fromStdString(sim.portPath());
}

size_t count(SimHarness& sim, uint8_t command)
{
    return sim.received(command).size();
}

orvane::sim::SimOptions quickRestart()
{
    orvane::sim::SimOptions options;
    options.restartDelayMs = 150;
    return options;
}

}  // namespace

class WindowConnectTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { orvane::installFontSubstitutions(); }

    void identityTexts();
    void connectWithDevicePresentThenDisconnect();
    void connectWithNoDeviceThenCancel();
    void escapeLeavesTheDialogHidden();
    void deviceAppearingDuringTheSearchIsConnected();
    void portPresentAtTheClickIsNeverProbed();
    void bootloaderPassedOverAtConnectWhenSkipping();
    void bootloaderTakenWhenNotSkipping();
    void bootloaderInTheSearchIsToldToLeave();
    void failingMacQueryLeavesFieldsEmptyButConnected();
    void portThatCannotBeOpenedIsNamedOnce();
    void busyPortIsPassedOverSilently();
    void closingTheWindowLeavesTheDeviceOnlyWhenOpen();
    void unpluggedDeviceIsLetGoAndCanBeConnectedAgain();

private:
    orvane::ScopedScreenScale pin_{1.0};
};

void WindowConnectTest::identityTexts()
{
    const uint8_t mac[6] = {0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};
    QCOMPARE(orvane::formatMac(mac), QStringLiteral("0A:1B:2C:3D:4E:5F"));
    const uint8_t zeros[6] = {};
    QCOMPARE(orvane::formatMac(zeros), QStringLiteral("00:00:00:00:00:00"));
    QCOMPARE(orvane::modeLine(1), QStringLiteral("Current device mode : 1"));
    QCOMPARE(orvane::modeLine(0x0102), QStringLiteral("Current device mode : 2"));
    QCOMPARE(orvane::modeLine(0x11), QStringLiteral("Current device mode : A"));
    QVERIFY(orvane::isBootloaderVersion("Orvane Bootloader 1.0"));
    QVERIFY(!orvane::isBootloaderVersion("bootloader 1.0"));
}

void WindowConnectTest::connectWithDevicePresentThenDisconnect()
{
    SimHarness sim;
    sim.setIdentifier(18446744073709551615ULL);
    sim.start();
    const QString port = portOf(sim);
    const QString firmware = QString::fromStdString(sim.firmwareVersion());
    TestWindow window;
    const MainWindowForm* f = window.form();

    f->ButtonConnect->click();
    QCOMPARE(window.log(), QStringList({"Scanning for available COM ports",
                                        "Found the device connected to " + port,
                                        "Firmware version is " + firmware,
                                        "Current device mode : 1"}));
    QVERIFY(!window.searchDialog);
    QVERIFY(window.link()->opened);
    QCOMPARE(f->ButtonConnect->text(), QStringLiteral("Disconnect"));
    QVERIFY(f->ButtonConnect->isEnabled());
    QVERIFY(f->toolBox->isEnabled());
    QCOMPARE(f->lineID->text(), QStringLiteral("18446744073709551615"));
    QCOMPARE(f->lineWifiMAC->text(), QStringLiteral("24:6F:28:1A:3C:51"));
    QCOMPARE(f->lineEthMAC->text(), QStringLiteral("24:6F:28:1A:3C:52"));
    QCOMPARE(f->lineFWver->text(), firmware);

    sim.clearReceived();
    f->ButtonConnect->click();
    QCOMPARE(window.log().last(), QStringLiteral("The Device Disconnected"));
    QCOMPARE(count(sim, 9), size_t(1));  // SendExit
    QVERIFY(!window.link()->opened);
    QCOMPARE(f->ButtonConnect->text(), QStringLiteral("Connect"));
    QVERIFY(f->ButtonConnect->isEnabled());
    QVERIFY(!f->toolBox->isEnabled());
    for (QLineEdit* field : {f->lineID, f->lineWifiMAC, f->lineEthMAC, f->lineFWver})
        QVERIFY(field->text().isEmpty());
}

void WindowConnectTest::connectWithNoDeviceThenCancel()
{
    SimHarness sim;  // the ports directory exists, the device is absent
    TestWindow window;
    const MainWindowForm* f = window.form();
    f->ButtonConnect->click();
    QVERIFY(window.searchDialog);
    QVERIFY(window.searchDialog->isVisible());
    QVERIFY(window.scanning);
    QVERIFY(!f->ButtonConnect->isEnabled());
    // A few passes go by in silence.
    QTest::qWait(350);
    QCOMPARE(window.log(), QStringList{"Scanning for available COM ports"});

    QPointer<SearchPort> dialog = window.searchDialog;
    dialog->BtnCancel->click();
    QCOMPARE(window.log().last(), QStringLiteral("Device not found"));
    QVERIFY(!window.scanning);
    QVERIFY(f->ButtonConnect->isEnabled());
    QCOMPARE(f->ButtonConnect->text(), QStringLiteral("Connect"));
    QVERIFY(!f->toolBox->isEnabled());
    QVERIFY(!window.searchDialog);
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), kWaitMs);  // freed once back in the loop
}

void WindowConnectTest::escapeLeavesTheDialogHidden()
{
    SimHarness sim;
    TestWindow window;
    window.form()->ButtonConnect->click();
    QVERIFY(window.searchDialog);
    QVERIFY(QTest::qWaitForWindowExposed(window.searchDialog));
    QTest::keyClick(window.searchDialog, Qt::Key_Escape);
    QCOMPARE(window.log().last(), QStringLiteral("Device not found"));
    QVERIFY(window.form()->ButtonConnect->isEnabled());
    QTest::qWait(50);
    QVERIFY(window.searchDialog);
    QVERIFY(window.searchDialog->isHidden());
    QVERIFY(!window.scanning);
    // A later device does not connect: the search is over.
    sim.start();
    QTest::qWait(300);
    QVERIFY(!window.link()->opened);
    QCOMPARE(count(sim, 12), size_t(0));
}

void WindowConnectTest::deviceAppearingDuringTheSearchIsConnected()
{
    SimHarness sim;
    TestWindow window;
    const MainWindowForm* f = window.form();
    f->ButtonConnect->click();
    QPointer<SearchPort> dialog = window.searchDialog;
    QVERIFY(dialog);
    sim.start();
    const QString port = portOf(sim);
    QTRY_VERIFY_WITH_TIMEOUT(window.link()->opened, kWaitMs);
    const QStringList log = window.log();
    QCOMPARE(log.mid(0, 2), QStringList({"Scanning for available COM ports",
                                         "Found device connected to " + port}));
    QCOMPARE(log.at(2), "Firmware version is " + QString::fromStdString(sim.firmwareVersion()));
    QVERIFY(!log.contains("Device not found"));
    QVERIFY(dialog.isNull());
    QVERIFY(!window.searchDialog);
    QCOMPARE(f->ButtonConnect->text(), QStringLiteral("Disconnect"));
    QVERIFY(f->ButtonConnect->isEnabled());
    QVERIFY(f->toolBox->isEnabled());
    QCOMPARE(f->lineID->text(), QStringLiteral("1000000017"));
}

void WindowConnectTest::portPresentAtTheClickIsNeverProbed()
{
    orvane::sim::SimOptions options;
    options.noReplyOnNth[1] = 1;  // the first SendHello goes unanswered
    SimHarness sim(options);
    sim.start();
    TestWindow window;
    window.form()->ButtonConnect->click();
    QVERIFY(window.searchDialog);
    QCOMPARE(count(sim, 1), size_t(1));
    // The device would answer now, but its port was there at the click.
    QTest::qWait(500);
    QCOMPARE(count(sim, 12), size_t(0));
    QCOMPARE(sim.received().size(), size_t(1));
    QVERIFY(!window.link()->opened);
    window.searchDialog->BtnCancel->click();
    QCOMPARE(window.log().last(), QStringLiteral("Device not found"));
}

void WindowConnectTest::bootloaderPassedOverAtConnectWhenSkipping()
{
    orvane::sim::SimOptions options;
    options.bootloaderMs = 600000;
    SimHarness sim(options);
    sim.start();
    TestWindow window;
    QVERIFY(window.form()->checkBoxSkipBootLdr->isChecked());
    window.form()->ButtonConnect->click();
    QVERIFY(window.searchDialog);
    QVERIFY(!window.link()->opened);
    // Only the identification query reached the bootloader: no leave command here.
    QCOMPARE(sim.received().size(), size_t(1));
    QCOMPARE(count(sim, 1), size_t(1));
    window.searchDialog->BtnCancel->click();
}

void WindowConnectTest::bootloaderTakenWhenNotSkipping()
{
    orvane::sim::SimOptions options;
    options.bootloaderMs = 600000;
    SimHarness sim(options);
    sim.start();
    TestWindow window;
    window.form()->checkBoxSkipBootLdr->setChecked(false);
    window.form()->ButtonConnect->click();
    QVERIFY(!window.searchDialog);
    QVERIFY(window.link()->opened);
    QVERIFY(window.log().contains(QStringLiteral("Firmware version is Bootloader 1.0.3")));
    QCOMPARE(window.form()->ButtonConnect->text(), QStringLiteral("Disconnect"));
}

void WindowConnectTest::bootloaderInTheSearchIsToldToLeave()
{
    orvane::sim::SimOptions options = quickRestart();
    options.bootloaderMs = 600000;
    SimHarness sim(options);
    TestWindow window;
    window.form()->ButtonConnect->click();
    QVERIFY(window.searchDialog);
    sim.start();
    const QString bootPort = portOf(sim);
    // The bootloader gets SendExit, leaves, and the firmware comes back on a new port.
    QTRY_VERIFY_WITH_TIMEOUT(window.link()->opened, kWaitMs);
    QVERIFY(count(sim, 9) >= 1);
    const QString port = portOf(sim);
    QVERIFY(port != bootPort);
    const QStringList log = window.log();
    QVERIFY(log.contains("Found device connected to " + port));
    QVERIFY(!log.contains("Found device connected to " + bootPort));
    QVERIFY(!window.form()->lineFWver->text().contains("Bootloader"));
}

void WindowConnectTest::failingMacQueryLeavesFieldsEmptyButConnected()
{
    orvane::sim::SimOptions options;
    options.nokOnNth[10] = 1;  // SendGetMAC
    SimHarness sim(options);
    sim.start();
    TestWindow window;
    const MainWindowForm* f = window.form();
    f->ButtonConnect->click();
    QVERIFY(window.link()->opened);
    QVERIFY(f->toolBox->isEnabled());
    QCOMPARE(f->ButtonConnect->text(), QStringLiteral("Disconnect"));
    for (QLineEdit* field : {f->lineID, f->lineWifiMAC, f->lineEthMAC, f->lineFWver})
        QVERIFY(field->text().isEmpty());
    QVERIFY(!window.log().last().startsWith("Current device mode"));
    QCOMPARE(count(sim, 11), size_t(0));  // stopped at the first failure
}

void WindowConnectTest::portThatCannotBeOpenedIsNamedOnce()
{
    SimHarness sim;
    const QDir dir(QString::fromStdString(sim.portsDir()));
    QVERIFY(QFile::link(dir.filePath("nowhere-a"), dir.filePath("broken-a")));
    QVERIFY(QFile::link(dir.filePath("nowhere-b"), dir.filePath("broken-b")));
    TestWindow window;
    window.form()->ButtonConnect->click();
    QVERIFY(window.searchDialog);
    const QStringList log = window.log();
    QCOMPARE(log.size(), 2);
    QVERIFY2(log.at(1).startsWith("Cannot open " + dir.filePath("broken-a") + ": "),
             qPrintable(log.at(1)));
    QVERIFY(log.at(1).size() > QString("Cannot open " + dir.filePath("broken-a") + ": ").size());
    window.searchDialog->BtnCancel->click();
    // A new Connect names it again.
    window.form()->ButtonConnect->click();
    QCOMPARE(window.log().filter("Cannot open ").size(), 2);
    window.searchDialog->BtnCancel->click();
}

void WindowConnectTest::busyPortIsPassedOverSilently()
{
    SimHarness sim;
    sim.start();
    cUSB_CDC_Protocol holder;
    QCOMPARE(holder.OpenPort(portOf(sim)), 0);
    TestWindow window;
    window.form()->ButtonConnect->click();
    QVERIFY(window.searchDialog);
    QCOMPARE(window.log(), QStringList{"Scanning for available COM ports"});
    window.searchDialog->BtnCancel->click();
}

void WindowConnectTest::closingTheWindowLeavesTheDeviceOnlyWhenOpen()
{
    SimHarness sim;
    sim.start();
    {
        TestWindow window;
        window.form()->ButtonConnect->click();
        QVERIFY(window.link()->opened);
        sim.clearReceived();
    }
    QCOMPARE(count(sim, 9), size_t(1));
    sim.clearReceived();
    {
        TestWindow window;
        window.show();
    }
    QCOMPARE(sim.received().size(), size_t(0));
    {
        // Closed in the middle of a search: the program ends, and the dialog goes with the
        // window.
        SimHarness empty;
        auto* window = new TestWindow;
        window->show();
        window->form()->ButtonConnect->click();
        QPointer<SearchPort> dialog = window->searchDialog;
        QVERIFY(dialog && dialog->isVisible());
        // The application notices the last window closing only inside its event loop.
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        QTimer::singleShot(0, window, &QWidget::close);
        QTimer::singleShot(kWaitMs, qApp, &QCoreApplication::quit);  // in case it does not
        qApp->exec();
        QCOMPARE(lastClosed.count(), 1);
        delete window;
        QVERIFY(dialog.isNull());
        QTest::qWait(250);  // a pass that was due finds nothing to run on
    }
}

void WindowConnectTest::unpluggedDeviceIsLetGoAndCanBeConnectedAgain()
{
    SimHarness sim;
    sim.start();
    TestWindow window;
    const MainWindowForm* f = window.form();
    f->ButtonConnect->click();
    QVERIFY(window.link()->opened);
    sim.clearReceived();

    sim.stop();  // the cable is pulled while nothing is being asked
    QTRY_COMPARE_WITH_TIMEOUT(f->ButtonConnect->text(), QStringLiteral("Connect"), kWaitMs);
    QCOMPARE(window.log().last(), QStringLiteral("The Device Disconnected"));
    QCOMPARE(window.log().count(QStringLiteral("The Device Disconnected")), 1);
    QVERIFY(!window.link()->opened);
    QVERIFY(f->ButtonConnect->isEnabled());
    QVERIFY(!f->toolBox->isEnabled());
    for (QLineEdit* field : {f->lineID, f->lineWifiMAC, f->lineEthMAC, f->lineFWver})
        QVERIFY(field->text().isEmpty());
    QVERIFY(sim.received(9).empty());  // nothing sent to a device that is gone

    sim.start();
    f->ButtonConnect->click();
    QVERIFY(window.link()->opened);
    QCOMPARE(f->ButtonConnect->text(), QStringLiteral("Disconnect"));
    QCOMPARE(f->lineFWver->text(), QString::fromStdString(sim.firmwareVersion()));
}

QTEST_MAIN(WindowConnectTest)
#include "window_connect_test.moc"
