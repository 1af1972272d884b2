// Candidate ports: the virtual ports directory is read afresh at each call, in name order,
// hidden entries left out, each entry counted as a port by its absolute path.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "discovery/CandidatePorts.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Sets the directory's modification time `secondsAgo` into the past.
bool age(const QString& dir, int secondsAgo)
{
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= secondsAgo;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, QFile::encodeName(dir).constData(), times, 0) == 0;
}

}  // namespace

class DiscoveryPortsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { qunsetenv("ORVANE_VIRTUAL_PORTS"); }
    void cleanup() { qunsetenv("ORVANE_VIRTUAL_PORTS"); }

    void virtualPortsInNameOrderWithoutHiddenEntries()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* name : {"sim1", ".lock", "Sim0", "sim0-1", "sim0"})
            QVERIFY(QFile(dir.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly));
        // A link whose target is gone is still an entry (a port that vanished mid-scan).
        QVERIFY(QFile::link(dir.filePath("gone"), dir.filePath("sim2")));
        qputenv("ORVANE_VIRTUAL_PORTS", QFile::encodeName(dir.path()));

        QStringList ports;
        ports << "stale";
        orvane::listCandidatePorts(ports);
        const QString base = QDir(dir.path()).absolutePath() + "/";
        QStringList expected;
        for (const char* name : {"Sim0", "sim0", "sim0-1", "sim1", "sim2"})
            expected << base + QString::fromLatin1(name);
        // No USB device of the two vendors on this machine: only the virtual ports remain.
        QCOMPARE(ports.mid(ports.size() - expected.size()), expected);
        QVERIFY(!ports.contains("stale"));
        QVERIFY(!ports.contains(base + ".lock"));
    }

    void directoryIsReadAfreshAtEachCall()
    {
        QTemporaryDir dir;
        qputenv("ORVANE_VIRTUAL_PORTS", QFile::encodeName(dir.path()));
        QCOMPARE(orvane::virtualPorts(), QStringList());
        QFile port(dir.filePath("sim0"));
        QVERIFY(port.open(QIODevice::WriteOnly));
        port.close();
        QCOMPARE(orvane::virtualPorts(), QStringList{dir.filePath("sim0")});
        QVERIFY(QFile::rename(dir.filePath("sim0"), dir.filePath("sim0-1")));
        QCOMPARE(orvane::virtualPorts(), QStringList{dir.filePath("sim0-1")});
        QVERIFY(QFile::remove(dir.filePath("sim0-1")));
        QCOMPARE(orvane::virtualPorts(), QStringList());
    }

    void enumerationIsKeptOnlyWhileTheDeviceDirectoryIsQuiet()
    {
        QTemporaryDir dev;
        int calls = 0;
        orvane::PortEnumerationCache cache(dev.path(), [&calls] {
            ++calls;
            return QStringList{QString::number(calls)};
        });
        QVERIFY(age(dev.path(), 10));
        QCOMPARE(cache.ports(), QStringList{"1"});
        QCOMPARE(cache.ports(), QStringList{"1"});
        QCOMPARE(calls, 1);

        // A node appears: enumerated afresh, and again while the change is recent.
        QFile node(dev.path() + "/ttyACM0");
        QVERIFY(node.open(QIODevice::WriteOnly));
        node.close();
        QCOMPARE(cache.ports(), QStringList{"2"});
        QCOMPARE(cache.ports(), QStringList{"3"});

        // Quiet again (a different stamp from the one kept): one enumeration, then kept.
        QVERIFY(age(dev.path(), 5));
        QCOMPARE(cache.ports(), QStringList{"4"});
        QCOMPARE(cache.ports(), QStringList{"4"});

        orvane::PortEnumerationCache missing(dev.path() + "/none", [&calls] {
            ++calls;
            return QStringList();
        });
        missing.ports();
        missing.ports();
        QCOMPARE(calls, 6);
    }

    void variableNamingNoDirectoryAddsNothing()
    {
        QCOMPARE(orvane::virtualPorts(), QStringList());
        QTemporaryDir dir;
        QFile file(dir.filePath("plain"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("ORVANE_VIRTUAL_PORTS", QFile::encodeName(file.fileName()));
        QCOMPARE(orvane::virtualPorts(), QStringList());
        qputenv("ORVANE_VIRTUAL_PORTS", QFile::encodeName(dir.filePath("missing")));
        QCOMPARE(orvane::virtualPorts(), QStringList());
    }
};

QTEST_GUILESS_MAIN(DiscoveryPortsTest)
#include "discovery_ports_test.moc"
