// The firmware, audio and reading pages of the admin window, end to end against the
// simulated device: the jobs they start, one job at a time, the flash with its automatic
// reconnect, and closing the window while a job runs.
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>
#include <QToolBox>
#include <QtTest>

#include <memory>

#include "admin/FileDialogs.h"
#include "admin/FileLoader.h"
#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"
#include "admin/TransferJobRunner.h"
#include "forms/AppFonts.h"
#include "forms/ScreenScale.h"
#include "link/cUSB_CDC_Protocol.h"
#include "tests/support/SimHarness.h"

using orvane::test::SimHarness;
namespace cmd = orvane::cmd;

namespace {

constexpr int kWaitMs = 30000;  // generous: the machine may be loaded

QStringList logOf(const MainWindow& window) {
    return window.form()->GLog->toPlainText().split('\n', Qt::SkipEmptyParts);
}

QByteArray bytesOf(const std::vector<uint8_t>& v) {
    return QByteArray(reinterpret_cast<const char*>(v.data()), int(v.size()));
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Answers the pages' file and folder questions in place of the dialogs, and remembers them.
struct Chooser {
    QString file;
    QString folder;
    QStringList asked;  // "caption|filter" of each question

    Chooser() {
        orvane::dialogs::setOpenFileChooser([this](QWidget*, const QString& caption,
                                                   const QString& filter) {
            asked << caption + '|' + filter;
            return file;
        });
        orvane::dialogs::setFolderChooser([this](QWidget*, const QString& caption) {
            asked << caption;
            return folder;
        });
    }
    ~Chooser() {
        orvane::dialogs::setOpenFileChooser({});
        orvane::dialogs::setFolderChooser({});
    }
};

}  // namespace

class TransferWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    orvane::ScopedScreenScale pin_{1.0};

    QString localFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
        return path;
    }

    static bool connectWindow(MainWindow& window) {
        window.form()->ButtonConnect->click();
        return window.link()->opened;
    }

    static bool waitForJobEnd(MainWindow& window) {
        QDeadlineTimer deadline(kWaitMs);
        while (window.jobRunning() && !deadline.hasExpired())
            QTest::qWait(20);
        return !window.jobRunning();
    }

