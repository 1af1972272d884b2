// The parts of a transfer that need no device: device names, per-file progress, and the
// partial local file that keeps an old file whole until a new one has fully arrived.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "device/text/PrintableText.h"
#include "device/transfer/DeviceNames.h"
#include "device/transfer/FileProgress.h"
#include "device/transfer/PartialFile.h"

using namespace orvane::transfer;

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
}  // namespace

class TransferLocalTest : public QObject {
    Q_OBJECT
private slots:
    void deviceNames_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("toUpdates");
        QTest::addColumn<QString>("device");
        QTest::newRow("system") << "C:/fw/system.bin" << true << "Updates/nRF_Update_c.bin";
        QTest::newRow("drivers") << "/x/drivers.bin" << true << "Updates/ESP_Update_c.bin";
        QTest::newRow("interface") << "interface.bin" << true << "Updates/NRF_Bootloader_c.bin";
        QTest::newRow("case kept") << "C:/fw/System.bin" << true << "Updates/System.bin";
        QTest::newRow("other") << "C:/fw/app.bin" << true << "Updates/app.bin";
        QTest::newRow("backslashes whole") << "C:\\fw\\system.bin" << true
                                           << "Updates/C:\\fw\\system.bin";
        QTest::newRow("root mapped") << "/s/system.bin" << false << "nRF_Update_c.bin";
        QTest::newRow("audio") << "C:/sounds/alarm.mp3" << false << "alarm.mp3";
    }
    void deviceNames() {
        QFETCH(QString, path);
        QFETCH(bool, toUpdates);
        QFETCH(QString, device);
        QCOMPARE(deviceFileName(path, toUpdates), device);
    }

    void nameLimits() {
        QVERIFY(fitsNameField(QString(32, QLatin1Char('a')), 32));
        QVERIFY(!fitsNameField(QString(33, QLatin1Char('a')), 32));
        // Counted in UTF-8 bytes, not characters.
        QVERIFY(!fitsNameField(QString(17, QChar(0x00E9)), 32));

        for (const char* bad : {"", ".", "..", "a/b", "..\\x", "/etc", "dir\\", "a\x1b]0;t\x07",
                                "a\rb", "a\nb", "a\tb", "a\x7f", "\xc2\x9b" "2J", "\xe2\x80\xae" "nib.exe"})
            QVERIFY2(!isSafeLocalFileName(QString::fromUtf8(bad)), bad);
        for (const char* good : {"a.txt", "...", "..a", "log 1.bin"})
            QVERIFY2(isSafeLocalFileName(QString::fromUtf8(good)), good);
    }

    // Device text shown to people: control characters become visible escapes, the rest stays.
    void printableDeviceText() {
        const QList<QPair<QString, QString>> cases = {
            {"Orvane 2.4.2", "Orvane 2.4.2"},
            {QString::fromUtf8("Caf\xc3\xa9 \xe2\x9c\x93"), QString::fromUtf8("Caf\xc3\xa9 \xe2\x9c\x93")},
            {"v1\x1b[2J\x1b]0;owned\x07", "v1\\x1b[2J\\x1b]0;owned\\x07"},
            {"a\r\nb\t", "a\\x0d\\x0ab\\x09"},
            {QString::fromUtf8("\xc2\x9b" "2J\x7f"), "\\x9b2J\\x7f"},
            {QString::fromUtf8("x\xe2\x80\xaey"), "x\\u202ey"},
            {QString(QChar(0)) + "z", "\\x00z"},
        };
        for (const auto& c : cases)
            QCOMPARE(orvane::printableText(c.first), c.second);
    }

    void progressPerFile() {
        QList<int> seen;
        TransferReport report;
        report.progress = [&](int p) { seen << p; };
        FileProgress upload(report, 1000);
        upload.start();
        upload.advance(512);
        upload.advance(1000);
        upload.finish();
        QCOMPARE(seen, (QList<int>{0, 51, 100, 100}));

        seen.clear();
        FileProgress read(report, 1000);
        read.start();
        for (int done : {256, 512, 768, 1000}) read.advance(done);
        read.finish();
        QCOMPARE(seen, (QList<int>{0, 25, 51, 76, 100, 100}));

        // Past 42,949,672 bytes the product no longer fits 32 bits.
        seen.clear();
        const uint64_t big = 0xFFFFFFFFull;
        FileProgress large(report, big);
        large.start();
        large.advance(big / 2);
        QCOMPARE(seen, (QList<int>{0, 49}));

        seen.clear();
        FileProgress empty(report, 0);
        empty.start();
        empty.finish();
        QCOMPARE(seen, (QList<int>{0, 100}));
    }

    void partialFileReplacesOnlyWhenComplete() {
        QTemporaryDir dir;
        const QString target = dir.filePath("data.bin");
        const QString part = PartialFile::partPath(target);
        writeAll(target, "old contents");

        {
            PartialFile file(target);
            QVERIFY(file.open());
            QVERIFY(file.write(reinterpret_cast<const uint8_t*>("new"), 3));
            QCOMPARE(readAll(target), QByteArray("old contents"));
            QVERIFY(file.commit());
        }
        QCOMPARE(readAll(target), QByteArray("new"));
        QVERIFY(!QFile::exists(part));

        {
            PartialFile file(target);
            QVERIFY(file.open());
            QVERIFY(file.write(reinterpret_cast<const uint8_t*>("half"), 4));
            file.abandon();
        }
        QCOMPARE(readAll(target), QByteArray("new"));
        QCOMPARE(readAll(part), QByteArray("half"));

        // Nothing received: no empty leftover, and an earlier partial file is not the
        // business of a transfer that never opened one.
        {
            PartialFile file(dir.filePath("other.bin"));
            QVERIFY(file.open());
        }
        QVERIFY(!QFile::exists(PartialFile::partPath(dir.filePath("other.bin"))));
        { PartialFile untouched(target); }
        QCOMPARE(readAll(part), QByteArray("half"));
    }

    void partialFileInMissingFolderFails() {
        QTemporaryDir dir;
        PartialFile file(dir.filePath("no/such/folder/x.bin"));
        QVERIFY(!file.open());
    }
};

QTEST_GUILESS_MAIN(TransferLocalTest)
#include "transfer_local_test.moc"
