// The network configuration flows end to end against the simulated device: what the device
// holds and received after a write, what a read makes of it, and the key and certificate
// files uploaded byte for byte.
#include <QTemporaryDir>
#include <QtTest>

#include "device/config/ConfigFlows.h"
#include "device/transfer/FileUpload.h"
#include "link/cUSB_CDC_Protocol.h"
#include "tests/support/SimHarness.h"

using namespace orvane::config;
using orvane::test::SimHarness;

namespace {

std::vector<uint8_t> v(const QByteArray& b) { return std::vector<uint8_t>(b.begin(), b.end()); }

QList<int> paramIds(const SimHarness& sim, uint8_t command)
{
    QList<int> ids;
    for (const auto& r : sim.received(command)) ids << (r.payload[0] | (r.payload[1] << 8));
    return ids;
}

struct Device {
    SimHarness sim;
    cUSB_CDC_Protocol link;
    QStringList lines;
    Device()
    {
        sim.start();
        if (link.OpenPort(QString::fromStdString(sim.portPath())) != 0) qFatal("cannot open the simulated port");
        sim.clearReceived();
    }
    LogFn log()
    {
        return [this](const QString& l) { lines << l; };
    }
};

}  // namespace

class ConfigSimTest : public QObject {
    Q_OBJECT
private slots:
    void writeThenReadBack()
    {
        Device d;
        NetworkConfig c;
        c.wifiEnabled = true;
        c.ethernetEnabled = false;
        c.security = Security::Wpa;
        c.ssid = QStringLiteral("Caf\u00e9 Net");
        c.password = QStringLiteral("p\u00e4ssword");
        c.proxyEnabled = true;
        c.proxyUrl = "http://proxy";
        c.proxyPort = "70000";
        c.proxyUserName = "pu";
        QVERIFY(writeNetworkConfig(&d.link, c, d.log(), nullptr));
        QCOMPARE(paramIds(d.sim, orvane::cmd::SetParam), (QList<int>{4, 8, 5, 7, 3, 12, 13, 14, 15, 11}));
        QCOMPARE(d.sim.param(5), v("Caf\xc3\xa9 Net"));
        QCOMPARE(d.sim.param(13), (std::vector<uint8_t>{0x70, 0x11}));
        QCOMPARE(d.sim.param(15), std::vector<uint8_t>());
        QCOMPARE(d.sim.param(3), std::vector<uint8_t>{0});

        NetworkConfig back;
        QVERIFY(readNetworkConfig(&d.link, back, d.log()).completed);
        QCOMPARE(back.ssid, c.ssid);
        QCOMPARE(back.password, c.password);
        QCOMPARE(int(back.security), int(Security::Wpa));
        QCOMPARE(back.proxyPort, QStringLiteral("4464"));
        QCOMPARE(back.proxyUrl, c.proxyUrl);
        QVERIFY(back.wifiEnabled && !back.ethernetEnabled && back.proxyEnabled);
        QCOMPARE(d.lines.last(), QStringLiteral("Reading was done"));
    }

    void openNetworkRoundTrip()
    {
        Device d;
        NetworkConfig c;
        c.wifiEnabled = true;
        c.security = Security::Open;
        c.ssid = "cafe";
        c.password = "ignored";
        QVERIFY(writeNetworkConfig(&d.link, c, d.log(), nullptr));
        const auto sets = d.sim.received(orvane::cmd::SetParam);
        QCOMPARE(sets[3].payload, (std::vector<uint8_t>{7, 0, 0}));  // id 7, one zero byte
        NetworkConfig back;
        back.security = Security::Wpa;
        QVERIFY(readNetworkConfig(&d.link, back, d.log()).completed);
        QCOMPARE(int(back.security), int(Security::Open));
        QCOMPARE(back.password, QString());
    }

    void readWithWifiOffAndLongValues()
    {
        Device d;
        d.sim.setParam(4, {0});
        d.sim.setParam(12, std::vector<uint8_t>(300, 'u'));
        d.sim.setParam(14, std::vector<uint8_t>(112, 'n'));
        NetworkConfig c;
        c.ssid = "kept";
        QVERIFY(readNetworkConfig(&d.link, c, d.log()).completed);
        QCOMPARE(paramIds(d.sim, orvane::cmd::GetParam), (QList<int>{3, 4, 12, 13, 14, 15, 11}));
        QCOMPARE(c.ssid, QStringLiteral("kept"));
        QCOMPARE(c.proxyUrl, QString(300, QLatin1Char('u')));
        QCOMPARE(c.proxyUserName, QString(112, QLatin1Char('n')));
    }

    void enterpriseUploadsKeyAndCertificate()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QByteArray key(1500, '\0'), cert(700, '\0');
        for (int i = 0; i < key.size(); ++i) key[i] = char(i * 7 + 0xC0);  // frame bytes included
        for (int i = 0; i < cert.size(); ++i) cert[i] = char(0xDB - i);
        auto put = [&](const QString& name, const QByteArray& bytes) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        put("dev.key", key);
        put("ca.pem", cert);

        Device d;
        d.sim.removeAllFiles();
        NetworkConfig c;
        c.wifiEnabled = true;
        c.ethernetEnabled = true;
        c.security = Security::Wpa2Enterprise;
        c.ssid = "corp";
        c.userName = "me";
        c.password = "pw";
        c.keyPath = dir.filePath("dev.key");
        c.certPath = dir.filePath("ca.pem");
        orvane::transfer::TransferReport report;
        report.log = d.log();
        auto upload = [&](const QStringList& paths) {
            for (const QString& p : paths) orvane::transfer::uploadFile(&d.link, p, false, report);
        };
        QVERIFY(writeNetworkConfig(&d.link, c, d.log(), upload));
        const auto files = d.sim.files();
        QVERIFY(files.count("dev.key") && files.count("ca.pem"));
        QCOMPARE(files.at("dev.key"), v(key));
        QCOMPARE(files.at("ca.pem"), v(cert));
        QCOMPARE(paramIds(d.sim, orvane::cmd::SetParam), (QList<int>{4, 8, 5, 9, 10, 3, 11}));
        QCOMPARE(d.sim.param(8), std::vector<uint8_t>{1});
        QCOMPARE(d.lines.last(), QStringLiteral("Writing was done"));
    }
};

QTEST_GUILESS_MAIN(ConfigSimTest)
#include "tst_config_sim.moc"
