// Uploads against the simulated device: chunking, progress, device names, the bytes the
// device ends up holding, and every way a file can fail.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "TransferFixture.h"
#include "device/transfer/FileDownload.h"
#include "device/transfer/FileUpload.h"
#include "device/transfer/TransferJobs.h"

using namespace orvane::test;
using namespace orvane::transfer;
namespace cmd = orvane::cmd;

class TransferUploadTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString localFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        return path;
    }

private slots:
    void chunksProgressAndBytes() {
        SimDevice device;
        QVERIFY(device.opened);
        const QByteArray data = pattern(1000);
        Recorder rec;
        QVERIFY(uploadFile(&device.link, localFile("system.bin", data), true, rec.report()));

        QCOMPARE(rec.lines, (QStringList{"File for flashing: Updates/system.bin",
                                         "Starting file flashing",
                                         "system.bin file was successfully downloaded"}));
        QCOMPARE(rec.progress, (QList<int>{0, 51, 100, 100}));

        const auto start = device.sim.received(cmd::StartESP);
        QCOMPARE(start.size(), size_t(1));
        QCOMPARE(le32(start[0].payload, 0), 1000u);
        const auto chunks = device.sim.received(cmd::WriteESP);
        QCOMPARE(chunks.size(), size_t(2));
        QCOMPARE(le32(chunks[0].payload, 0), 0u);
        QCOMPARE(le32(chunks[0].payload, 4), 512u);
        QCOMPARE(le32(chunks[1].payload, 0), 512u);
        QCOMPARE(le32(chunks[1].payload, 4), 488u);
        QCOMPARE(device.sim.received(cmd::EndESP).size(), size_t(1));

        const auto files = device.sim.files();
        QVERIFY(files.count("Updates/nRF_Update_c.bin"));
        QCOMPARE(toBytes(files.at("Updates/nRF_Update_c.bin")), data);
    }

    void emptyFile() {
        SimDevice device;
        Recorder rec;
        QVERIFY(uploadFile(&device.link, localFile("empty.bin", {}), false, rec.report()));
        QCOMPARE(rec.progress, (QList<int>{0, 100}));
        QCOMPARE(rec.lines.last(), QString("empty.bin file was successfully downloaded"));
        const auto all = device.sim.received();
        QCOMPARE(all.size(), size_t(2));
        QCOMPARE(all[0].command, uint8_t(cmd::StartESP));
        QCOMPARE(le32(all[0].payload, 0), 0u);
        QCOMPARE(all[1].command, uint8_t(cmd::EndESP));
        QVERIFY(device.sim.files().count("empty.bin"));
    }

    void deviceNamesOnTheDevice() {
        SimDevice device;
        const QByteArray data = pattern(700, 3);
        Recorder rec;
        // The table is case-sensitive; the announced name is always the unmapped local one.
        QVERIFY(uploadFile(&device.link, localFile("System.bin", data), true, rec.report()));
        QVERIFY(uploadFile(&device.link, localFile("drivers.bin", data), false, rec.report()));
        // A path without "/" is taken whole, backslashes included.
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        localFile("C:\\fw\\app.bin", data);
        const bool backslashed = uploadFile(&device.link, "C:\\fw\\app.bin", true, rec.report());
        QDir::setCurrent(cwd);
        QVERIFY(backslashed);

        const auto files = device.sim.files();
        QVERIFY(files.count("Updates/System.bin"));
        QVERIFY(files.count("ESP_Update_c.bin"));
        QVERIFY(files.count("Updates/C:\\fw\\app.bin"));
        QVERIFY(rec.lines.contains("File for flashing: Updates/drivers.bin"));
        QVERIFY(rec.lines.contains("File for flashing: Updates/C:\\fw\\app.bin"));
    }

    void refusedBeforeTheDevice() {
        SimDevice device;
        Recorder rec;
        // 8 + 25 bytes: one more than the name field holds.
        const QString longName = QString(25, QLatin1Char('n'));
        QVERIFY(!uploadFile(&device.link, localFile(longName, "x"), true, rec.report()));
        QCOMPARE(rec.lines.last(), "File name is too long for the device: Updates/" + longName);

        QVERIFY(!uploadFile(&device.link, dir.filePath("missing.bin"), true, rec.report()));
        QCOMPARE(rec.lines.last(), QString("File opening error"));

        // 4 GiB does not fit the 32-bit size field (a sparse file: no disk space used).
        {
            QFile huge(dir.filePath("huge.bin"));
            QVERIFY(huge.open(QIODevice::WriteOnly));
            QVERIFY(huge.resize(qint64(1) << 32));
        }
        QVERIFY(!uploadFile(&device.link, dir.filePath("huge.bin"), false, rec.report()));
        QCOMPARE(rec.lines.last(), QString("File opening error"));
        QFile::remove(dir.filePath("huge.bin"));
        QVERIFY(device.sim.received().empty());

        device.link.ClosePort();
        rec.lines.clear();
        QVERIFY(!uploadFile(&device.link, localFile("a.bin", "x"), true, rec.report()));
        QCOMPARE(rec.lines, QStringList{"No COM port open"});
    }

    void deviceRefusals() {
        SimDevice device;
        const QString path = localFile("fw.bin", pattern(1500));

        // A refused file start: no data, no end.
        device.sim.updateOptions([](orvane::sim::SimOptions& o) { o.nokOnNth[cmd::StartESP] = 1; });
        Recorder start;
        QVERIFY(!uploadFile(&device.link, path, true, start.report()));
        QCOMPARE(start.lines, QStringList({"File for flashing: Updates/fw.bin",
                                           "The device refused to store Updates/fw.bin"}));
        QVERIFY(device.sim.received(cmd::WriteESP).empty());

        // A refused chunk fails the file even though the end of file is accepted.
        device.sim.clearReceived();
        device.sim.updateOptions([](orvane::sim::SimOptions& o) { o.nokOnNth[cmd::WriteESP] = 2; });
        Recorder chunk;
        QVERIFY(!uploadFile(&device.link, path, true, chunk.report()));
        QCOMPARE(chunk.failures, QStringList{"Can't send ESP firmware file"});
        QVERIFY(!chunk.lines.last().endsWith(" file was successfully downloaded"));
        QCOMPARE(device.sim.received(cmd::WriteESP).size(), size_t(2));
        QCOMPARE(device.sim.received(cmd::EndESP).size(), size_t(1));
        QCOMPARE(chunk.progress.last(), 100);

    }

    // A file start or end the device refuses or leaves unanswered ends the job with a line
    // saying which, also given as the job's failure. A start left unanswered is made quick
    // by the device vanishing right after the request.
    void startAndEndFailuresSayWhy() {
        struct Row {
            bool upload;
            uint8_t command;
            bool refuse;
            const char* line;
        };
        const Row rows[] = {
            {true, cmd::StartESP, true, "The device refused to store Updates/fw.bin"},
            {true, cmd::StartESP, false, "The device did not answer the request to store Updates/fw.bin"},
            {true, cmd::EndESP, true, "The device refused to finish storing Updates/fw.bin"},
            {true, cmd::EndESP, false, "The device did not answer the request to finish storing Updates/fw.bin"},
            {false, cmd::StartFileRead, true, "The device refused to read a.bin"},
            {false, cmd::StartFileRead, false, "The device did not answer the request to read a.bin"},
            {false, cmd::EndFileRead, true, "The device refused to finish reading a.bin"},
            {false, cmd::EndFileRead, false, "The device did not answer the request to finish reading a.bin"},
        };
        const QString path = localFile("fw.bin", pattern(700));
        QTemporaryDir into;
        for (const Row& row : rows) {
            SimDevice device;
            device.sim.putFile("a.bin", toVector(pattern(300)));
            const bool isStart = row.command == cmd::StartESP || row.command == cmd::StartFileRead;
            device.sim.updateOptions([&](orvane::sim::SimOptions& o) {
                (row.refuse ? o.nokOnNth : o.noReplyOnNth)[row.command] = 1;
                if (!row.refuse && isStart) o.unplugAfterFrames = 1;
            });
            Recorder rec;
            const bool ok = row.upload
                                ? uploadFile(&device.link, path, true, rec.report())
                                : readDeviceFile(&device.link, into.filePath("a.bin"), 0, "a.bin",
                                                 rec.report());
            QVERIFY2(!ok, row.line);
            QCOMPARE(rec.lines.last(), QString(row.line));
            QCOMPARE(rec.failures, QStringList{row.line});
        }
        QVERIFY(!QFile::exists(into.filePath("a.bin")));
    }

    void unansweredChunkFailsTheFile() {
        SimDevice device;
        // The device stores the last chunk but its answer is lost: the device then accepts
        // the end of file, yet the host cannot know the file is whole.
        device.sim.updateOptions([](orvane::sim::SimOptions& o) { o.noReplyOnNth[cmd::WriteESP] = 2; });
        Recorder rec;
        QVERIFY(!uploadFile(&device.link, localFile("slow.bin", pattern(600)), false,
                            rec.report()));
        QVERIFY(rec.lines.contains("Can't send ESP firmware file"));
        QVERIFY(!rec.lines.last().endsWith(" file was successfully downloaded"));
        QCOMPARE(device.sim.received(cmd::WriteESP).size(), size_t(2));
        QCOMPARE(device.sim.received(cmd::EndESP).size(), size_t(1));
    }

    void fileThatShrinksWhileSentFails() {
        SimDevice device;
        const QString path = localFile("shrinking.bin", pattern(1000));
        Recorder rec;
        TransferReport report = rec.report();
        // The size went out with the file-start command; another program then cuts the file.
        report.log = [&](const QString& line) {
            rec.lines << line;
            if (line == "Starting file flashing") QFile::resize(path, 512);
        };
        QVERIFY(!uploadFile(&device.link, path, false, report));
        QCOMPARE(rec.lines.last(), QString("Can't read ESP firmware file"));
        QCOMPARE(device.sim.received(cmd::WriteESP).size(), size_t(1));
    }

    void jobOrderAndEnd() {
        SimDevice device;
        const QByteArray a = pattern(300, 1), b = pattern(1024, 2), c = pattern(10, 3);
        TransferItems items{{localFile("a.bin", a), true},
                            {localFile("b.bin", b), false},
                            {QString(), false},
                            {localFile("c.bin", c), false}};
        Recorder rec;
        QVERIFY(runUploadJob(&device.link, items, rec.report()));
        QCOMPARE(rec.lines.last(), QString("Firmware downloding is complete"));
        // Each file restarts the bar at 0; the empty name ends the list.
        QCOMPARE(rec.progress, (QList<int>{0, 100, 100, 0, 50, 100, 100}));
        const auto files = device.sim.files();
        QCOMPARE(toBytes(files.at("Updates/a.bin")), a);
        QCOMPARE(toBytes(files.at("b.bin")), b);
        QVERIFY(!files.count("c.bin"));

        // The first failed file ends the job: the next one is never started.
        device.sim.clearReceived();
        TransferItems failing{{dir.filePath("missing.bin"), false}, {items[0].name, false}};
        Recorder fail;
        QVERIFY(!runUploadJob(&device.link, failing, fail.report()));
        QVERIFY(!fail.lines.contains("Firmware downloding is complete"));
        QVERIFY(device.sim.received().empty());

        Recorder none;
        QVERIFY(runUploadJob(&device.link, {}, none.report()));
        QCOMPARE(none.lines, QStringList{"Firmware downloding is complete"});
    }

    void stopRequestEndsTheJob() {
        SimDevice device;
        Recorder rec;
        rec.stop = true;
        QVERIFY(!runUploadJob(&device.link, {{localFile("s.bin", "abc"), false}}, rec.report()));
        QCOMPARE(rec.lines, QStringList{stoppedLine()});
        QVERIFY(device.sim.received().empty());
    }
};

QTEST_GUILESS_MAIN(TransferUploadTest)
#include "transfer_upload_test.moc"
