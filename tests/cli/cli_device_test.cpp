// admin-cli end to end against the simulated device: finding it, its identity, the
// identifier, the network configuration, wrong usage and help.
#include <QDir>
#include <QJsonArray>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

#include "CliFixture.h"
#include "link/cUSB_CDC_Protocol.h"
#include "link/platform/Deadline.h"
#include "tests/support/SimHarness.h"

using orvane::test::CliRun;
using orvane::test::runCli;
using orvane::test::SimHarness;

class CliDeviceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void infoInLinesAndJson()
    {
        SimHarness sim;
        sim.start();
        sim.setIdentifier(18446744073709551615ull);

        const CliRun plain = runCli({QStringLiteral("info")});
        QCOMPARE(plain.status, 0);
        QCOMPARE(plain.out, QStringLiteral("Velmora ID: 18446744073709551615\n"
                                           "Ethernet MAC: 24:6F:28:1A:3C:52\n"
                                           "Wireless MAC: 24:6F:28:1A:3C:51\n"
                                           "Firmware: Orvane 2.4.1\n"
                                           "Mode: 1\n"));
        // The window's log lines, on stderr only.
        QVERIFY(plain.err.contains(QStringLiteral("Scanning for available COM ports\n")));
        QVERIFY(plain.err.contains(QStringLiteral("Found the device connected to ") +
                                   QString::fromStdString(sim.portPath())));
        QVERIFY(plain.err.contains(QStringLiteral("Firmware version is Orvane 2.4.1\n")));
        QVERIFY(plain.err.contains(QStringLiteral("Current device mode : 1\n")));

        const CliRun json = runCli({QStringLiteral("--json"), QStringLiteral("info")});
        QCOMPARE(json.status, 0);
        QVERIFY(json.jsonValid());
        const QJsonObject doc = json.json();
        QCOMPARE(doc.value(QStringLiteral("id")).toString(), QStringLiteral("18446744073709551615"));
        QCOMPARE(doc.value(QStringLiteral("wifiMac")).toString(), QStringLiteral("24:6F:28:1A:3C:51"));
        QCOMPARE(doc.value(QStringLiteral("ethernetMac")).toString(), QStringLiteral("24:6F:28:1A:3C:52"));
        QCOMPARE(doc.value(QStringLiteral("firmware")).toString(), QStringLiteral("Orvane 2.4.1"));
        QCOMPARE(doc.value(QStringLiteral("mode")).toInt(), 1);
        QCOMPARE(doc.value(QStringLiteral("ok")).toBool(), true);
        QVERIFY(doc.value(QStringLiteral("log")).toArray().contains(QStringLiteral("Current device mode : 1")));
    }

    // A version from the device is printed with its control characters escaped; JSON carries
    // it as it came.
    void deviceTextCannotSteerTheTerminal()
    {
        SimHarness sim;
        sim.start();
        sim.setFirmwareVersion("Orvane\x1b]0;owned\x07\x1b[2J");
        const QString escaped = QStringLiteral("Orvane\\x1b]0;owned\\x07\\x1b[2J");
        const CliRun info = runCli({QStringLiteral("info")});
        const CliRun ports = runCli({QStringLiteral("ports")});
        for (const CliRun& run : {info, ports})
            QVERIFY2(!run.out.contains(QChar(0x1b)) && !run.err.contains(QChar(0x1b)),
                     qPrintable(run.out + run.err));
        QVERIFY(info.out.contains(QStringLiteral("Firmware: ") + escaped + QLatin1Char('\n')));
        QVERIFY(info.err.contains(QStringLiteral("Firmware version is ") + escaped + QLatin1Char('\n')));
        QVERIFY(ports.out.endsWith(escaped + QLatin1Char('\n')));
        const CliRun json = runCli({QStringLiteral("--json"), QStringLiteral("info")});
        QCOMPARE(json.json().value(QStringLiteral("firmware")).toString(),
                 QStringLiteral("Orvane\x1b]0;owned\x07\x1b[2J"));
    }

    void infoFailsWhenAQueryIsRefused()
    {
        orvane::sim::SimOptions options;
        options.noReplyOnNth[11] = 1;  // SendGetID
        SimHarness sim(options);
        sim.start();
        const CliRun run = runCli({QStringLiteral("info")});
        QCOMPARE(run.status, 1);
        QVERIFY(run.out.contains(QStringLiteral("Wireless MAC: 24:6F:28:1A:3C:51")));
        QVERIFY(!run.out.contains(QStringLiteral("Velmora ID")));
    }

    void portsListsTheSimulatorWithItsVersion()
    {
        SimHarness sim;
        sim.start();
        const QString port = QString::fromStdString(sim.portPath());
        const CliRun plain = runCli({QStringLiteral("ports")});
        QCOMPARE(plain.status, 0);
        QCOMPARE(plain.out, port + QStringLiteral("  virtual  Orvane 2.4.1\n"));

        const CliRun json = runCli({QStringLiteral("ports"), QStringLiteral("--json")});
        const QJsonArray ports = json.json().value(QStringLiteral("ports")).toArray();
        QCOMPARE(ports.size(), 1);
        const QJsonObject entry = ports.at(0).toObject();
        QCOMPARE(entry.value(QStringLiteral("name")).toString(), port);
        QCOMPARE(entry.value(QStringLiteral("virtual")).toBool(), true);
        QCOMPARE(entry.value(QStringLiteral("version")).toString(), QStringLiteral("Orvane 2.4.1"));
        QCOMPARE(entry.value(QStringLiteral("bootloader")).toBool(), false);

        // Held by another program: said so, rather than "no answer".
        cUSB_CDC_Protocol other;
        QCOMPARE(other.OpenPort(port), 0);
        const CliRun busy = runCli({QStringLiteral("ports")});
        QCOMPARE(busy.status, 0);
        // The holder is this very process, which the reason does not name.
        QCOMPARE(busy.out, port + QStringLiteral("  virtual  held by another program\n"));
        const CliRun info = runCli({QStringLiteral("--quiet"), QStringLiteral("info")});
        QCOMPARE(info.status, 3);
        QCOMPARE(info.err, QStringLiteral("No device found\n  %1: held by another program\n").arg(port));
    }

    void noDeviceIsExitThree()
    {
        SimHarness sim;  // an empty ports directory: never started
        const CliRun run = runCli({QStringLiteral("info")});
        QCOMPARE(run.status, 3);
        QVERIFY(run.err.contains(QStringLiteral("No device found\n  no candidate ports")));
        QVERIFY(run.out.isEmpty());

        const CliRun json = runCli({QStringLiteral("--json"), QStringLiteral("ls")});
        QCOMPARE(json.status, 3);
        QCOMPARE(json.json().value(QStringLiteral("exitStatus")).toInt(), 3);
        QCOMPARE(json.json().value(QStringLiteral("error")).toString(), QStringLiteral("No device found"));
    }

    void bootloaderIsPassedOver()
    {
        orvane::sim::SimOptions options;
        options.bootloaderMs = 600000;
        SimHarness sim(options);
        sim.start();
        QCOMPARE(runCli({QStringLiteral("info")}).status, 3);
        // Listed, but left in its bootloader: no leave command that would restart it.
        const CliRun ports = runCli({QStringLiteral("--json"), QStringLiteral("ports")});
        const QJsonObject entry = ports.json().value(QStringLiteral("ports")).toArray().at(0).toObject();
        QCOMPARE(entry.value(QStringLiteral("bootloader")).toBool(), true);
        QCOMPARE(entry.value(QStringLiteral("version")).toString(), QStringLiteral("Bootloader 1.0.3"));
        QVERIFY(sim.received(9).empty());
        QCOMPARE(sim.restartCount(), 0);
        // Named explicitly, it is passed over all the same, with the reason and the way out.
        const QString port = QString::fromStdString(sim.portPath());
        const CliRun named = runCli({QStringLiteral("--json"), QStringLiteral("--port"), port,
                                     QStringLiteral("info")});
        QCOMPARE(named.status, 3);
        QVERIFY(named.err.contains(QStringLiteral("  %1: answers from its bootloader (\"Bootloader 1.0.3\"): "
                                                  "use --bootloader to work with a device in its bootloader\n")
                                       .arg(port)));
        const QJsonObject candidate =
            named.json().value(QStringLiteral("candidates")).toArray().at(0).toObject();
        QCOMPARE(candidate.value(QStringLiteral("reason")).toString(), QStringLiteral("bootloader"));
        // --bootloader takes it, as the window does with "Skip the Bootloader" unchecked.
        const CliRun taken = runCli({QStringLiteral("--bootloader"), QStringLiteral("info")});
        QCOMPARE(taken.status, 0);
        QVERIFY(taken.out.contains(QStringLiteral("Firmware: Bootloader 1.0.3\n")));
    }

    void jsonLinesAndTrace()
    {
        SimHarness sim;
        sim.start();
        // Appended results make JSON Lines: one compact document per line, each with its time.
        QString lines;
        for (const QStringList& args : {QStringList{QStringLiteral("--json"), QStringLiteral("info")},
                                        QStringList{QStringLiteral("ls"), QStringLiteral("--json")},
                                        QStringList{QStringLiteral("--json"), QStringLiteral("rm"), QStringLiteral("nothere")}})
            lines += runCli(args).out;
        const QStringList split = lines.split(QLatin1Char('\n'));
        QCOMPARE(split.size(), 4);
        QVERIFY(split.last().isEmpty());
        for (int i = 0; i < 3; ++i) {
            QJsonParseError error;
            const QJsonObject doc = QJsonDocument::fromJson(split.at(i).toUtf8(), &error).object();
            QCOMPARE(error.error, QJsonParseError::NoError);
            const QDateTime time =
                QDateTime::fromString(doc.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
            QVERIFY(time.isValid() && time.timeSpec() == Qt::UTC);
            QVERIFY(qAbs(time.secsTo(QDateTime::currentDateTimeUtc())) < 60);
        }
        QVERIFY(runCli({QStringLiteral("--json=pretty"), QStringLiteral("info")}).out.count(QLatin1Char('\n')) > 5);

        // --trace: both directions of every exchange with the command's name, even when quiet.
        const CliRun traced = runCli({QStringLiteral("--trace"), QStringLiteral("-q"), QStringLiteral("info")});
        QCOMPARE(traced.status, 0);
        const QRegularExpression frame(QStringLiteral(
            "^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} (sent|received) (\\w+) \\(\\d+ bytes\\): [0-9a-f ]+$"));
        QStringList names;
        for (const QString& line : traced.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch m = frame.match(line);
            QVERIFY2(m.hasMatch(), qPrintable(line));
            names.append(m.captured(1) + QLatin1Char(' ') + m.captured(2));
        }
        QCOMPARE(names, (QStringList{"sent Hello", "received Hello", "sent GetMAC", "received GetMAC",
                                     "sent GetID", "received GetID", "sent GetFWVersion",
                                     "received GetFWVersion", "sent GetMode", "received GetMode",
                                     "sent Exit", "received Exit"}));
        // The link's diagnostics come along.
        sim.updateOptions([](orvane::sim::SimOptions& o) { o.noReplyOnNth[13] = 1; });
        QVERIFY(runCli({QStringLiteral("--trace"), QStringLiteral("info")})
                    .err.contains(QStringLiteral(" link: Timeout occurrued\n")));
    }

    void namedPortByPathAndByName()
    {
        SimHarness sim;
        sim.start();
        QCOMPARE(runCli({QStringLiteral("--port"), QString::fromStdString(sim.portPath()),
                         QStringLiteral("info")}).status, 0);
        QCOMPARE(runCli({QStringLiteral("--port=sim0"), QStringLiteral("info")}).status, 0);
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(sim.portsDir()));
        const int relative = runCli({QStringLiteral("--port"), QStringLiteral("./sim0"), QStringLiteral("info")}).status;
        QDir::setCurrent(cwd);
        QCOMPARE(relative, 0);
        QCOMPARE(runCli({QStringLiteral("--port"), QStringLiteral("/nonexistent/ttyX"),
                         QStringLiteral("info")}).status, 3);
    }

    void waitsForADeviceThatAppears()
    {
        SimHarness sim;
        std::thread plugIn([&sim] {
            orvane::sleepMs(800);
            sim.start();
        });
        const CliRun run = runCli({QStringLiteral("--wait"), QStringLiteral("20"), QStringLiteral("info")});
        plugIn.join();
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains(QStringLiteral("Firmware: Orvane 2.4.1")));
    }

    void waitGivesUpAfterItsTime()
    {
        SimHarness sim;
        const CliRun run = runCli({QStringLiteral("--wait"), QStringLiteral("0.5"), QStringLiteral("info")});
        QCOMPARE(run.status, 3);
        QVERIFY(run.err.contains(QStringLiteral("No device found\n")));
    }

    void setIdWritesAndChecksTheReadBack()
    {
        SimHarness sim;
        sim.start();
        const CliRun run = runCli({QStringLiteral("set-id"), QStringLiteral("18446744073709551614")});
        QCOMPARE(run.status, 0);
        QCOMPARE(sim.identifier(), 18446744073709551614ull);
        QCOMPARE(run.out, QStringLiteral("Velmora ID: 18446744073709551614\n"));
        QVERIFY(run.err.contains(QStringLiteral("The serial number has been written successfully")));
    }

    void setIdFailsWhenTheDeviceKeepsAnotherIdentifier()
    {
        orvane::sim::SimOptions options;
        options.keepIdentifier = true;
        SimHarness sim(options);
        sim.start();
        const CliRun run = runCli({QStringLiteral("--json"), QStringLiteral("set-id"), QStringLiteral("42")});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.json().value(QStringLiteral("id")).toString(), QStringLiteral("1000000017"));
        QVERIFY(run.err.contains(QStringLiteral("The device reports the identifier 1000000017 after 42 was written")));
    }

    void setIdFailuresOfTheDevice()
    {
        orvane::sim::SimOptions options;
        options.noReplyOnNth[6] = 1;   // SendSetID
        options.noReplyOnNth[11] = 1;  // SendGetID
        SimHarness sim(options);
        sim.start();
        CliRun run = runCli({QStringLiteral("set-id"), QStringLiteral("7")});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(QStringLiteral("An error occurred during writing the serial number")));
        run = runCli({QStringLiteral("set-id"), QStringLiteral("7")});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(QStringLiteral("An error occurred during checking the serial number")));
    }

    void configShowAndSet()
    {
        SimHarness sim;
        sim.start();
        const CliRun shown = runCli({QStringLiteral("config"), QStringLiteral("show")});
        QCOMPARE(shown.status, 0);
        QCOMPARE(shown.out, QStringLiteral("wifi=on\nethernet=on\nsecurity=wpa\nssid=Orvane-Office\n"
                                           "password=sign-pass-2024\nproxy=off\n"
                                           "proxy-url=proxy.example.net\nproxy-port=8080\n"
                                           "proxy-username=\nproxy-password=\n"));

        const CliRun set = runCli({QStringLiteral("--json"), QStringLiteral("config"), QStringLiteral("set"),
                                   QStringLiteral("security=open"), QStringLiteral("ssid=Café"),
                                   QStringLiteral("ethernet=off"), QStringLiteral("proxy=on"),
                                   QStringLiteral("proxy-port=3128")});
        QCOMPARE(set.status, 0);
        const QJsonObject back = set.json().value(QStringLiteral("config")).toObject();
        QCOMPARE(back.value(QStringLiteral("security")).toString(), QStringLiteral("open"));
        QCOMPARE(back.value(QStringLiteral("ssid")).toString(), QStringLiteral("Café"));
        QCOMPARE(back.value(QStringLiteral("ethernet")).toBool(), false);
        QCOMPARE(back.value(QStringLiteral("proxy")).toBool(), true);
        QCOMPARE(back.value(QStringLiteral("proxy-port")).toInt(), 3128);
        // Untouched settings went out as they were read.
        QCOMPARE(back.value(QStringLiteral("proxy-url")).toString(), QStringLiteral("proxy.example.net"));
        QCOMPARE(sim.param(5), std::vector<uint8_t>({'C', 'a', 'f', 0xC3, 0xA9}));
        QCOMPARE(sim.param(13), std::vector<uint8_t>({0x38, 0x0C}));
        QVERIFY(set.err.contains(QStringLiteral("Updating parameters...\n")));
        QVERIFY(set.err.contains(QStringLiteral("Writing was done\n")));

        // A device that acknowledges values it does not keep: the read-back names them.
        sim.updateOptions([](orvane::sim::SimOptions& o) { o.keepParams = true; });
        const CliRun kept = runCli({QStringLiteral("config"), QStringLiteral("set"),
                                    QStringLiteral("ssid=Other"), QStringLiteral("proxy-port=3128")});
        QCOMPARE(kept.status, 1);
        QVERIFY2(kept.err.contains(QStringLiteral("The device does not hold what was written: "
                                                  "ssid (written \"Other\", read back \"Café\")\n")),
                 qPrintable(kept.err));
    }

    void configSetUploadsKeyAndCertificate()
    {
        SimHarness sim;
        sim.start();
        QTemporaryDir dir;
        const QString key = dir.filePath(QStringLiteral("client.key"));
        const QString cert = dir.filePath(QStringLiteral("ca.pem"));
        QVERIFY(orvane::test::writeBytes(key, orvane::test::someBytes(700, 1)));
        QVERIFY(orvane::test::writeBytes(cert, orvane::test::someBytes(1300, 2)));
        const CliRun run = runCli({QStringLiteral("config"), QStringLiteral("set"),
                                   QStringLiteral("security=wpa2-enterprise"), QStringLiteral("username=eve"),
                                   QStringLiteral("key-file=") + key, QStringLiteral("cert-file=") + cert});
        QCOMPARE(run.status, 0);
        const auto files = sim.files();
        QCOMPARE(orvane::test::toBytes(files.at("client.key")), orvane::test::someBytes(700, 1));
        QCOMPARE(orvane::test::toBytes(files.at("ca.pem")), orvane::test::someBytes(1300, 2));
        QVERIFY(run.out.contains(QStringLiteral("security=wpa2-enterprise\n")));
        QVERIFY(run.out.contains(QStringLiteral("username=eve\n")));
        QVERIFY(run.out.contains(QStringLiteral("client.key: 700 bytes, SHA-256 ")));
        QVERIFY(run.out.contains(QStringLiteral(", verified\n")));
    }

    void wrongUsageSendsNothing()
    {
        SimHarness sim;
        sim.start();
        const QList<QStringList> cases = {
            {},
            {QStringLiteral("frobnicate")},
            {QStringLiteral("--bogus"), QStringLiteral("info")},
            {QStringLiteral("--wait"), QStringLiteral("soon"), QStringLiteral("info")},
            {QStringLiteral("info"), QStringLiteral("extra")},
            {QStringLiteral("config")},
            {QStringLiteral("config"), QStringLiteral("set")},
            {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("colour=red")},
            {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("wifi=maybe")},
            {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("proxy-port=70000")},
            {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("ssid=a"), QStringLiteral("ssid=b")},
            {QStringLiteral("set-id")},
            {QStringLiteral("set-id"), QStringLiteral("-1")},
            {QStringLiteral("set-id"), QStringLiteral("18446744073709551616")},
            {QStringLiteral("set-id"), QStringLiteral("0x10")},
            {QStringLiteral("format")},
        };
        for (const QStringList& args : cases) {
            sim.clearReceived();
            const CliRun run = runCli(args);
            QVERIFY2(run.status == 2, qPrintable(args.join(QLatin1Char(' '))));
            QVERIFY2(run.err.contains(QStringLiteral("Usage: admin-cli")), qPrintable(run.err));
            QVERIFY2(sim.received().empty(), qPrintable(args.join(QLatin1Char(' '))));
        }
    }

    void keyFileNeedsEnterpriseSecurity()
    {
        SimHarness sim;
        sim.start();
        QTemporaryDir dir;
        const QString key = dir.filePath(QStringLiteral("a.key"));
        QVERIFY(orvane::test::writeBytes(key, "k"));
        const CliRun run = runCli({QStringLiteral("config"), QStringLiteral("set"),
                                   QStringLiteral("key-file=") + key});  // the device is in WPA
        QCOMPARE(run.status, 2);
        QVERIFY(sim.received(15).empty());  // no SendSetParam
    }

    void helpTexts()
    {
        const CliRun general = runCli({QStringLiteral("--help")});
        QCOMPARE(general.status, 0);
        for (const char* word : {"ports", "info", "config set", "flash", "upload", "ls", "get", "rm",
                                 "format", "clear-history", "dump-flash", "set-id", "Exit status"})
            QVERIFY2(general.out.contains(QLatin1String(word)), word);

        const CliRun get = runCli({QStringLiteral("get"), QStringLiteral("--help")});
        QCOMPARE(get.status, 0);
        QVERIFY(get.out.startsWith(QStringLiteral("Usage: admin-cli [OPTIONS] get [--resume] DIR/NAME... [-o FOLDER|-]")));
        const CliRun config = runCli({QStringLiteral("config"), QStringLiteral("--help")});
        QVERIFY(config.out.contains(QStringLiteral("config show")));
        QVERIFY(config.out.contains(QStringLiteral("proxy-password")));
        QCOMPARE(runCli({QStringLiteral("help"), QStringLiteral("nothing")}).status, 2);
    }
};

QTEST_GUILESS_MAIN(CliDeviceTest)
#include "cli_device_test.moc"
