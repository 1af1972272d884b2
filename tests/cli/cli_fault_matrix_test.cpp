// The simulator's faults crossed with the admin-cli commands they touch, one table row a
// cell. Each cell runs the command against a fresh simulated device with one fault armed and
// checks the exit status, the line that says why (or the success line), that the command
// ended within its time-outs, that the local file it read or would replace kept its bytes,
// and that a NAME.part is left only after a transfer broke off with bytes received.
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "CliFixture.h"
#include "link/codec/CommandCodes.h"
#include "tests/support/SimHarness.h"

using orvane::test::CliRun;
using orvane::test::readBytes;
using orvane::test::runCli;
using orvane::test::SimHarness;
using orvane::test::someBytes;
using orvane::test::toBytes;
using orvane::test::writeBytes;
namespace cmd = orvane::cmd;

namespace {

enum Kind {
    Split,    // every reply in two writes 20 ms apart
    Late,     // the Nth reply of `code` comes `ms` late
    LeadEnd,  // an END byte before every reply
    Drop,     // no reply to the Nth request of `code`
    Nok,      // the Nth request of `code` is refused
    Short,    // file reads answer one byte fewer than asked
    Over,     // flash reads state one byte more than asked (and carry it)
    Zero,     // flash reads state 0 bytes
    Unplug,   // the cable is pulled right after the reply to the Nth request of `code`
    Replug,   // ... and plugged in again: see run()
};
const char* const kKindNames[] = {"split replies", "late reply", "leading END", "no reply", "refusal",
                                  "short read", "oversize count", "zero count", "unplug", "unplug+replug"};

enum Cmd { Info, ConfigShow, ConfigSet, Upload, Get, DumpFlash, Flash };
const char* const kCmdNames[] = {"info", "config show", "config set", "upload", "get", "dump-flash", "flash"};

struct Cell {
    Kind kind;
    int code;  // the command the fault hits (0: every reply)
    int n;
    int ms;  // Late: how late
    Cmd command;
    int status;
    const char* says;  // on stderr (the log and the error line)
    bool part;         // NAME.part left beside the destination
};

constexpr int kFlashWait = 3;  // --wait for flash: how long it waits for the restart

// One row a cell. Fault positions are chosen so that most cells fail at once; cells that
// wait for a time-out: info/no reply (200 ms), dump-flash/no reply and late (500 ms),
// upload and get/no reply (1 s), config set/no reply (1 s), flash/unplug (--wait). The
// parameter read has no refusal (its reply is the value), so config show has no such cell.
// A .part is expected where a read broke off after bytes had arrived.
const Cell kCells[] = {
    {Split, 0, 0, 0, Info, 0, "Current device mode : 1", false},
    {Split, 0, 0, 0, ConfigShow, 0, "Reading was done", false},
    {Split, 0, 0, 0, ConfigSet, 0, "Writing was done", false},
    {Split, 0, 0, 0, Upload, 0, "chime.mp3 file was successfully downloaded", false},
    {Split, 0, 0, 0, Get, 0, "File getting is complete", false},
    {Split, 0, 0, 0, Flash, 0, "Found device connected to ", false},
    {Late, cmd::GetMAC, 1, 300, Info, 1, "The device did not answer every identity query", false},
    {Late, cmd::GetParam, 2, 300, ConfigShow, 1, "The device did not give its whole configuration", false},
    {Late, cmd::SetParam, 1, 300, ConfigSet, 0, "Writing was done", false},
    {Late, cmd::WriteESP, 2, 300, Upload, 0, "chime.mp3 file was successfully downloaded", false},
    {Late, cmd::ReadFile, 2, 300, Get, 0, "File getting is complete", false},
    {Late, cmd::GetFlash, 3, 700, DumpFlash, 1, "Unable to get the data from the device", true},
    {Late, cmd::StartUpdate, 1, 300, Flash, 0, "The device did not answer the update command", false},
    {LeadEnd, 0, 0, 0, Info, 0, "Current device mode : 1", false},
    {LeadEnd, 0, 0, 0, ConfigSet, 0, "Writing was done", false},
    {LeadEnd, 0, 0, 0, Upload, 0, "chime.mp3 file was successfully downloaded", false},
    {LeadEnd, 0, 0, 0, Get, 0, "File getting is complete", false},
    {LeadEnd, 0, 0, 0, DumpFlash, 0, "Flash reading is complete", false},
    {LeadEnd, 0, 0, 0, Flash, 0, "Found device connected to ", false},
    {Drop, cmd::GetMAC, 1, 0, Info, 1, "The device did not answer every identity query", false},
    {Drop, cmd::GetParam, 1, 0, ConfigShow, 1, "The device did not give its whole configuration", false},
    {Drop, cmd::SetParam, 1, 0, ConfigSet, 1, "The configuration was not written completely", false},
    {Drop, cmd::EndESP, 1, 0, Upload, 1, "The device did not answer the request to finish storing chime.mp3", false},
    {Drop, cmd::EndFileRead, 1, 0, Get, 1, "The device did not answer the request to finish reading", true},
    {Drop, cmd::GetFlash, 3, 0, DumpFlash, 1, "Unable to get the data from the device", true},
    {Drop, cmd::StartUpdate, 1, 0, Flash, 0, "The device did not answer the update command", false},
    {Nok, cmd::GetID, 1, 0, Info, 1, "The device did not answer every identity query", false},
    {Nok, cmd::SetParam, 3, 0, ConfigSet, 1, "The device does not hold what was written: ssid", false},
    {Nok, cmd::StartESP, 1, 0, Upload, 1, "The device refused to store chime.mp3", false},
    {Nok, cmd::StartFileRead, 1, 0, Get, 1, "The device refused to read bell.mp3", false},
    {Nok, cmd::ReadFile, 2, 0, Get, 0, "File getting is complete", false},  // read again,
    {Nok, cmd::GetFlash, 1, 0, DumpFlash, 1, "Unable to get the data from the device", false},
    {Nok, cmd::StartUpdate, 1, 0, Flash, 1, "The device refused the update command", false},
    {Short, 0, 0, 0, Upload, 1, "Verification failed for chime.mp3", false},
    {Short, 0, 0, 0, Get, 1, "Unable to get the data from the device", false},
    {Short, 0, 0, 0, Flash, 1, "Firmware update was not started because the verification failed", false},
    {Over, 0, 0, 0, DumpFlash, 1, "Unable to get the data from the device", false},
    {Zero, 0, 0, 0, DumpFlash, 1, "Unable to get the data from the device", false},
    {Unplug, cmd::GetMAC, 1, 0, Info, 1, "The device did not answer every identity query", false},
    {Unplug, cmd::SetParam, 1, 0, ConfigSet, 1, "The configuration was not written completely", false},
    {Unplug, cmd::WriteESP, 2, 0, Upload, 1, "Can't send ESP firmware file", false},
    {Unplug, cmd::ReadFile, 2, 0, Get, 1, "Unable to get the data from the device", true},
    {Unplug, cmd::GetFlash, 3, 0, DumpFlash, 1, "keeps what arrived; run the same command with --resume", true},
    {Unplug, cmd::WriteESP, 2, 0, Flash, 1, "Firmware update was not started because the upload failed", false},
    {Unplug, cmd::StartUpdate, 1, 0, Flash, 1, "The device did not come back within 3 s", false},
    {Replug, cmd::ReadFile, 2, 0, Get, 1, "Unable to get the data from the device", true},
    {Replug, cmd::StartUpdate, 1, 0, Flash, 0, "The firmware version did not change: Orvane 2.4.1", false},
};

// The link's time-out of one exchange of `code` (as link/ sets them).
int exchangeTimeoutMs(int code)
{
    switch (code) {
    case cmd::StartESP:
    case cmd::StartFileRead: return 30000;
    case cmd::WriteESP:
    case cmd::ReadFile: return 5000;
    case cmd::EndESP:
    case cmd::EndFileRead:
    case cmd::SetParam: return 1000;
    case cmd::GetFlash:
    case cmd::GetDiskInfo:
    case cmd::GetFileDesc: return 500;
    case cmd::StartUpdate: return 100;
    default: return 200;
    }
}

// The longest a cell may take before it counts as hung: connecting and the small jobs with
// room for a loaded machine, plus what the fault may make it wait (one exchange's time-out,
// flash's wait for the restart), plus the whole 8 MiB for a dump that completes.
int budgetMs(const Cell& c)
{
    int ms = 8000;
    if (c.kind == Drop || c.kind == Late) ms += exchangeTimeoutMs(c.code);
    if (c.command == Flash) ms += kFlashWait * 1000;
    if (c.command == DumpFlash && (c.status == 0 || c.kind == Replug)) ms += 60000;
    return ms;
}

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Runs admin-cli, and asks it to stop (exit 130) should it outlast `budgetMs`: a hung cell
// fails on its elapsed time instead of hanging the whole matrix.
CliRun runWithin(const QStringList& args, int budgetMs, qint64& elapsedMs)
{
    std::atomic<bool> stop{false};
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> lock(m);
        if (!cv.wait_for(lock, std::chrono::milliseconds(budgetMs), [&] { return done; })) stop = true;
    });
    QElapsedTimer timer;
    timer.start();
    CliRun run = runCli(args, false, &stop);
    elapsedMs = timer.elapsed();
    {
        std::lock_guard<std::mutex> lock(m);
        done = true;
    }
    cv.notify_one();
    watchdog.join();
    return run;
}

