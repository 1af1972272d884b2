// The admin-cli program as scripts run it: results on stdout, log lines on stderr, exit
// statuses, against the simulated device.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

#include <QFileInfo>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/SimHarness.h"

using orvane::test::SimHarness;

namespace {

struct Result {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

void prepare(QProcess& process, const QString& portsDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORVANE_VIRTUAL_PORTS"), portsDir);
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    process.setProcessEnvironment(env);
}

// `program` empty = admin-cli itself; otherwise a wrapper given admin-cli as its first argument.
Result runProgram(const QStringList& args, const QString& portsDir, QStringList wrapper = {})
{
    QProcess process;
    prepare(process, portsDir);
    if (wrapper.isEmpty()) {
        process.start(QStringLiteral(ADMIN_CLI), args);
    } else {
        const QString program = wrapper.takeFirst();
        process.start(program, wrapper + QStringList{QStringLiteral(ADMIN_CLI)} + args);
    }
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

    void portTheUserMayNotOpen()
    {
        SimHarness sim;
        sim.start();
        const QString device = QFileInfo(QString::fromStdString(sim.portPath())).canonicalFilePath();
        // Root opens everything: the program then runs as "nobody". Another user owns the
        // pseudo-terminal and takes its access away.
        QStringList wrapper;
        if (::geteuid() == 0) {
            if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
                QSKIP("running as root without setpriv to drop privileges");
            wrapper = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                                  QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups")};
        } else {
            QCOMPARE(::chmod(QFile::encodeName(device).constData(), 0), 0);
        }
        const Result r = runProgram({QStringLiteral("-q"), QStringLiteral("--port"), device,
                                     QStringLiteral("info")},
                                    QString::fromStdString(sim.portsDir()), wrapper);
        if (::geteuid() != 0)
            ::chmod(QFile::encodeName(device).constData(), 0620);
        QCOMPARE(r.status, 4);
        QCOMPARE(QString::fromUtf8(r.err),
                 QStringLiteral("No device found\n  %1: permission denied: your user may not open it: add it "
                                "to the dialout group (sudo usermod -aG dialout USER, then log in again) or "
                                "install the udev rule packaging/60-orvane.rules (see the README)\n")
                     .arg(device));
    }

    void interruptIsExit130()
    {
        SimHarness sim;  // never started: the program waits for a device
        QProcess process;
        prepare(process, QString::fromStdString(sim.portsDir()));
        process.start(QStringLiteral(ADMIN_CLI),
                      {QStringLiteral("--wait"), QStringLiteral("60"), QStringLiteral("info")});
        process.setReadChannel(QProcess::StandardError);
        QVERIFY(process.waitForReadyRead(10000));  // "Scanning for available COM ports"
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        QVERIFY(process.readAllStandardError().endsWith("Interrupted\n"));
    }
};

QTEST_GUILESS_MAIN(CliProgramTest)
#include "cli_program_test.moc"
