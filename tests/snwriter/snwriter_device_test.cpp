// The serial-number writer end to end against the simulated device in a private virtual
// ports directory: Connect and the identifier shown, Set with its write, messages and
// read-back (and their failures), Disconnect, the bootloader rule, the search, closing.
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <vector>

#include "forms/AppFonts.h"
#include "forms/ScreenScale.h"
#include "discovery/SearchPort.h"
#include "link/cUSB_CDC_Protocol.h"
#include "snwriter/MainWindow.h"
#include "snwriter/MainWindowForm.h"
#include "tests/support/SimHarness.h"

using orvane::test::SimHarness;
using snwriter::MainWindowForm;

namespace {

constexpr int kWaitMs = 15000;  // generous: the machine may be loaded
constexpr uint8_t kSetID = 6, kExit = 9, kGetMAC = 10, kGetID = 11;

const QString kWritten = QStringLiteral("The serial number has been written successfully");
const QString kWriteError = QStringLiteral("An error occurred during writing the serial number");
const QString kCheckError = QStringLiteral("An error occurred during checking the serial number");

// The window with its search state in reach and Set's messages recorded instead of shown.
class TestWindow : public snwriter::MainWindow {
public:
    using MainWindow::scanning;
    using MainWindow::searchDialog;

    TestWindow()
    {
        setMessagePresenter([this](const QString& text) {
            messages << text;
            if (onMessage)
                onMessage(text);
        });
    }
    const MainWindowForm* f() const { return form(); }
    bool connected() const { return f()->ButtonConnect->text() == QLatin1String("Disconnect"); }

    QStringList messages;
    std::function<void(const QString&)> onMessage;
};

std::vector<uint8_t> le64(quint64 value)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 8; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return bytes;
}

size_t count(SimHarness& sim, uint8_t command)
{
    return sim.received(command).size();
}

// A device holding `id` and a window that clicked Connect on it (the window goes first, so
// it can still leave the device).
struct Connected {
    explicit Connected(quint64 id, orvane::sim::SimOptions options = {}) : sim(options)
    {
        sim.setIdentifier(id);
        sim.start();
        window.f()->ButtonConnect->click();
    }
    SimHarness sim;
    TestWindow window;
    const MainWindowForm* f = window.f();
};

}  // namespace

class SnWriterDeviceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { orvane::installFontSubstitutions(); }

    void connectShowsTheIdentifierAndDisconnectKeepsTheEntry();
    void setWritesTheEightBytesAndShowsTheReadBack();
    void setShowsTheReadBackAsRead();
    void failedWriteShowsOnlyTheFirstError();
    void failedReadBackShowsBothMessagesAndKeepsLineId();
    void replySplitInTwoIsAccepted();
    void messageBoxIsShownAndWaitedFor();
    void bootloaderPassedOverWhenSkippingTakenOtherwise();
    void deviceAppearingDuringTheSearchIsConnected();
    void portThatCannotBeOpenedIsNamedOncePerConnect();
    void closingTheWindowLeavesTheDeviceOnlyWhenOpen();
    void unpluggedDeviceClearsTheIdentifier();

private:
    orvane::ScopedScreenScale pin_{1.0};
};

void SnWriterDeviceTest::connectShowsTheIdentifierAndDisconnectKeepsTheEntry()
{
    Connected c(18446744073709551615ULL);
    SimHarness& sim = c.sim;
    TestWindow& window = c.window;
    const MainWindowForm* f = c.f;
    QVERIFY(window.connected());
    QVERIFY(!window.searchDialog);
    QVERIFY(window.link()->opened);
    QVERIFY(f->ButtonConnect->isEnabled());
    QVERIFY(f->lineID_new->isEnabled());
    QVERIFY(f->ButtonSet->isEnabled());
    QCOMPARE(f->lineID->text(), QStringLiteral("18446744073709551615"));
    QVERIFY(window.messages.isEmpty());

    f->lineID_new->setValue(4321.0);
    sim.clearReceived();
    f->ButtonConnect->click();
    QCOMPARE(count(sim, kExit), size_t(1));
    QVERIFY(!window.link()->opened);
    QCOMPARE(f->ButtonConnect->text(), QStringLiteral("Connect"));
    QVERIFY(f->ButtonConnect->isEnabled());
    QVERIFY(!f->lineID_new->isEnabled());
    QVERIFY(!f->ButtonSet->isEnabled());
    QVERIFY(f->lineID->text().isEmpty());
    QCOMPARE(f->lineID_new->value(), 4321.0);

    // Connecting again finds the entry as it was left.
    f->ButtonConnect->click();
    QVERIFY(window.connected());
    QCOMPARE(f->lineID_new->value(), 4321.0);
    QCOMPARE(f->lineID->text(), QStringLiteral("18446744073709551615"));
}

