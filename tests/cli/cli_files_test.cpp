// admin-cli end to end against the simulated device: uploads, reading files back, listing,
// deleting, formatting, the update history, the flash image and flashing firmware.
#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "CliFixture.h"
#include "tests/support/SimHarness.h"

using orvane::test::CliRun;
using orvane::test::readBytes;
using orvane::test::runCli;
using orvane::test::SimHarness;
using orvane::test::someBytes;
using orvane::test::toBytes;
using orvane::test::writeBytes;

namespace {
QString s(const char* text)
{
    return QString::fromUtf8(text);
}
}  // namespace

class CliFilesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(s("default.debug=false")); }

    void uploadThenGetTheSameBytes()
    {
        SimHarness sim;
        sim.start();
        QTemporaryDir local, back;
        const QString a = local.filePath(s("chime.mp3"));
        const QString b = local.filePath(s("empty.mp3"));
        QVERIFY(writeBytes(a, someBytes(5000)));
        QVERIFY(writeBytes(b, QByteArray()));

        const CliRun up = runCli({s("--json"), s("upload"), a, b});
        QCOMPARE(up.status, 0);
        QCOMPARE(toBytes(sim.files().at("chime.mp3")), someBytes(5000));
        QVERIFY(sim.files().count("empty.mp3"));
        QVERIFY(up.err.contains(s("chime.mp3 file was successfully downloaded\n")));
        QVERIFY(up.err.contains(s("Firmware downloding is complete\n")));
        QCOMPARE(up.json().value(s("files")).toArray().size(), 2);

        const CliRun get = runCli({s("get"), s("chime.mp3"), s("/empty.mp3"), s("-o"), back.path()});
        QCOMPARE(get.status, 0);
        QCOMPARE(readBytes(back.filePath(s("chime.mp3"))), someBytes(5000));
        QCOMPARE(readBytes(back.filePath(s("empty.mp3"))), QByteArray());
        QVERIFY(get.err.contains(s("File getting is complete\n")));
    }

    void getFromADirectoryAndItsRefusals()
    {
        SimHarness sim;
        sim.start();
        sim.putFile("Audio/bell.mp3", {1, 2, 3});
        QTemporaryDir back;
        QVERIFY(writeBytes(back.filePath(s("bell.mp3")), "mine"));

        // A file the device does not have: the local file of that name stays as it was.
        CliRun run = runCli({s("get"), s("Audio/none.mp3"), s("-o"), back.path()});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(s("No such file on the device: Audio/none.mp3")));
        QCOMPARE(runCli({s("get"), s("Nowhere/bell.mp3"), s("-o"), back.path()}).status, 1);
        QCOMPARE(readBytes(back.filePath(s("bell.mp3"))), QByteArray("mine"));

        run = runCli({s("get"), s("Audio/bell.mp3"), s("-o"), back.path()});
        QCOMPARE(run.status, 0);
        QCOMPARE(readBytes(back.filePath(s("bell.mp3"))), QByteArray("\1\2\3", 3));

        sim.clearReceived();
        QCOMPARE(runCli({s("get"), s("Audio/bell.mp3"), s("-o"), back.filePath(s("missing"))}).status, 2);
        QCOMPARE(runCli({s("get"), s("Audio/bell.mp3"), s("bell.mp3"), s("-o"), back.path()}).status, 2);
        QCOMPARE(runCli({s("get")}).status, 2);
        QVERIFY(sim.received().empty());
    }

    void uploadRefusals()
    {
        SimHarness sim;
        sim.start();
        QTemporaryDir local;
        QVERIFY(QDir(local.path()).mkpath(s("x")));
        QVERIFY(writeBytes(local.filePath(s("a.mp3")), "1"));
        QVERIFY(writeBytes(local.filePath(s("x/a.mp3")), "2"));
        QCOMPARE(runCli({s("upload"), local.filePath(s("none.mp3"))}).status, 2);
        QCOMPARE(runCli({s("upload"), local.filePath(s("x"))}).status, 2);
        // Two files that would land on one device name.
        QCOMPARE(runCli({s("upload"), local.filePath(s("a.mp3")), local.filePath(s("x/a.mp3"))}).status, 2);
        QVERIFY(sim.received().empty());

        // The device refuses a chunk: the job fails, and says why even when quiet.
        sim.updateOptions([](orvane::sim::SimOptions& o) { o.nokOnNth[3] = 1; });
        const CliRun run = runCli({s("--quiet"), s("upload"), local.filePath(s("a.mp3"))});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, s("Can't send ESP firmware file\n"));
    }

    void listDirectoriesAndFiles()
    {
        SimHarness sim;
        sim.start();
        CliRun run = runCli({s("ls")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, s("/\nUpdates\nAudio\nLogs\n"));
        QVERIFY(run.err.contains(s("Getting the files structure...\nStructure is ready\n")));

        run = runCli({s("ls"), s("/")});
        QCOMPARE(run.out, s("welcome.mp3\nconfig.json\n"));

        run = runCli({s("--json"), s("ls")});
        const QJsonArray dirs = run.json().value(s("directories")).toArray();
        QCOMPARE(dirs.size(), 4);
        QCOMPARE(dirs.at(1).toObject().value(s("name")).toString(), s("Updates"));
        QCOMPARE(dirs.at(1).toObject().value(s("files")).toArray(), QJsonArray({s("dnloads.cfg")}));

        run = runCli({s("--json"), s("ls"), s("Updates")});
        QCOMPARE(run.json().value(s("files")).toArray(), QJsonArray({s("dnloads.cfg")}));
        QCOMPARE(runCli({s("ls"), s("Nowhere")}).status, 1);
        QCOMPARE(runCli({s("ls"), s("a"), s("b")}).status, 2);
    }

    void removeFiles()
    {
        SimHarness sim;
        sim.start();
        sim.putFile("Audio/a.mp3", {1});
        sim.putFile("Audio/b.mp3", {2});
        const CliRun run = runCli({s("rm"), s("Audio/a.mp3"), s("Audio/b.mp3"), s("config.json")});
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.contains(s("Selected files were deleted successfully")));
        const auto files = sim.files();
        QVERIFY(!files.count("Audio/a.mp3"));
        QVERIFY(!files.count("Audio/b.mp3"));
        QVERIFY(!files.count("config.json"));
        QVERIFY(files.count("welcome.mp3"));

        QCOMPARE(runCli({s("rm"), s("Audio/a.mp3")}).status, 1);
        sim.updateOptions([](orvane::sim::SimOptions& o) { o.nokOnNth[5] = 1; });
        const CliRun refused = runCli({s("rm"), s("welcome.mp3")});
        QCOMPARE(refused.status, 1);
        QVERIFY(refused.err.contains(s("An error occurred while deleting")));
    }

    void formatNeedsYes()
    {
        SimHarness sim;
        sim.start();
        CliRun run = runCli({s("format")});
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains(s("--yes")));
        QVERIFY(sim.received().empty());
        QVERIFY(sim.files().count("welcome.mp3"));

        run = runCli({s("format"), s("--yes")});
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.contains(s("Flash memory has been formatted successfully")));
        QVERIFY(!sim.files().count("welcome.mp3"));

        // A refused format answers all the same: only the listing afterwards shows it.
        sim.putFile("Audio/a.mp3", {1});
        sim.updateOptions([](orvane::sim::SimOptions& o) { o.nokOnNth[126] = 1; });
        run = runCli({s("format"), s("--yes")});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(s("The device still holds files after formatting: Audio/a.mp3\n")));
    }

    void clearHistory()
    {
        SimHarness sim;
        sim.start();
        CliRun run = runCli({s("clear-history")});
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.contains(s("Wait for clearing...\nUpdate history was cleared successfully\n")));
        QVERIFY(!sim.files().count("Updates/dnloads.cfg"));
        run = runCli({s("clear-history")});  // nothing left to delete
        QCOMPARE(run.status, 1);
    }

    void dumpFlashWholeImage()
    {
        SimHarness sim;
        sim.start();
        QTemporaryDir dir;
        const QString named = dir.filePath(s("unit7.bin"));
        CliRun run = runCli({s("dump-flash"), s("-o"), named});
        QCOMPARE(run.status, 0);
        QCOMPARE(readBytes(named), toBytes(sim.flash()));
        QVERIFY(run.err.contains(s("Flash reading is complete")));

        // A folder: flashimage.bin inside it.
        run = runCli({s("--json"), s("dump-flash"), s("-o"), dir.path()});
        QCOMPARE(run.status, 0);
        QCOMPARE(QFileInfo(dir.filePath(s("flashimage.bin"))).size(), qint64(8388608));
        QCOMPARE(run.json().value(s("bytes")).toInt(), 8388608);
    }

    void interruptEndsTheTransfer()
    {
        SimHarness sim;
        sim.start();
        QTemporaryDir dir;
        const QString image = dir.filePath(s("image.bin"));
        const std::atomic<bool> interrupted{true};
        const CliRun run = runCli({s("dump-flash"), s("-o"), image}, false, &interrupted);
        QCOMPARE(run.status, 130);
        QVERIFY(run.err.contains(s("The transfer was stopped\nInterrupted\n")));
        QVERIFY(!QFileInfo::exists(image));
    }

    // A read that breaks off keeps its NAME.part; --resume continues it to the same image,
    // and nothing is read twice but the chunk in flight.
    void brokenDumpFlashResumes()
    {
        SimHarness sim;
        sim.start();
        QTemporaryDir dir;
        const QString image = dir.filePath(s("unit.bin"));
        const QString part = image + s(".part");
        sim.updateOptions([](orvane::sim::SimOptions& o) { o.unplugAfterFrames = 3000; });
        CliRun run = runCli({s("dump-flash"), s("-o"), image});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(s("unit.bin.part keeps what arrived; run the same command with --resume")));
        const qint64 kept = QFileInfo(part).size();
        QVERIFY(kept > 0);

        sim.start();  // plugged in again
        run = runCli({s("dump-flash"), s("-o"), image});  // no --resume: the part stays as it is
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains(s("unit.bin.part already exists: add --resume")));
        QCOMPARE(QFileInfo(part).size(), kept);

        sim.clearReceived();
        run = runCli({s("--json"), s("dump-flash"), s("--resume"), s("-o"), image});
        QCOMPARE(run.status, 0);
        const QByteArray flash = toBytes(sim.flash());
        QCOMPARE(readBytes(image), flash);
        QVERIFY(!QFileInfo::exists(part));
        QCOMPARE(qint64(sim.received(21).size()), (8388608 - kept + 255) / 256);
        const QJsonObject file = run.json().value(s("files")).toArray().at(0).toObject();
        QCOMPARE(file.value(s("sha256")).toString(),
                 QString::fromLatin1(QCryptographicHash::hash(flash, QCryptographicHash::Sha256).toHex()));
    }

    // get never overwrites a NAME.part it did not start, refuses to continue one larger than
    // the device's file, and continues one that fits.
    void getKeepsAndResumesParts()
    {
        SimHarness sim;
        sim.start();
        const QByteArray data = someBytes(3000);
        sim.putFile("Audio/bell.mp3", std::vector<uint8_t>(data.begin(), data.end()));
        QTemporaryDir dir;
        const QString part = dir.filePath(s("bell.mp3.part"));
        QVERIFY(writeBytes(part, someBytes(4000, 9)));  // the user's own file
        CliRun run = runCli({s("get"), s("Audio/bell.mp3"), s("-o"), dir.path()});
        QCOMPARE(run.status, 2);
        run = runCli({s("get"), s("--resume"), s("Audio/bell.mp3"), s("-o"), dir.path()});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(s("bell.mp3.part holds 4000 bytes, more than the 3000 bytes to read")), qPrintable(run.err));
        QCOMPARE(readBytes(part), someBytes(4000, 9));

        QVERIFY(writeBytes(part, data.left(1000) + "junk"));  // rounded down to 768 bytes
        sim.clearReceived();
        run = runCli({s("get"), s("--resume"), s("Audio/bell.mp3"), s("-o"), dir.path()});
        QCOMPARE(run.status, 0);
        QCOMPARE(readBytes(dir.filePath(s("bell.mp3"))), data);
        QCOMPARE(sim.received(19).size(), size_t(9));  // 2232 bytes in 256-byte requests
        QVERIFY(run.out.startsWith(dir.filePath(s("bell.mp3")) + s(": 3000 bytes, SHA-256 ")));
    }

    // A disk that cannot take the file: the old file stays, the part that cannot be finished
    // goes, and the system's reason is shown.
    void fullDiskKeepsTheOldFile()
    {
        SimHarness sim;
        sim.start();
        sim.putFile("big.bin", std::vector<uint8_t>(200000, 7));
        QTemporaryDir dir;
        const QString old = dir.filePath(s("big.bin"));
        QVERIFY(writeBytes(old, "old"));
        // A file size limit stands in for a full disk: writes past it fail as they would.
        struct rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        struct rlimit small = saved;
        small.rlim_cur = 100000;
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        const CliRun run = runCli({s("get"), s("big.bin"), s("-o"), dir.path()});
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(s("Unable to write the data to the disk\n")));
        QVERIFY2(run.err.contains(QString::fromLocal8Bit(strerror(EFBIG))), qPrintable(run.err));
        QCOMPARE(readBytes(old), QByteArray("old"));
        QVERIFY(!QFileInfo::exists(old + s(".part")));
    }

    // The device stores a byte wrong: verification catches it, and flash installs nothing.
    void corruptedUploadIsCaught()
    {
        orvane::sim::SimOptions options;
        options.corruptUploads = true;
        SimHarness sim(options);
        sim.start();
        QTemporaryDir local;
        const QString chime = local.filePath(s("chime.mp3"));
        const QString image = local.filePath(s("system.bin"));
        QVERIFY(writeBytes(chime, someBytes(5000)));
        QVERIFY(writeBytes(image, someBytes(3000)));

        CliRun run = runCli({s("--json"), s("upload"), chime});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(s("Verification failed for chime.mp3: the first differing byte is at offset 2500\n")));
        QCOMPARE(run.json().value(s("files")).toArray().at(0).toObject().value(s("verified")), QJsonValue(false));

        run = runCli({s("flash"), image});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(s("Verification failed for system.bin: ")));
        QVERIFY(sim.received(8).empty());  // no SendStartUpdate

        run = runCli({s("upload"), s("--no-verify"), chime});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.endsWith(s(", not verified: --no-verify\n")));
    }

    // Local files are checked before connecting, each with a plain reason.
    void localFilesCheckedBeforeConnecting()
    {
        SimHarness sim;
        sim.start();
        QTemporaryDir local;
        QVERIFY(QDir(local.path()).mkpath(s("folder")));
        QFile huge(local.filePath(s("huge.mp3")));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(5) << 30));  // sparse
        huge.close();
        const QString longName = local.filePath(s("a-name-that-is-far-too-long-for-it.mp3"));
        QVERIFY(writeBytes(longName, "x"));
        const struct {
            QStringList args;
            const char* says;
        } cases[] = {
            {{s("upload"), local.filePath(s("none.mp3"))}, "no such file: "},
            {{s("upload"), local.filePath(s("folder"))}, "is a folder, not a file"},
            {{s("upload"), huge.fileName()}, "has 5368709120 bytes; the device takes files of at most 4294967295 bytes"},
            {{s("upload"), longName}, "38 bytes long; the device takes names of at most 32 bytes"},
            {{s("upload"), local.filePath(s("bad\uFFFDname.mp3"))}, "is not valid UTF-8"},
            {{s("config"), s("set"), s("key-file=") + local.filePath(s("none.key"))}, "no such file: "},
            {{s("flash"), longName}, "the device installs only images named system.bin, drivers.bin or interface.bin"},
            {{s("get"), s("welcome.mp3"), s("-o"), local.filePath(s("nowhere"))}, "no such folder: "},
            {{s("get"), s("welcome.mp3"), s("config.json"), s("-o"), s("-")}, "-o - writes one file"},
            {{s("--json"), s("dump-flash"), s("-o"), s("-")}, "-o - and --json"},
        };
        sim.clearReceived();
        for (const auto& c : cases) {
            const CliRun run = runCli(c.args);
            QVERIFY2(run.status == 2, qPrintable(c.args.join(QLatin1Char(' '))));
            QVERIFY2(run.err.contains(s(c.says)), qPrintable(run.err));
        }
        QVERIFY(sim.received().empty());
    }

    void progressBarOnlyOnATerminalAndNotQuiet()
    {
        SimHarness sim;
        sim.start();
        QTemporaryDir local;
        const QString file = local.filePath(s("tone.mp3"));
        QVERIFY(writeBytes(file, someBytes(20000)));

        CliRun run = runCli({s("upload"), file}, true);
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.contains(s("\rtone.mp3")));
        QVERIFY(run.err.contains(s("100%")));
        QVERIFY(run.err.contains(s(" left")));

        run = runCli({s("upload"), file}, false);
        QVERIFY(!run.err.contains(QLatin1Char('\r')));
        QVERIFY(run.err.contains(s("tone.mp3 file was successfully downloaded")));

        run = runCli({s("--quiet"), s("upload"), file}, true);
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.isEmpty());
    }

    void flashThroughTheRestart()
    {
        orvane::sim::SimOptions options;
        options.restartDelayMs = 400;
        SimHarness sim(options);
        sim.start();
        QTemporaryDir local;
        const QString image = local.filePath(s("system.bin"));
        QVERIFY(writeBytes(image, QByteArray("image ORVANE-VERSION=Orvane 3.0.0\n") + someBytes(3000)));

        const CliRun run = runCli({s("--json"), s("--wait"), s("30"), s("flash"), image});
        QCOMPARE(run.status, 0);
        const QJsonObject doc = run.json();
        QCOMPARE(doc.value(s("firmware")).toString(), s("Orvane 3.0.0"));
        QCOMPARE(doc.value(s("versionChanged")), QJsonValue(true));
        QCOMPARE(doc.value(s("files")).toArray().at(0).toObject().value(s("verified")), QJsonValue(true));
        QCOMPARE(doc.value(s("previousFirmware")).toString(), s("Orvane 2.4.1"));
        QCOMPARE(doc.value(s("port")).toString(), QString::fromStdString(sim.portPath()));
        QVERIFY(sim.restartCount() >= 1);
        QCOMPARE(doc.value(s("files")).toArray().at(0).toObject().value(s("deviceName")).toString(),
                 s("Updates/nRF_Update_c.bin"));
        for (const char* line : {"File for flashing: Updates/system.bin", "Firmware downloding is complete",
                                 "The Device is updating the firmware", "The Device Disconnected",
                                 "Found device connected to "})
            QVERIFY2(run.err.contains(s(line)), line);
        QCOMPARE(sim.firmwareVersion(), std::string("Orvane 3.0.0"));

        // Any name with --any-name: stored, nothing installed, the unchanged version a warning.
        const QString other = local.filePath(s("fw-2025.bin"));
        QVERIFY(writeBytes(other, someBytes(600)));
        const CliRun same = runCli({s("--json"), s("--wait"), s("30"), s("flash"), s("--any-name"), other});
        QCOMPARE(same.status, 0);
        QVERIFY(same.err.contains(s("The firmware version did not change: Orvane 3.0.0\n")));
        QCOMPARE(same.json().value(s("versionChanged")), QJsonValue(false));
        QVERIFY(sim.restartCount() >= 2);
    }

    void flashRefusesTheUpdateAfterAFailedUpload()
    {
        orvane::sim::SimOptions options;
        options.nokOnNth[4] = 1;  // SendEndESP
        SimHarness sim(options);
        sim.start();
        QTemporaryDir local;
        const QString image = local.filePath(s("drivers.bin"));
        QVERIFY(writeBytes(image, someBytes(1000)));
        const CliRun run = runCli({s("--json"), s("flash"), image});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(s("Firmware update was not started because the upload failed")));
        QCOMPARE(run.json().value(s("error")).toString(),
                 s("The device refused to finish storing Updates/ESP_Update_c.bin"));
        QVERIFY(sim.received(8).empty());  // no SendStartUpdate
        QCOMPARE(sim.restartCount(), 0);

        // The device refuses the update: it never restarts, and the command says so.
        sim.updateOptions([](orvane::sim::SimOptions& o) { o.nokOnNth[8] = 1; });
        const CliRun refused = runCli({s("flash"), image});
        QCOMPARE(refused.status, 1);
        QVERIFY(refused.err.endsWith(s("The device refused the update command\n"
                                       "The device did not restart: the update was not installed\n")));
        QCOMPARE(sim.restartCount(), 0);
    }

    void flashArguments()
    {
        SimHarness sim;
        sim.start();
        QTemporaryDir local;
        QStringList four;
        for (const char* name : {"system.bin", "drivers.bin", "interface.bin", "extra.bin"}) {
            QVERIFY(writeBytes(local.filePath(s(name)), "x"));
            four << local.filePath(s(name));
        }
        QCOMPARE(runCli(QStringList{s("flash")} + four).status, 2);
        QVERIFY(QDir(local.path()).mkpath(s("x")));
        QVERIFY(writeBytes(local.filePath(s("x/system.bin")), "y"));
        QCOMPARE(runCli({s("flash"), four.at(0), local.filePath(s("x/system.bin"))}).status, 2);
        QCOMPARE(runCli({s("flash")}).status, 2);
        QCOMPARE(runCli({s("flash"), local.filePath(s("nothing.bin"))}).status, 2);
        QVERIFY(sim.received().empty());
    }
};

QTEST_GUILESS_MAIN(CliFilesTest)
#include "cli_files_test.moc"
