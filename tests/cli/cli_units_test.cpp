// The command line's pieces that need no device: argument parsing, configuration keys,
// device paths and the progress line.
#include <QtTest>

#include "cli/Invocation.h"
#include "cli/ProgressLine.h"
#include "cli/SharedOutput.h"
#include "cli/commands/ConfigKeys.h"
#include "cli/commands/DevicePaths.h"

using namespace orvane::cli;

class CliUnitsTest : public QObject {
    Q_OBJECT

private slots:
    void globalOptionsBeforeAndAfterTheCommand()
    {
        Invocation inv;
        QString error;
        QVERIFY(parseInvocation({"--port", "ttyACM0", "get", "Audio/a.mp3", "--json", "-o", "out",
                                 "--wait=2.5"},
                                inv, error));
        QCOMPARE(inv.port, QStringLiteral("ttyACM0"));
        QCOMPARE(inv.command, QStringLiteral("get"));
        QCOMPARE(inv.args, QStringList({"Audio/a.mp3", "-o", "out"}));
        QVERIFY(inv.json);
        QVERIFY(inv.waitGiven);
        QCOMPARE(inv.waitSeconds, 2.5);

        // --port given again adds a device; --all takes them all.
        Invocation several;
        QVERIFY(parseInvocation({"--port", "a", "info", "--port=b"}, several, error));
        QCOMPARE(several.ports, QStringList({"a", "b"}));
        QVERIFY(several.severalDevices());
        Invocation all;
        QVERIFY(parseInvocation({"info", "--all"}, all, error));
        QVERIFY(all.all && all.severalDevices() && !inv.severalDevices());

        // After "--" nothing is an option, not even for the program.
        Invocation rest;
        QVERIFY(parseInvocation({"upload", "--", "--json"}, rest, error));
        QVERIFY(!rest.json);
        QCOMPARE(rest.args, QStringList({"--", "--json"}));
    }

    void badGlobalOptions()
    {
        for (const QStringList& args :
             QList<QStringList>{{"--port"}, {"--port="}, {"--wait", "-1", "info"}, {"--wait", "x"},
                                {"--wait", "inf"}, {"--colour", "info"}, {"--all", "--port", "a", "info"},
                                {"--port", "a", "--port", "a", "info"}}) {
            Invocation inv;
            QString error;
            QVERIFY2(!parseInvocation(args, inv, error), qPrintable(args.join(' ')));
            QVERIFY(!error.isEmpty());
        }
    }

    void outputOption()
    {
        QStringList args{"a", "-o", "dir", "b"};
        QString value, error;
        QVERIFY(takeOutputOption(args, value, error));
        QCOMPARE(value, QStringLiteral("dir"));
        QCOMPARE(args, QStringList({"a", "b"}));

        args = QStringList{"-o=x", "--output", "y"};
        QVERIFY(!takeOutputOption(args, value, error));  // twice
        args = QStringList{"a", "-o"};
        QVERIFY(!takeOutputOption(args, value, error));  // no value
    }

    void configChangesAreCheckedAndApplied()
    {
        QList<ConfigChange> changes;
        QString error;
        QVERIFY(parseConfigChanges({"WiFi=ON", "security=WPA2-Enterprise", "password=a=b",
                                    "proxy-port=65535", "ssid="},
                                   changes, error));
        orvane::config::NetworkConfig c;
        c.ssid = QStringLiteral("old");
        applyConfigChanges(changes, c);
        QVERIFY(c.wifiEnabled);
        QCOMPARE(c.security, orvane::config::Security::Wpa2Enterprise);
        QCOMPARE(c.password, QStringLiteral("a=b"));  // only the first "=" splits
        QCOMPARE(c.proxyPort, QStringLiteral("65535"));
        QCOMPARE(c.ssid, QString());  // an empty value empties the setting

        for (const char* bad : {"proxy-port=65536", "proxy-port=-1", "proxy-port= 80", "wifi=",
                                   "security=wep", "=x", "ssid", "colour=red"}) {
            QVERIFY2(!parseConfigChanges({QString::fromUtf8(bad)}, changes, error), bad);
        }
    }

    void changesTheWriteWouldLeaveOut()
    {
        orvane::config::NetworkConfig c;
        c.wifiEnabled = true;
        c.security = orvane::config::Security::Wpa;
        c.proxyEnabled = false;
        const auto check = [&c](const QString& arg) {
            QList<ConfigChange> changes;
            QString error;
            if (!parseConfigChanges({arg}, changes, error))
                return QStringLiteral("parse: ") + error;
            return unwrittenChange(changes, c);
        };
        QCOMPARE(check("password=x"), QString());
        QCOMPARE(check("ssid=x"), QString());
        QVERIFY(!check("username=x").isEmpty());
        QVERIFY(!check("key-file=a.key").isEmpty());
        QVERIFY(!check("proxy-url=p").isEmpty());
        c.security = orvane::config::Security::Open;
        QVERIFY(!check("password=x").isEmpty());
        c.security = orvane::config::Security::Wpa2Enterprise;
        QCOMPARE(check("username=x"), QString());
        c.wifiEnabled = false;
        QVERIFY(!check("ssid=x").isEmpty());
        QCOMPARE(check("ethernet=on"), QString());
        c.proxyEnabled = true;
        QCOMPARE(check("proxy-port=80"), QString());
    }

