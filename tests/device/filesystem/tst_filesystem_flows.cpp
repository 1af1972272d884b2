// Listing, deletion and formatting against a scripted device: which requests go out,
// where each listing stops, and the log lines.
#include <QtTest>

#include <cstring>
#include <map>
#include <set>

#include "device/filesystem/FileSystemFlows.h"
#include "link/cUSB_CDC_Protocol.h"
#include "tests/device/fakedevice/FakeDevicePort.h"

using namespace orvane::fs;
using orvane::test::FakeDevice;

namespace {

using Slot = std::pair<int, int>;  // directory, file index

struct FsDevice {
    DiskInfo record{};
    bool silentDiskInfo = false;
    std::map<Slot, QByteArray> descs;  // missing slots answer an all-zero descriptor
    std::set<Slot> silentDescs;
    std::set<QByteArray> refuseDelete;
    bool silentFormat = false;
    FakeDevice device{[this](uint8_t cmd, const QByteArray& p, QByteArray& reply) {
        switch (cmd) {
        case orvane::cmd::GetDiskInfo:
            if (silentDiskInfo) return false;
            reply = QByteArray(reinterpret_cast<const char*>(record.data()), int(record.size()));
            return true;
        case orvane::cmd::GetFileDesc: {
            const Slot s{quint8(p[0]) | (quint8(p[1]) << 8), quint8(p[2]) | (quint8(p[3]) << 8)};
            if (silentDescs.count(s)) return false;
            reply = descs.count(s) ? descs[s] : QByteArray();
            reply.append(QByteArray(32 - reply.size(), '\0'));
            return true;
        }
        case orvane::cmd::DeleteESP:
            reply = QByteArray(1, refuseDelete.count(p) ? '\x01' : '\0');
            return true;
        case orvane::cmd::Format:
            if (silentFormat) return false;
            reply = QByteArray(1, '\0');
            return true;
        }
        return false;
    }};
    std::unique_ptr<cUSB_CDC_Protocol> link = device.openLink();

    void dirs(QStringList names, int count = -1)
    {
        if (count < 0) count = names.size();
        record[4] = quint8(count);
        record[5] = quint8(count >> 8);
        for (int i = 0; i < names.size(); ++i) {
            const QByteArray n = names[i].toUtf8();
            std::memcpy(record.data() + kDirNameOffset + kDirNameStride * i, n.constData(), size_t(n.size()));
        }
    }
    void files(int dir, QStringList names)
    {
        for (int j = 0; j < names.size(); ++j) descs[{dir, j}] = names[j].toUtf8();
    }
    QList<Slot> descRequests() const
    {
        QList<Slot> out;
        for (const auto& r : device.requests(orvane::cmd::GetFileDesc))
            out << Slot{quint8(r.payload[0]), quint8(r.payload[2])};
        return out;
    }
};

struct Log {
    QStringList lines;
    LogFn fn() { return [this](const QString& l) { lines << l; }; }
};

QStringList names(const QString& stem, int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i) out << stem + QString::number(i);
    return out;
}

}  // namespace

class FileSystemFlowsTest : public QObject {
    Q_OBJECT
private slots:
    void listsDirectoriesAndStopsAtEmptyDescriptors()
    {
        FsDevice d;
        d.dirs({"full", "ff", "none"});
        d.files(0, names("f", 16));
        d.descs[{0, 16}] = "never";  // a 17th would be wrong to ask for
        d.files(1, {"a", "b"});
        d.descs[{1, 2}] = QByteArray("\xff", 1);
        d.descs[{1, 3}] = "hidden";
        Log log;
        const Listing l = listFileSystem(d.link.get(), log.fn());
        QCOMPARE(l.status, Listing::Complete);
        QCOMPARE(l.directories.size(), 3);
        QCOMPARE(l.directories[0].name, QStringLiteral("full"));
        QCOMPARE(l.directories[0].files, names("f", 16));
        QCOMPARE(l.directories[1].files, (QStringList{"a", "b"}));
        QCOMPARE(l.directories[2].files, QStringList());
        QList<Slot> expected;
        for (int j = 0; j < 16; ++j) expected << Slot{0, j};
        expected << Slot{1, 0} << Slot{1, 1} << Slot{1, 2} << Slot{2, 0};
        QCOMPARE(d.descRequests(), expected);
        QCOMPARE(log.lines, (QStringList{"Getting the files structure...", "Structure is ready"}));
        QCOMPARE(directoryCount(l.record), 3);
    }

