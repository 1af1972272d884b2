// Listing, deletion and formatting end to end against the simulated device.
#include <QtTest>

#include "device/filesystem/FileSystemFlows.h"
#include "link/cUSB_CDC_Protocol.h"
#include "tests/support/SimHarness.h"

using namespace orvane::fs;
using orvane::test::SimHarness;

namespace {

struct Device {
    SimHarness sim;
    cUSB_CDC_Protocol link;
    QStringList lines;
    Device()
    {
        sim.start();
        if (link.OpenPort(QString::fromStdString(sim.portPath())) != 0) qFatal("cannot open the simulated port");
        sim.removeAllFiles();
        sim.clearReceived();
    }
    LogFn log()
    {
        return [this](const QString& l) { lines << l; };
    }
    int indexOf(const Listing& l, const QString& name)
    {
        for (int i = 0; i < l.directories.size(); ++i)
            if (l.directories[i].name == name) return i;
        return -1;
    }
};

}  // namespace

class FileSystemSimTest : public QObject {
    Q_OBJECT
private slots:
    void fullDirectoryNeedsNoSeventeenthRequest()
    {
        Device d;
        QStringList expected;
        for (int i = 0; i < 16; ++i) {
            const QString name = QStringLiteral("f%1.bin").arg(i, 2, 10, QLatin1Char('0'));
            d.sim.putFile("full/" + name.toStdString(), {uint8_t(i)});
            expected << name;
        }
        d.sim.putFile("d/a.txt", {1});
        const Listing l = listFileSystem(&d.link, d.log());
        QCOMPARE(l.status, Listing::Complete);
        const int fullIndex = d.indexOf(l, "full");
        QVERIFY(fullIndex >= 0 && d.indexOf(l, "d") >= 0);
        QCOMPARE(l.directories[fullIndex].files, expected);
        QCOMPARE(l.directories[d.indexOf(l, "d")].files, QStringList{"a.txt"});
        int asked = 0;
        for (const auto& r : d.sim.received(orvane::cmd::GetFileDesc)) {
            const int dirIndex = r.payload[0] | (r.payload[1] << 8);
            const int fileIndex = r.payload[2] | (r.payload[3] << 8);
            QVERIFY(fileIndex < 16);
            if (dirIndex == fullIndex) ++asked;
        }
        QCOMPARE(asked, 16);
        QCOMPARE(d.sim.received(orvane::cmd::GetDiskInfo).size(), size_t(1));
    }

    void deleteAndFormat()
    {
        Device d;
        d.sim.putFile("d/a.txt", {1});
        d.sim.putFile("d/b.txt", {2});
        QVERIFY(deleteFiles(&d.link, "d", {"b.txt"}, d.log()));
        auto files = d.sim.files();
        QVERIFY(files.count("d/a.txt"));
        QVERIFY(!files.count("d/b.txt"));
        QVERIFY(!deleteFiles(&d.link, "d", {"missing.txt"}, d.log()));
        QCOMPARE(d.lines.last(), QStringLiteral("An error occurred while deleting"));

        QVERIFY(formatFlash(&d.link, d.log()));
        QVERIFY(d.sim.files().empty());
        QCOMPARE(d.lines.last(), QStringLiteral("Flash memory has been formatted successfully"));
    }
};

QTEST_GUILESS_MAIN(FileSystemSimTest)
#include "tst_filesystem_sim.moc"