void SnWriterDeviceTest::setWritesTheEightBytesAndShowsTheReadBack()
{
    Connected c(7);
    SimHarness& sim = c.sim;
    TestWindow& window = c.window;
    const MainWindowForm* f = c.f;
    QVERIFY(window.connected());

    for (const quint64 id : {quint64(12345678901ULL), quint64(0), quint64(99999999999ULL)}) {
        f->lineID_new->setValue(static_cast<double>(id));
        sim.clearReceived();
        size_t readBacksWhenShown = 99;
        window.onMessage = [&](const QString&) { readBacksWhenShown = count(sim, kGetID); };
        window.messages.clear();

        f->ButtonSet->click();
        QCOMPARE(window.messages, QStringList{kWritten});
        QCOMPARE(readBacksWhenShown, size_t(0));  // the read-back waits for the message
        const auto writes = sim.received(kSetID);
        QCOMPARE(writes.size(), size_t(1));
        QCOMPARE(writes[0].payload, le64(id));
        QCOMPARE(count(sim, kGetID), size_t(1));
        QCOMPARE(sim.identifier(), id);
        QCOMPARE(f->lineID->text(), QString::number(id));
    }
}

void SnWriterDeviceTest::setShowsTheReadBackAsRead()
{
    Connected c(1);
    QVERIFY(c.window.connected());

    // Something else changes the identifier between the write and the read-back: the
    // window shows what the device reports, not what was written.
    c.window.onMessage = [&](const QString&) { c.sim.setIdentifier(555); };
    c.f->lineID_new->setValue(1000.0);
    c.f->ButtonSet->click();
    QCOMPARE(c.window.messages, QStringList{kWritten});
    QCOMPARE(c.f->lineID->text(), QStringLiteral("555"));
}

void SnWriterDeviceTest::failedWriteShowsOnlyTheFirstError()
{
    Connected c(31);
    SimHarness& sim = c.sim;
    TestWindow& window = c.window;
    const MainWindowForm* f = c.f;
    QVERIFY(window.connected());
    f->lineID_new->setValue(77.0);

    // No answer in time, then a one-byte refusal instead of the 8 identifier bytes.
    for (const bool silent : {false, true}) {
        sim.updateOptions([silent](orvane::sim::SimOptions& o) {
            (silent ? o.noReplyOnNth : o.nokOnNth)[kSetID] = 1;
        });
        sim.clearReceived();
        window.messages.clear();
        f->ButtonSet->click();
        QCOMPARE(window.messages, QStringList{kWriteError});
        QCOMPARE(count(sim, kSetID), size_t(1));
        QCOMPARE(count(sim, kGetID), size_t(0));
        QCOMPARE(f->lineID->text(), QStringLiteral("31"));
        if (!silent)  // a lost answer may follow a write the device did make
            QCOMPARE(sim.identifier(), quint64(31));
        QVERIFY(window.connected());
    }
}

void SnWriterDeviceTest::failedReadBackShowsBothMessagesAndKeepsLineId()
{
    Connected c(31);
    QVERIFY(c.window.connected());

    c.sim.updateOptions([](orvane::sim::SimOptions& o) { o.noReplyOnNth[kGetID] = 1; });
    c.f->lineID_new->setValue(64.0);
    c.f->ButtonSet->click();
    QCOMPARE(c.window.messages, (QStringList{kWritten, kCheckError}));
    QCOMPARE(c.sim.identifier(), quint64(64));  // written all the same
    QCOMPARE(c.f->lineID->text(), QStringLiteral("31"));
}

void SnWriterDeviceTest::replySplitInTwoIsAccepted()
{
    orvane::sim::SimOptions options;
    options.splitReplies = true;
    Connected c(808, options);
    QVERIFY(c.window.connected());
    QCOMPARE(c.f->lineID->text(), QStringLiteral("808"));

    c.f->lineID_new->setValue(909.0);
    c.f->ButtonSet->click();
    QCOMPARE(c.window.messages, QStringList{kWritten});
    QCOMPARE(c.f->lineID->text(), QStringLiteral("909"));
}

void SnWriterDeviceTest::messageBoxIsShownAndWaitedFor()
{
    SimHarness sim;
    sim.start();
    snwriter::MainWindow window;  // the real message boxes
    const MainWindowForm* f = window.form();
    f->ButtonConnect->click();
    QCOMPARE(f->ButtonConnect->text(), QStringLiteral("Disconnect"));

    // Each box is answered once it is up, as an operator would; the read-back may only
    // happen after that.
    QStringList shown;
    size_t readBacksWhileShown = 99;
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown << box->text();
        readBacksWhileShown = count(sim, kGetID);
        QVERIFY(!box->parent());
        QCOMPARE(box->buttons().size(), 1);
        box->button(QMessageBox::Ok)->click();
    });
    answer.start();
    sim.clearReceived();
    f->lineID_new->setValue(2024.0);
    f->ButtonSet->click();
    answer.stop();
    QCOMPARE(shown, QStringList{kWritten});
    QCOMPARE(readBacksWhileShown, size_t(0));
    QCOMPARE(f->lineID->text(), QStringLiteral("2024"));
}