    void moreThanEightDirectoriesListsTheFirstEight()
    {
        FsDevice d;
        d.dirs({"d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7"}, 12);
        Log log;
        const Listing l = listFileSystem(d.link.get(), log.fn());
        QCOMPARE(l.status, Listing::Complete);
        QCOMPARE(l.directories.size(), 8);
        QCOMPARE(l.directories[7].name, QStringLiteral("d7"));
        QCOMPARE(d.descRequests().size(), 8);
        QCOMPARE(d.descRequests().last(), (Slot{7, 0}));
    }

    void failingRequestsEndTheListing()
    {
        FsDevice d;
        d.dirs({"a", "b", "c"});
        d.files(0, {"x"});
        d.files(1, {"y", "z", "w"});
        d.silentDescs.insert({1, 2});
        Log log;
        Listing l = listFileSystem(d.link.get(), log.fn());
        QCOMPARE(l.status, Listing::FileDescFailed);
        QCOMPARE(l.directories.size(), 2);
        QCOMPARE(l.directories[1].files, (QStringList{"y", "z"}));
        QCOMPARE(d.descRequests().last(), (Slot{1, 2}));
        QCOMPARE(log.lines, (QStringList{"Getting the files structure...",
                                          "Error occured while getting the file descriptor"}));

        d.device.clearRequests();
        d.silentDiskInfo = true;
        log.lines.clear();
        l = listFileSystem(d.link.get(), log.fn());
        QCOMPARE(l.status, Listing::DiskInfoFailed);
        QVERIFY(l.directories.isEmpty());
        QVERIFY(d.descRequests().isEmpty());
        QCOMPARE(log.lines, (QStringList{"Getting the files structure...",
                                          "Error occured while getting the disk info"}));
    }

    void deleteSendsDirectorySlashName()
    {
        FsDevice d;
        Log log;
        QVERIFY(deleteFiles(d.link.get(), "d", {"b.txt", "c.txt"}, log.fn()));
        const auto reqs = d.device.requests(orvane::cmd::DeleteESP);
        QCOMPARE(reqs.size(), 2);
        QByteArray field("d/b.txt");
        field.append(QByteArray(32 - field.size(), '\0'));
        QCOMPARE(reqs[0].payload, field);
        QCOMPARE(log.lines, (QStringList{"Wait for clearing...", "Selected files were deleted successfully"}));
    }

    void deleteStopsAtFailuresAndNeedsASelection()
    {
        FsDevice d;
        QByteArray refused("d/b");
        refused.append(QByteArray(32 - refused.size(), '\0'));
        d.refuseDelete.insert(refused);
        Log log;
        QVERIFY(!deleteFiles(d.link.get(), "d", {"a", "b", "c"}, log.fn()));
        QCOMPARE(d.device.requests(orvane::cmd::DeleteESP).size(), 2);
        QCOMPARE(log.lines, (QStringList{"Wait for clearing...", "An error occurred while deleting"}));

        d.device.clearRequests();
        log.lines.clear();
        QVERIFY(!deleteFiles(d.link.get(), "d", {}, log.fn()));
        QVERIFY(d.device.requests().isEmpty());
        QCOMPARE(log.lines, QStringList{"No file selected"});

        // A path the name field would cut is refused before anything goes out.
        log.lines.clear();
        QVERIFY(!deleteFiles(d.link.get(), "directory-of-20chars", {"file-of-16-chars"}, log.fn()));
        QVERIFY(d.device.requests().isEmpty());
        QCOMPARE(log.lines.last(), QStringLiteral("An error occurred while deleting"));
        QVERIFY(deleteFiles(d.link.get(), "dir", {QString(28, QLatin1Char('n'))}, log.fn()));  // exactly 32
    }

    void formatReportsBothOutcomes()
    {
        FsDevice d;
        Log log;
        QVERIFY(formatFlash(d.link.get(), log.fn()));
        QCOMPARE(d.device.requests(orvane::cmd::Format).size(), 1);
        QCOMPARE(log.lines, QStringList{"Flash memory has been formatted successfully"});

        d.silentFormat = true;
        log.lines.clear();
        QVERIFY(!formatFlash(d.link.get(), log.fn()));
        QCOMPARE(log.lines, QStringList{"Error while flash formatting"});
    }
};

QTEST_GUILESS_MAIN(FileSystemFlowsTest)
#include "tst_filesystem_flows.moc"