    void configLinesShowOnlyWhatWasRead()
    {
        orvane::config::NetworkConfig c;
        c.wifiEnabled = false;
        c.ssid = QStringLiteral("stale");
        c.proxyPort = QStringLiteral("8080");
        orvane::config::ReadOutcome read;
        read.filled = orvane::config::FieldChannels | orvane::config::FieldProxyPort;
        QCOMPARE(configLines(c, read), QStringList({"wifi=off", "ethernet=off", "proxy-port=8080"}));
        const QJsonObject json = configJson(c, read);
        QCOMPARE(json.value("proxy-port").toInt(), 8080);
        QVERIFY(!json.contains("ssid"));
    }

    void devicePaths()
    {
        QString dir, name;
        splitDevicePath(QStringLiteral("Audio/bell.mp3"), dir, name);
        QCOMPARE(dir, QStringLiteral("Audio"));
        QCOMPARE(name, QStringLiteral("bell.mp3"));
        splitDevicePath(QStringLiteral("bell.mp3"), dir, name);
        QCOMPARE(dir, QString());

        orvane::fs::Listing listing;
        listing.directories = {{QStringLiteral("/"), {}}, {QStringLiteral("Audio"), {}}};
        QCOMPARE(findDirectory(listing, QString()), 0);
        QCOMPARE(findDirectory(listing, QStringLiteral("/")), 0);
        QCOMPARE(findDirectory(listing, QStringLiteral("Audio")), 1);
        QCOMPARE(findDirectory(listing, QStringLiteral("/Audio")), 1);
        QCOMPARE(findDirectory(listing, QStringLiteral("audio")), -1);
        listing.directories.clear();
        QCOMPARE(findDirectory(listing, QString()), -1);
    }

    void sharedOutputKeepsTheProgressLinesBelowTheLog()
    {
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        SharedOutput shared(out, err, true);
        shared.showProgress(1, QStringLiteral("b 50%"));
        shared.showProgress(0, QStringLiteral("a 10%"));  // drawn above b: in device order
        shared.writeErr(QStringLiteral("sim0: line\n"));
        shared.writeOut(QStringLiteral("sim1: result\n"));
        shared.showProgress(0, QString());
        err.flush();
        const QString up = QStringLiteral("\x1b[1A\x1b[K"), clear = QStringLiteral("\r\x1b[K");
        QCOMPARE(errText, QStringLiteral("b 50%") + clear + QStringLiteral("a 10%\nb 50%") + clear + up +
                              QStringLiteral("sim0: line\na 10%\nb 50%") + clear + up +
                              QStringLiteral("a 10%\nb 50%") + clear + up + QStringLiteral("b 50%"));
        QCOMPARE(outText, QStringLiteral("sim1: result\n"));

        // Not a terminal: no progress lines at all.
        QString plainText;
        QTextStream plain(&plainText);
        SharedOutput piped(out, plain, false);
        piped.showProgress(0, QStringLiteral("a 10%"));
        piped.writeErr(QStringLiteral("x\n"));
        plain.flush();
        QCOMPARE(plainText, QStringLiteral("x\n"));
    }

    void progressLine()
    {
        // Half of 2 MiB in 2 s: 512 KiB/s, 2 s left.
        const QString line = orvane::cli::progressLine(QStringLiteral("flashimage.bin"), 1048576,
                                                       2097152, 2000, 79);
        QVERIFY(line.startsWith(QStringLiteral("flashimage.bin [")));
        QVERIFY2(line.contains(QStringLiteral(" 50% ")), qPrintable(line));
        QVERIFY2(line.contains(QStringLiteral("512.0 KiB/s")), qPrintable(line));
        QVERIFY2(line.endsWith(QStringLiteral("0:02 left")), qPrintable(line));
        QVERIFY(line.size() <= 79);

        const QString start = orvane::cli::progressLine(QStringLiteral("a.bin"), 0, 100, 0, 79);
        QVERIFY(start.contains(QStringLiteral("  0% ")));
        QVERIFY(start.contains(QStringLiteral("-- left")));

        const QString narrow = orvane::cli::progressLine(
            QStringLiteral("a-very-long-file-name-for-a-narrow-terminal.mp3"), 10, 100, 1000, 40);
        QVERIFY(narrow.size() <= 40);
        QVERIFY(narrow.contains(QStringLiteral(" 10% ")));

        QCOMPARE(orvane::cli::progressLine(QStringLiteral("e"), 0, 0, 5, 79).contains("100%"), true);
        QCOMPARE(clockTime(3725), QStringLiteral("1:02:05"));
        QCOMPARE(clockTime(65), QStringLiteral("1:05"));
        QCOMPARE(byteSize(1023), QStringLiteral("1023 B"));
        QCOMPARE(byteSize(1536), QStringLiteral("1.5 KiB"));
    }
};

QTEST_GUILESS_MAIN(CliUnitsTest)
#include "cli_units_test.moc"