void SnWriterDeviceTest::bootloaderPassedOverWhenSkippingTakenOtherwise()
{
    orvane::sim::SimOptions options;
    options.bootloaderMs = 600000;  // a bootloader for the whole test
    SimHarness sim(options);
    sim.setIdentifier(99);
    sim.start();
    TestWindow window;
    const MainWindowForm* f = window.f();
    QVERIFY(f->checkBoxSkipBootLdr->isChecked());

    f->ButtonConnect->click();
    QVERIFY(!window.connected());
    QVERIFY(!window.link()->opened);
    QVERIFY(window.searchDialog);
    QVERIFY(window.scanning);
    QVERIFY(!f->ButtonConnect->isEnabled());
    QVERIFY(!f->lineID_new->isEnabled());
    QVERIFY(!f->ButtonSet->isEnabled());
    QCOMPARE(count(sim, kGetMAC), size_t(0));  // nothing but the query went to it
    QCOMPARE(count(sim, kExit), size_t(0));

    QPointer<SearchPort> dialog = window.searchDialog;
    dialog->BtnCancel->click();
    QVERIFY(!window.scanning);
    QVERIFY(f->ButtonConnect->isEnabled());
    QCOMPARE(f->ButtonConnect->text(), QStringLiteral("Connect"));
    QVERIFY(!f->ButtonSet->isEnabled());
    QVERIFY(window.messages.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), kWaitMs);

    f->checkBoxSkipBootLdr->setChecked(false);
    f->ButtonConnect->click();
    QVERIFY(window.connected());
    QVERIFY(f->ButtonSet->isEnabled());
    QCOMPARE(f->lineID->text(), QStringLiteral("99"));
}

void SnWriterDeviceTest::deviceAppearingDuringTheSearchIsConnected()
{
    SimHarness sim;  // the ports directory exists, the device is absent
    sim.setIdentifier(4242);
    TestWindow window;
    const MainWindowForm* f = window.f();
    f->ButtonConnect->click();
    QPointer<SearchPort> dialog = window.searchDialog;
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());

    sim.start();
    QTRY_VERIFY_WITH_TIMEOUT(window.connected(), kWaitMs);
    QVERIFY(f->ButtonConnect->isEnabled());
    QVERIFY(f->ButtonSet->isEnabled());
    QCOMPARE(f->lineID->text(), QStringLiteral("4242"));
    QVERIFY(!window.scanning);
    QVERIFY(!window.searchDialog);
    QVERIFY(dialog.isNull());
}

void SnWriterDeviceTest::portThatCannotBeOpenedIsNamedOncePerConnect()
{
    SimHarness sim;
    const QDir dir(QString::fromStdString(sim.portsDir()));
    QVERIFY(QFile::link(dir.filePath("nowhere-a"), dir.filePath("broken-a")));
    QVERIFY(QFile::link(dir.filePath("nowhere-b"), dir.filePath("broken-b")));
    TestWindow window;
    const QString prefix = "Cannot open " + dir.filePath("broken-a") + ": ";
    for (int connect = 1; connect <= 2; ++connect) {
        window.f()->ButtonConnect->click();
        QVERIFY(window.searchDialog);
        QCOMPARE(window.messages.size(), connect);
        QVERIFY2(window.messages.last().startsWith(prefix), qPrintable(window.messages.last()));
        QVERIFY(window.messages.last().size() > prefix.size());  // the system's reason
        window.searchDialog->BtnCancel->click();
    }
}

void SnWriterDeviceTest::closingTheWindowLeavesTheDeviceOnlyWhenOpen()
{
    SimHarness sim;
    sim.start();
    auto window = std::make_unique<TestWindow>();
    window->f()->ButtonConnect->click();
    QVERIFY(window->connected());
    sim.clearReceived();
    window.reset();
    QCOMPARE(count(sim, kExit), size_t(1));

    window = std::make_unique<TestWindow>();
    window.reset();
    QCOMPARE(sim.received().size(), size_t(1));  // only the one before
}

void SnWriterDeviceTest::unpluggedDeviceClearsTheIdentifier()
{
    Connected c(77);
    QVERIFY(c.window.connected());
    c.sim.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!c.window.connected(), 15000);
    QVERIFY(c.f->lineID->text().isEmpty());
    QVERIFY(!c.f->ButtonSet->isEnabled());
    QVERIFY(!c.window.link()->opened);
    QVERIFY(c.window.messages.isEmpty());
}

QTEST_MAIN(SnWriterDeviceTest)
#include "snwriter_device_test.moc"
