// Reading device files and the flash image from the simulated device: chunking, progress,
// identical bytes, and that a failed read never destroys the user's existing file.
#include <QTemporaryDir>
#include <QtTest>

#include "TransferFixture.h"
#include "device/text/PrintableText.h"
#include "device/transfer/FileDownload.h"
#include "device/transfer/FlashImage.h"
#include "device/transfer/PartialFile.h"
#include "device/transfer/TransferJobs.h"

using namespace orvane::test;
using namespace orvane::transfer;
namespace cmd = orvane::cmd;

class TransferReadTest : public QObject {
    Q_OBJECT

private slots:
    void fileInChunks() {
        SimDevice device;
        QVERIFY(device.opened);
        const QByteArray data = pattern(1000);
        device.sim.putFile("Docs/log.txt", toVector(data));
        QTemporaryDir dir;
        const QString local = dir.filePath("log.txt");
        writeFile(local, pattern(5000, 9));  // replaced, not appended to

        const int docs = directoryIndex(device.link, "Docs");
        QVERIFY(docs > 0);
        device.sim.clearReceived();
        Recorder rec;
        QVERIFY(readDeviceFile(&device.link, local, quint16(docs), "log.txt", rec.report()));
        QCOMPARE(rec.lines, (QStringList{"File for reading: log.txt", "Starting the file getting",
                                         "log.txt file was successfully received"}));
        QCOMPARE(rec.progress, (QList<int>{0, 25, 51, 76, 100, 100}));
        QCOMPARE(readFile(local), data);
        QVERIFY(!QFile::exists(PartialFile::partPath(local)));

        const auto reads = device.sim.received(cmd::ReadFile);
        QCOMPARE(reads.size(), size_t(4));
        const uint32_t counts[] = {256, 256, 256, 232};
        for (size_t i = 0; i < 4; ++i) {
            QCOMPARE(le32(reads[i].payload, 0), uint32_t(256 * i));
            QCOMPARE(le32(reads[i].payload, 4), counts[i]);
        }
        QCOMPARE(device.sim.received(cmd::EndFileRead).size(), size_t(1));
    }

    void missingDeviceFileKeepsLocalFile() {
        SimDevice device;
        QTemporaryDir dir;
        const QString local = dir.filePath("gone.txt");
        writeFile(local, "mine");
        Recorder rec;
        QVERIFY(!readDeviceFile(&device.link, local, 0, "gone.txt", rec.report()));
        QCOMPARE(rec.lines, QStringList({"File for reading: gone.txt",
                                         "The device refused to read gone.txt"}));
        QCOMPARE(readFile(local), QByteArray("mine"));
        QVERIFY(!QFile::exists(PartialFile::partPath(local)));
    }

    void shortReadRetriesThreeTimes() {
        SimDevice device;
        device.sim.putFile("big.bin", toVector(pattern(600)));
        QTemporaryDir dir;
        const QString local = dir.filePath("big.bin");
        writeFile(local, "old");
        device.sim.updateOptions([](orvane::sim::SimOptions& o) { o.shortReadFileBy = 1; });
        Recorder rec;
        QVERIFY(!readDeviceFile(&device.link, local, 0, "big.bin", rec.report()));
        QCOMPARE(device.sim.received(cmd::ReadFile).size(), size_t(3));
        QVERIFY(rec.lines.contains("Unable to get the data from the device"));
        QCOMPARE(rec.lines.last(), QString("Incorrect size. Expected: 256, real: 255"));
        QCOMPARE(device.sim.received(cmd::EndFileRead).size(), size_t(1));
        QCOMPARE(readFile(local), QByteArray("old"));
        QVERIFY(!QFile::exists(PartialFile::partPath(local)));  // nothing arrived
    }

    void brokenTransferKeepsWhatArrived() {
        SimDevice device;
        const QByteArray data = pattern(1000);
        device.sim.putFile("a.bin", toVector(data));
        QTemporaryDir dir;
        const QString local = dir.filePath("a.bin");
        writeFile(local, "previous");
        // Stopped once two chunks are in, as when the window closes during the job.
        Recorder rec;
        auto report = rec.report();
        report.progress = [&](int percent) {
            rec.progress << percent;
            if (percent >= 50) rec.stop = true;
        };
        QVERIFY(!readDeviceFile(&device.link, local, 0, "a.bin", report));
        QCOMPARE(rec.lines.last(), orvane::transfer::stoppedLine());
        QCOMPARE(device.sim.received(cmd::EndFileRead).size(), size_t(1));
        QCOMPARE(readFile(local), QByteArray("previous"));
        QCOMPARE(readFile(PartialFile::partPath(local)), data.left(512));
    }