private slots:
    void initTestCase() { orvane::installFontSubstitutions(); }

    void browseFilters() {
        Chooser chooser;
        MainWindow window;
        const MainWindowForm* f = window.form();
        chooser.file = "/fw/system.bin";
        window.on_nRFFileSelect_clicked();
        QCOMPARE(f->EditFWnRFfile->text(), QString("/fw/system.bin"));
        chooser.file = "/a/one.mp3";
        window.on_BtnAudioSel_1_clicked();
        window.on_BtnAudioSel_8_clicked();
        QCOMPARE(f->EditAudioFile_8->text(), QString("/a/one.mp3"));
        QCOMPARE(chooser.asked, (QStringList{"Open File|Binaries (*.bin)",
                                             "Open File|Audio (*.mp3)",
                                             "Open File|Audio (*.mp3);;All files (*.*)"}));
        // A cancelled dialog empties the field.
        chooser.file.clear();
        window.on_loaderFileSelect_clicked();
        window.on_ESPFileSelect_clicked();
        window.on_nRFFileSelect_clicked();
        QVERIFY(f->EditFWnRFfile->text().isEmpty());
    }

    void flashThenReconnectToRestartedDevice() {
        orvane::sim::SimOptions options;
        options.restartDelayMs = 200;
        SimHarness sim(options);
        sim.start();
        const std::string firstPort = sim.portPath();
        MainWindow window;
        const MainWindowForm* f = window.form();
        QVERIFY(connectWindow(window));
        f->EditFWnRFfile->setText(localFile("fw/system.bin", "image ORVANE-VERSION=7.7.7\n"));
        sim.clearReceived();

        QTest::ignoreMessage(QtDebugMsg, "Downloading is complete");
        f->ButFlashDevice->click();
        QVERIFY(!f->toolBox->isEnabled());
        QVERIFY(!f->ButtonConnect->isEnabled());
        QVERIFY(!f->progressStatus->isHidden());
        // The reconnect ends with the identity of the restarted device.
        QTRY_COMPARE_WITH_TIMEOUT(f->lineFWver->text(), QString("7.7.7"), kWaitMs);
        QVERIFY(window.link()->opened);
        QVERIFY(sim.portPath() != firstPort);
        QVERIFY(f->toolBox->isEnabled());
        QVERIFY(f->ButtonConnect->isEnabled());
        QCOMPARE(f->ButtonConnect->text(), QString("Disconnect"));
        QVERIFY(f->progressStatus->isHidden());
        QCOMPARE(sim.received(cmd::StartUpdate).size(), size_t(1));

        const QStringList log = logOf(window);
        const QStringList expected{"File for flashing: Updates/system.bin",
                                   "Starting file flashing",
                                   "system.bin file was successfully downloaded",
                                   "Firmware downloding is complete",
                                   "The Device is updating the firmware",
                                   "The Device Disconnected"};
        int at = 0;
        for (const QString& line : log)
            if (at < expected.size() && line == expected[at]) ++at;
        QCOMPARE(at, int(expected.size()));
        const auto history = bytesOf(sim.files().at("Updates/dnloads.cfg"));
        QVERIFY(history.contains("nRF_Update_c.bin 7.7.7"));
    }

    void failedFlashDoesNotStartTheUpdate() {
        SimHarness sim;
        sim.start();
        MainWindow window;
        const MainWindowForm* f = window.form();
        QVERIFY(connectWindow(window));
        // Filled fields go in field order, the empty one is skipped.
        f->EditFWnRFfile->setText(localFile("system.bin", QByteArray(2000, 'x')));
        f->EditFWESPfile->clear();
        f->EditFWloaderFile->setText(dir.filePath("missing/interface.bin"));
        sim.clearReceived();

        QTest::ignoreMessage(QtDebugMsg, "Downloading is complete");
        f->ButFlashDevice->click();
        QVERIFY(waitForJobEnd(window));
        const QStringList log = logOf(window);
        const int system = log.indexOf("File for flashing: Updates/system.bin");
        QVERIFY(system >= 0);
        QCOMPARE(log.indexOf("File for flashing: Updates/interface.bin"), system + 3);
        QCOMPARE(sim.received(cmd::StartESP).size(), size_t(1));
        QCOMPARE(logOf(window).last(),
                 QString("Firmware update was not started because the upload failed"));
        QVERIFY(logOf(window).contains("File opening error"));
        QVERIFY(sim.received(cmd::StartUpdate).empty());
        QVERIFY(window.link()->opened);
        QVERIFY(f->toolBox->isEnabled());
        QVERIFY(f->ButtonConnect->isEnabled());
        QVERIFY(f->progressStatus->isHidden());

        // A refused file start is said in the log before the update is given up.
        sim.updateOptions([](orvane::sim::SimOptions& o) { o.nokOnNth[cmd::StartESP] = 1; });
        f->EditFWloaderFile->clear();
        QTest::ignoreMessage(QtDebugMsg, "Downloading is complete");
        f->ButFlashDevice->click();
        QVERIFY(waitForJobEnd(window));
        const QStringList refused = logOf(window);
        QCOMPARE(refused.mid(refused.size() - 2),
                 QStringList({"The device refused to store Updates/nRF_Update_c.bin",
                              "Firmware update was not started because the upload failed"}));
    }

    void deviceLostDuringAFlashEndsTheJobThenDisconnects() {
        orvane::sim::SimOptions options;
        options.noReplyOnNth[cmd::WriteESP] = 10;  // the cable is pulled while chunk 10 waits
        SimHarness sim(options);
        sim.start();
        MainWindow window;
        const MainWindowForm* f = window.form();
        QVERIFY(connectWindow(window));
        f->EditFWnRFfile->setText(localFile("lost/system.bin", QByteArray(64 * 1024, 'x')));

        f->ButFlashDevice->click();
        QTRY_VERIFY_WITH_TIMEOUT(sim.received(cmd::WriteESP).size() >= 10, kWaitMs);
        sim.stop();
        QVERIFY(waitForJobEnd(window));
        QTRY_COMPARE_WITH_TIMEOUT(f->ButtonConnect->text(), QString("Connect"), kWaitMs);
        const QStringList log = logOf(window);
        const int notStarted = log.indexOf("Firmware update was not started because the upload failed");
        QVERIFY2(notStarted > 0, qPrintable(log.join(" | ")));
        QCOMPARE(log.mid(notStarted + 1), QStringList{"The Device Disconnected"});
        QVERIFY(sim.received(cmd::StartUpdate).empty());
        QVERIFY(!window.link()->opened);
        QVERIFY(!f->toolBox->isEnabled());
        QVERIFY(f->ButtonConnect->isEnabled());
        QVERIFY(f->lineID->text().isEmpty());
    }

    void emptyFlashStillUpdates() {
        orvane::sim::SimOptions options;
        options.restartDelayMs = 200;
        SimHarness sim(options);
        sim.start();
        MainWindow window;
        QVERIFY(connectWindow(window));
        sim.clearReceived();
        window.form()->ButFlashDevice->click();
        QTRY_VERIFY_WITH_TIMEOUT(logOf(window).contains("The Device Disconnected"), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(window.link()->opened, kWaitMs);
        QCOMPARE(sim.received(cmd::StartUpdate).size(), size_t(1));
        QVERIFY(sim.received(cmd::StartESP).empty());
        QVERIFY(logOf(window).contains("Firmware downloding is complete"));
    }

    void clearRemoteHistory() {
        SimHarness sim;
        sim.start();
        MainWindow window;
        QVERIFY(connectWindow(window));
        QVERIFY(sim.files().count("Updates/dnloads.cfg"));
        window.form()->GLog->clear();
        window.form()->ButClearRemoteHist->click();
        QCOMPARE(logOf(window), (QStringList{"Wait for clearing...",
                                             "Update history was cleared successfully"}));
        QVERIFY(!sim.files().count("Updates/dnloads.cfg"));

        window.form()->GLog->clear();
        window.form()->ButClearRemoteHist->click();  // nothing left to delete: refused
        QCOMPARE(logOf(window), QStringList{"Wait for clearing..."});
    }

    void audioSlotsInOrder() {
        SimHarness sim;
        sim.start();
        MainWindow window;
        const MainWindowForm* f = window.form();
        QVERIFY(connectWindow(window));
        const QByteArray first = QByteArray(700, 'a'), second = QByteArray(300, 'b');
        f->EditAudioFile_2->setText(localFile("x/tone.mp3", first));
        f->EditAudioFile_5->setText(localFile("y/tone.mp3", second));
        f->EditAudioFile_7->setText(localFile("bell.mp3", "ring"));
        sim.clearReceived();

        f->BtnGetAudioList_2->click();
        QVERIFY(f->toolBox->isEnabled());  // the audio job leaves the pages open
        QVERIFY(waitForJobEnd(window));
        QCOMPARE(logOf(window).last(), QString("Firmware downloding is complete"));
        QVERIFY(f->progressStatus->isHidden());
        const auto starts = sim.received(cmd::StartESP);
        QCOMPARE(starts.size(), size_t(3));
        const char* names[] = {"tone.mp3", "tone.mp3", "bell.mp3"};
        for (size_t i = 0; i < 3; ++i)
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(starts[i].payload.data()) + 4),
                     QByteArray(names[i]));
        QCOMPARE(bytesOf(sim.files().at("tone.mp3")), second);
        QCOMPARE(bytesOf(sim.files().at("bell.mp3")), QByteArray("ring"));

        // With every slot empty the job still runs and ends.
        for (QLineEdit* e : {f->EditAudioFile_2, f->EditAudioFile_5, f->EditAudioFile_7})
            e->clear();
        window.form()->GLog->clear();
        f->BtnGetAudioList_2->click();
        QVERIFY(waitForJobEnd(window));
        QCOMPARE(logOf(window), QStringList{"Firmware downloding is complete"});
        QVERIFY(f->progressStatus->isHidden());
    }

    void readSelectedFiles() {
        SimHarness sim;
        sim.start();
        const QByteArray data = QByteArray(1000, 'r');
        sim.putFile("Logs/run.log", std::vector<uint8_t>(data.begin(), data.end()));
        Chooser chooser;
        MainWindow window;
        const MainWindowForm* f = window.form();
        QVERIFY(connectWindow(window));

        f->GLog->clear();
        f->ButRead->click();
        QCOMPARE(logOf(window), QStringList{"No file selected"});
        QVERIFY(chooser.asked.isEmpty());

        f->buttRefresh->click();
        f->DirSelectBox->setCurrentText("Logs");
        const auto rows = f->listOfFiles->findItems("run.log", Qt::MatchExactly);
        QCOMPARE(rows.size(), 1);
        rows[0]->setSelected(true);

        // A cancelled folder question starts nothing.
        f->GLog->clear();
        f->ButRead->click();
        QCOMPARE(chooser.asked, QStringList{"Select Directory for files saving"});
        QVERIFY(!window.jobRunning());
        QVERIFY(logOf(window).isEmpty());

        QTemporaryDir out;
        chooser.folder = out.path();
        f->ButRead->click();
        QVERIFY(!f->progressStatus->isHidden());
        QVERIFY(waitForJobEnd(window));
        QCOMPARE(logOf(window).last(), QString("File getting is complete"));
        QCOMPARE(readFile(out.filePath("run.log")), data);
        QVERIFY(f->progressStatus->isHidden());
    }

    void readFlashImage() {
        SimHarness sim;
        sim.start();
        Chooser chooser;
        MainWindow window;
        QVERIFY(connectWindow(window));
        QTemporaryDir out;
        chooser.folder = out.path();
        window.form()->ButReadFlash->click();
        QCOMPARE(chooser.asked, QStringList{"Select Directory for the flash image saving"});
        QVERIFY(waitForJobEnd(window));
        QCOMPARE(logOf(window).last(), QString("Flash reading is complete"));
        QVERIFY(readFile(out.filePath("flashimage.bin")) == bytesOf(sim.flash()));
    }

    void oneJobAtATime() {
        orvane::sim::SimOptions options;
        options.replyLatencyMs = 20;  // keeps the first job running for a while
        SimHarness sim(options);
        sim.start();
        Chooser chooser;
        MainWindow window;
        const MainWindowForm* f = window.form();
        QVERIFY(connectWindow(window));
        f->EditAudioFile_1->setText(localFile("long.mp3", QByteArray(40 * 512, 'l')));
        f->EditFWnRFfile->setText(localFile("system.bin", "fw"));

        f->BtnGetAudioList_2->click();
        QVERIFY(window.jobRunning());
        TransferJobRunner* runner = TransferJobRunner::of(&window);
        QPointer<FileLoader> worker = runner->currentWorker();
        QPointer<QThread> thread = worker ? worker->thread() : nullptr;
        QVERIFY(worker && thread);
        QVERIFY(!f->ButtonConnect->isEnabled());

        f->GLog->clear();
        f->ButFlashDevice->click();
        f->ButReadFlash->click();
        QCOMPARE(logOf(window), (QStringList{"A transfer is already running",
                                             "A transfer is already running"}));
        QVERIFY(chooser.asked.isEmpty());
        QVERIFY(f->toolBox->isEnabled());

        QVERIFY(waitForJobEnd(window));
        QVERIFY(f->ButtonConnect->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(worker.isNull() && thread.isNull(), kWaitMs);
        QVERIFY(sim.received(cmd::StartUpdate).empty());
        QCOMPARE(sim.received(cmd::StartESP).size(), size_t(1));
    }

    void closingTheWindowDuringAJob() {
        orvane::sim::SimOptions options;
        options.replyLatencyMs = 20;
        SimHarness sim(options);
        sim.start();
        Chooser chooser;
        QTemporaryDir out;
        chooser.folder = out.path();
        auto window = std::make_unique<MainWindow>();
        QVERIFY(connectWindow(*window));
        window->form()->ButReadFlash->click();
        QVERIFY(window->jobRunning());
        QTRY_VERIFY_WITH_TIMEOUT(sim.received(cmd::GetFlash).size() >= 3, kWaitMs);

        window.reset();  // stops the job after its current exchange, then leaves the device
        const auto all = sim.received();
        QVERIFY(!all.empty());
        QCOMPARE(all.back().command, uint8_t(cmd::Exit));
        QVERIFY(sim.received(cmd::GetFlash).size() < 100);
        QVERIFY(!QFile::exists(out.filePath("flashimage.bin")));
    }

    void modeGuard() {
        SimHarness sim;
        sim.start();
        cUSB_CDC_Protocol link;
        QCOMPARE(link.OpenPort(QString::fromStdString(sim.portPath())), 0);
        FileLoader reader(&link, {{"x", false}}, dir.path(), 0);
        FileLoader uploader(&link, {{localFile("g.bin", "g"), false}});
        QSignalSpy readerFinish(&reader, &FileLoader::sigFinish);
        QSignalSpy readerLog(&reader, &FileLoader::sigLog);
        QSignalSpy uploaderFinish(&uploader, &FileLoader::sigFinish);
        reader.doWork();
        uploader.doGetFiles();
        uploader.doGetFlashImage();
        QCOMPARE(readerFinish.count() + readerLog.count() + uploaderFinish.count(), 0);
        QVERIFY(sim.received().empty());

        // The right pairing: lines, then the end, exactly once and last.
        QStringList order;
        connect(&uploader, &FileLoader::sigLog, [&](const QString& l) { order << l; });
        connect(&uploader, &FileLoader::sigFinish, [&] { order << "<finish>"; });
        uploader.doWork();
        QCOMPARE(order, (QStringList{"File for flashing: Updates/g.bin", "Starting file flashing",
                                     "g.bin file was successfully downloaded",
                                     "Firmware downloding is complete", "<finish>"}));
    }
};

QTEST_MAIN(TransferWindowTest)
#include "transfer_window_test.moc"
