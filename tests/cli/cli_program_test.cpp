// The admin-cli program as scripts run it: results on stdout, log lines on stderr, exit
// statuses, against the simulated device.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

#include "tests/support/SimHarness.h"

using orvane::test::SimHarness;

namespace {

struct Result {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Result runProgram(const QStringList& args, const QString& portsDir)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORVANE_VIRTUAL_PORTS"), portsDir);
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ADMIN_CLI), args);
    Result r;
    if (!process.waitForFinished(120000))
        return r;
    r.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

}  // namespace

class CliProgramTest : public QObject {
    Q_OBJECT

private slots:
    void jsonOnStdoutLogOnStderr()
    {
        SimHarness sim;
        sim.start();
        const Result r = runProgram({QStringLiteral("info"), QStringLiteral("--json")},
                                    QString::fromStdString(sim.portsDir()));
        QCOMPARE(r.status, 0);
        QJsonParseError error;
        const QJsonObject doc = QJsonDocument::fromJson(r.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(doc.value(QStringLiteral("id")).toString(), QStringLiteral("1000000017"));
        // Only the window's lines: no diagnostic traces, no progress bar (not a terminal).
        QCOMPARE(QString::fromUtf8(r.err),
                 QStringLiteral("Scanning for available COM ports\n"
                                "Found the device connected to %1\n"
                                "Firmware version is Orvane 2.4.1\n"
                                "Current device mode : 1\n")
                     .arg(QString::fromStdString(sim.portPath())));
    }

    // -o -: the image alone on standard output, the log on standard error.
    void dumpFlashToStandardOutput()
    {
        SimHarness sim;
        sim.start();
        const Result r = runProgram({QStringLiteral("dump-flash"), QStringLiteral("-o"), QStringLiteral("-")},
                                    QString::fromStdString(sim.portsDir()));
        QCOMPARE(r.status, 0);
        const std::vector<uint8_t> flash = sim.flash();
        QVERIFY(r.out == QByteArray(reinterpret_cast<const char*>(flash.data()), int(flash.size())));
        QVERIFY(r.err.contains("standard output: 8388608 bytes, SHA-256 "));
    }

    void exitStatuses()
    {
        SimHarness sim;  // never started: no device
        const QString dir = QString::fromStdString(sim.portsDir());
        Result r = runProgram({QStringLiteral("info")}, dir);
        QCOMPARE(r.status, 3);
        QVERIFY(r.err.contains("No device found"));
        QVERIFY(r.out.isEmpty());

        r = runProgram({QStringLiteral("info"), QStringLiteral("--bogus")}, dir);
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains("Usage: admin-cli"));

        r = runProgram({QStringLiteral("--help")}, dir);
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.startsWith("Usage: admin-cli"));
        QVERIFY(r.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(CliProgramTest)
#include "cli_program_test.moc"
