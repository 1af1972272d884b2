// Names and counts taken from the disk-information record and file descriptors.
#include <QtTest>

#include <cstring>

#include "device/filesystem/DiskRecords.h"

using namespace orvane::fs;

namespace {
void putName(DiskInfo& r, int i, const char* name, size_t n)
{
    const size_t start = size_t(kDirNameOffset + kDirNameStride * i);
    std::memcpy(r.data() + start, name, std::min(n, r.size() - start));
}
}  // namespace

class FileSystemRecordsTest : public QObject {
    Q_OBJECT
private slots:
    void directoryCountIsCappedAtEight()
    {
        DiskInfo r{};
        QCOMPARE(directoryCount(r), 0);
        r[4] = 3;
        QCOMPARE(listedDirectoryCount(r), 3);
        r[4] = 0x0A;
        r[5] = 0x01;  // 266
        QCOMPARE(directoryCount(r), 266);
        QCOMPARE(listedDirectoryCount(r), 8);
    }

    void directoryNamesStayInTheirField()
    {
        DiskInfo r{};
        r.fill(0);
        putName(r, 0, "Audio", 5);
        const char full[] = "ABCDEFGHIJKLMNOPQRSTUVWX";  // 24 bytes, no terminator in the field
        putName(r, 1, full, 24);
        putName(r, 2, "Next", 4);
        QCOMPARE(directoryName(r, 0), QStringLiteral("Audio"));
        QCOMPARE(directoryName(r, 1), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWX"));
        QCOMPARE(directoryName(r, 2), QStringLiteral("Next"));

        // The last directory's field runs past the record: its name ends with the record.
        DiskInfo tail{};
        tail.fill('z');
        QCOMPARE(directoryName(tail, 7).size(), kDiskInfoSize - (kDirNameOffset + 7 * kDirNameStride));
        QCOMPARE(directoryName(tail, 8), QString());
        QCOMPARE(directoryName(tail, -1), QString());
    }

    void fileDescriptors()
    {
        FileDesc d{};
        QVERIFY(isEmptyDescriptor(d));
        d[0] = 0xFF;
        QVERIFY(isEmptyDescriptor(d));
        std::memcpy(d.data(), "a.txt\0zz", 8);
        QVERIFY(!isEmptyDescriptor(d));
        QCOMPARE(fileName(d), QStringLiteral("a.txt"));
        d.fill('n');
        QCOMPARE(fileName(d), QString(24, QLatin1Char('n')));
        std::memcpy(d.data(), "\xc3\xa9t\xc3\xa9", 6);
        d[6] = 0;
        QCOMPARE(fileName(d), QStringLiteral("\u00e9t\u00e9"));
    }
};

QTEST_GUILESS_MAIN(FileSystemRecordsTest)
#include "tst_filesystem_records.moc"