    void unsafeNamesNeverReachTheDisk() {
        SimDevice device;
        QTemporaryDir dir;
        for (const QString& name : {QString(), QString(".."), QString("../x"),
                                    QString("a\\b"), QString("."), QString("a\x1b[2Jb\r")}) {
            Recorder rec;
            QVERIFY(!readDeviceFile(&device.link, dir.filePath(name), 0, name, rec.report()));
            QCOMPARE(rec.lines.last(), "Unsafe file name from the device: " + orvane::printableText(name));
            QVERIFY(!rec.lines.join(QString()).contains(QChar(0x1b)));
        }
        QVERIFY(device.sim.received().empty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    void readJob() {
        SimDevice device;
        device.sim.putFile("one.txt", toVector(pattern(10, 1)));
        device.sim.putFile("two.txt", toVector(pattern(0)));
        device.sim.putFile("three.txt", toVector(pattern(300, 3)));
        QTemporaryDir dir;
        Recorder rec;
        QVERIFY(runReadFilesJob(&device.link,
                                {{"one.txt", false}, {"two.txt", false}, {"", false},
                                 {"three.txt", false}},
                                dir.path(), 0, rec.report()));
        QCOMPARE(rec.lines.last(), QString("File getting is complete"));
        QCOMPARE(readFile(dir.filePath("one.txt")), pattern(10, 1));
        QCOMPARE(readFile(dir.filePath("two.txt")), QByteArray());
        QVERIFY(!QFile::exists(dir.filePath("three.txt")));

        // A failing file ends the job; later files are not read.
        Recorder fail;
        QVERIFY(!runReadFilesJob(&device.link, {{"nope.txt", false}, {"three.txt", false}},
                                 dir.path(), 0, fail.report()));
        QVERIFY(!fail.lines.contains("File getting is complete"));
        QVERIFY(!QFile::exists(dir.filePath("three.txt")));

        device.link.ClosePort();
        Recorder closed;
        QVERIFY(!runReadFilesJob(&device.link, {{"one.txt", false}}, dir.path(), 0,
                                 closed.report()));
        QCOMPARE(closed.lines, QStringList{"No COM ports open"});
    }

    void flashImageIdentical() {
        SimDevice device;
        device.sim.putFile("Docs/x.bin", toVector(pattern(3000)));
        QTemporaryDir dir;
        Recorder rec;
        QVERIFY(runFlashImageJob(&device.link, dir.path(), rec.report()));
        const QString image = dir.filePath("flashimage.bin");
        QCOMPARE(rec.lines, (QStringList{"File to write to : " + image,
                                         "The flash reader is processing",
                                         "Flash reading is complete"}));
        const QByteArray bytes = readFile(image);
        QCOMPARE(bytes.size(), 8388608);
        QVERIFY(bytes == toBytes(device.sim.flash()));
        QCOMPARE(device.sim.received(cmd::GetFlash).size(), size_t(32768));
        QCOMPARE(rec.progress.first(), 0);
        QCOMPARE(rec.progress.size(), 102);  // 0, 1 to 100, and 100 again
    }

    void flashCountsOutOfRange() {
        QTemporaryDir dir;
        const QString image = dir.filePath("flashimage.bin");
        writeFile(image, "earlier image");
        for (int variant = 0; variant < 2; ++variant) {
            orvane::sim::SimOptions options;
            if (variant == 0)
                options.flashZeroCount = true;
            else
                options.flashCountSkew = 1;
            SimDevice device(options);
            Recorder rec;
            QVERIFY(!readFlashImage(&device.link, image, 1024, rec.report()));
            QCOMPARE(rec.lines.last(), QString("Unable to get the data from the device"));
            QCOMPARE(device.sim.received(cmd::GetFlash).size(), size_t(1));
            QCOMPARE(readFile(image), QByteArray("earlier image"));
        }
    }
};

QTEST_GUILESS_MAIN(TransferReadTest)
#include "transfer_read_test.moc"
