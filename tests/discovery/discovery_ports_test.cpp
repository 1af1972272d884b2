// Candidate ports: the virtual ports directory is read afresh at each call, in name order,
// hidden entries left out, each entry counted as a port by its absolute path.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "discovery/CandidatePorts.h"

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