QString lastLine(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last();
}

}  // namespace

class CliFaultMatrixTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(s("default.debug=false")); }

    void faultMatrix_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(sizeof kCells / sizeof kCells[0]); ++i) {
            const Cell& c = kCells[i];
            QString name = s(kKindNames[c.kind]);
            if (c.code) name += QStringLiteral(" %1:%2").arg(c.code).arg(c.n);
            name += s(" x ") + s(kCmdNames[c.command]);
            QTest::newRow(qPrintable(name)) << i;
        }
    }

    void faultMatrix()
    {
        QFETCH(int, row);
        const Cell& c = kCells[row];
        orvane::sim::SimOptions options;
        options.restartDelayMs = 300;
        switch (c.kind) {
        case Split: options.splitReplies = true; break;
        case Late: options.lateReplyOnNth[c.code] = c.n; options.lateReplyMs = c.ms; break;
        case LeadEnd: options.leadingEnd = true; break;
        case Drop: options.noReplyOnNth[c.code] = c.n; break;
        case Nok: options.nokOnNth[c.code] = c.n; break;
        case Short: options.shortReadFileBy = 1; break;
        case Over: options.flashCountSkew = 1; break;
        case Zero: options.flashZeroCount = true; break;
        case Unplug:
        case Replug: options.unplugOnNth[c.code] = c.n; break;
        }
        SimHarness sim(options);
        sim.start();
        const QByteArray bell = someBytes(1000, 3);
        sim.putFile("Audio/bell.mp3", std::vector<uint8_t>(bell.begin(), bell.end()));

        // The local file each command reads, or replaces when it succeeds.
        QTemporaryDir dir;
        QStringList args;
        QString local;
        QByteArray before = "mine";
        switch (c.command) {
        case Info: args = QStringList{s("info")}; break;
        case ConfigShow: args = QStringList{s("config"), s("show")}; break;
        case ConfigSet: args = QStringList{s("config"), s("set"), s("ssid=Shop")}; break;
        case Upload:
            local = dir.filePath(s("chime.mp3"));
            before = someBytes(1200);
            args = QStringList{s("upload"), local};
            break;
        case Get:
            local = dir.filePath(s("bell.mp3"));
            args = QStringList{s("get"), s("Audio/bell.mp3"), s("-o"), dir.path()};
            break;
        case DumpFlash:
            local = dir.filePath(s("unit.bin"));
            args = QStringList{s("dump-flash"), s("-o"), local};
            break;
        case Flash:
            local = dir.filePath(s("system.bin"));
            before = QByteArray("image ORVANE-VERSION=Orvane 3.0.0\n") + someBytes(1500);
            args = QStringList{s("--wait"), QString::number(kFlashWait), s("flash"), local};
            break;
        }
        if (!local.isEmpty()) QVERIFY(writeBytes(local, before));

        // With a replug the device comes back while flash waits for its restart.
        std::thread plugIn;
        if (c.kind == Replug && c.command == Flash)
            plugIn = std::thread([&sim] {
                if (sim.waitForAbsence(20000)) sim.start();
            });
        qint64 elapsed = 0;
        const int budget = budgetMs(c);
        const CliRun run = runWithin(args, budget, elapsed);
        if (plugIn.joinable()) plugIn.join();

        qInfo("| %s | %s | %d | %s | %s | %lld ms |", kKindNames[c.kind], kCmdNames[c.command], run.status,
              qPrintable(lastLine(run.err)), QFileInfo::exists(local + s(".part")) ? "yes" : "no",
              elapsed);
        QVERIFY2(elapsed < budget, qPrintable(QStringLiteral("took %1 ms").arg(elapsed)));
        QVERIFY2(run.status == c.status, qPrintable(QStringLiteral("status %1\n").arg(run.status) + run.err));
        QVERIFY2(run.err.contains(s(c.says)), qPrintable(run.err));
        if (!local.isEmpty()) {
            const bool replaced = run.status == 0 && (c.command == Get || c.command == DumpFlash);
            const QByteArray expected = !replaced ? before : c.command == Get ? bell : toBytes(sim.flash());
            QVERIFY2(readBytes(local) == expected, "the local file was harmed");
            QCOMPARE(QFileInfo::exists(local + s(".part")), c.part);
        }

        // Plugged in again, the broken read continues where it stopped.
        if (c.kind == Replug && c.command != Flash) {
            sim.start();
            const CliRun again = runWithin(QStringList{args.at(0), s("--resume")} + args.mid(1), budget, elapsed);
            QVERIFY2(again.status == 0, qPrintable(again.err));
            QVERIFY(again.err.contains(s("Continuing the earlier read from byte ")));
            QCOMPARE(readBytes(local), c.command == Get ? bell : toBytes(sim.flash()));
            QVERIFY(!QFileInfo::exists(local + s(".part")));
        }
    }
};

QTEST_GUILESS_MAIN(CliFaultMatrixTest)
#include "cli_fault_matrix_test.moc"
