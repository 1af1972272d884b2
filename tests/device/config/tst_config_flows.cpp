// The network configuration read and write flows against a scripted device: which
// parameters go over the wire, their bytes, the log lines, and where failures stop.
#include <QtTest>

#include <map>
#include <set>

#include "device/config/ConfigFlows.h"
#include "link/cUSB_CDC_Protocol.h"
#include "tests/device/fakedevice/FakeDevicePort.h"

using namespace orvane::config;
using orvane::test::FakeDevice;

namespace {

// A device that keeps parameters and stays silent for the ids it is told to fail.
struct ParamDevice {
    std::map<int, QByteArray> params;
    std::set<int> silentGet, silentSet;
    FakeDevice device{[this](uint8_t cmd, const QByteArray& p, QByteArray& reply) {
        if (p.size() < 2) return false;
        const int id = quint8(p[0]) | (quint8(p[1]) << 8);
        if (cmd == orvane::cmd::GetParam) {
            if (silentGet.count(id)) return false;
            reply = params[id];
            return true;
        }
        if (cmd == orvane::cmd::SetParam) {
            if (silentSet.count(id)) return false;
            params[id] = p.mid(2);
            reply = QByteArray(1, '\0');
            return true;
        }
        return false;
    }};
    std::unique_ptr<cUSB_CDC_Protocol> link = device.openLink();

    QList<int> getIds() const { return idsOf(orvane::cmd::GetParam); }
    QList<int> setIds() const { return idsOf(orvane::cmd::SetParam); }
    QList<int> idsOf(uint8_t cmd) const
    {
        QList<int> ids;
        for (const auto& r : device.requests(cmd)) ids << (quint8(r.payload[0]) | (quint8(r.payload[1]) << 8));
        return ids;
    }
    // The value bytes of the last SetParam of `id`.
    QByteArray sent(int id) const
    {
        QByteArray out;
        for (const auto& r : device.requests(orvane::cmd::SetParam))
            if ((quint8(r.payload[0]) | (quint8(r.payload[1]) << 8)) == id) out = r.payload.mid(2);
        return out;
    }
};

QByteArray b(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (int x : bytes) out.append(char(x));
    return out;
}

struct Log {
    QStringList lines;
    LogFn fn() { return [this](const QString& l) { lines << l; }; }
};

void fillProxy(ParamDevice& d)
{
    d.params[12] = "proxy.local";
    d.params[13] = b({0x90, 0x1F});
    d.params[14] = "pu";
    d.params[15] = "pp";
    d.params[11] = b({1});
}

NetworkConfig wifiConfig(Security security)
{
    NetworkConfig c;
    c.wifiEnabled = true;
    c.ethernetEnabled = true;
    c.security = security;
    c.ssid = "home";
    c.userName = "eap-user";
    c.password = "secret99";
    return c;
}

}  // namespace

class ConfigFlowsTest : public QObject {
    Q_OBJECT
private slots:
    void readWithWifiOffSkipsWifiAndReadsProxy()
    {
        ParamDevice d;
        d.params[3] = b({1});
        d.params[4] = b({0});
        d.params[5] = "never-read";
        fillProxy(d);
        NetworkConfig c;
        c.ssid = "kept";
        Log log;
        const ReadOutcome r = readNetworkConfig(d.link.get(), c, log.fn());
        QVERIFY(r.completed);
        QCOMPARE(d.getIds(), (QList<int>{3, 4, 12, 13, 14, 15, 11}));
        QCOMPARE(log.lines, (QStringList{"Reading parameters...", "Reading was done"}));
        QVERIFY(c.ethernetEnabled);
        QVERIFY(!c.wifiEnabled);
        QCOMPARE(c.ssid, QStringLiteral("kept"));
        QVERIFY(!r.has(FieldSsid) && !r.has(FieldSecurity));
        QCOMPARE(c.proxyUrl, QStringLiteral("proxy.local"));
        QCOMPARE(c.proxyPort, QStringLiteral("8080"));
        QCOMPARE(c.proxyUserName, QStringLiteral("pu"));
        QCOMPARE(c.proxyPassword, QStringLiteral("pp"));
        QVERIFY(c.proxyEnabled);
        QVERIFY(r.has(FieldProxyEnabled) && r.has(FieldProxyPort));
    }

    void readSecurityBranches_data()
    {
        QTest::addColumn<QByteArray>("eap");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<int>("security");
        QTest::addColumn<QList<int>>("wifiIds");
        const QList<int> eapIds{8, 5, 9, 10};
        const QList<int> plainIds{8, 5, 7};
        QTest::newRow("eap one byte 1") << b({1}) << QByteArray("pw") << int(Security::Wpa2Enterprise) << eapIds;
        QTest::newRow("eap two bytes") << b({1, 0}) << QByteArray("pw") << int(Security::Wpa) << plainIds;
        QTest::newRow("eap one byte 2") << b({2}) << QByteArray("pw") << int(Security::Wpa) << plainIds;
        QTest::newRow("empty password") << b({0}) << QByteArray() << int(Security::Open) << plainIds;
        QTest::newRow("zero-byte password") << b({0}) << b({0}) << int(Security::Open) << plainIds;
    }
    void readSecurityBranches()
    {
        QFETCH(QByteArray, eap);
        QFETCH(QByteArray, password);
        QFETCH(int, security);
        QFETCH(QList<int>, wifiIds);
        ParamDevice d;
        d.params[3] = b({0});
        d.params[4] = b({1});
        d.params[8] = eap;
        d.params[5] = "net";
        d.params[7] = password;
        d.params[9] = "user";
        d.params[10] = "eap-pw";
        fillProxy(d);
        NetworkConfig c;
        c.password = "old";
        Log log;
        QVERIFY(readNetworkConfig(d.link.get(), c, log.fn()).completed);
        QCOMPARE(int(c.security), security);
        QCOMPARE(d.getIds(), (QList<int>{3, 4} + wifiIds + QList<int>{12, 13, 14, 15, 11}));
        QCOMPARE(c.ssid, QStringLiteral("net"));
        if (security == int(Security::Wpa2Enterprise)) {
            QCOMPARE(c.userName, QStringLiteral("user"));
            QCOMPARE(c.password, QStringLiteral("eap-pw"));
        } else if (security == int(Security::Wpa)) {
            QCOMPARE(c.password, QStringLiteral("pw"));
        } else {
            QCOMPARE(c.password, QString());
        }
    }

    void readTakesLongValuesWhole()
    {
        ParamDevice d;
        d.params[3] = b({1});
        d.params[4] = b({1});
        d.params[8] = b({0});
        const QByteArray ssid(200, 's');
        d.params[5] = ssid;
        d.params[7] = QByteArray("pw\0tail", 7);
        fillProxy(d);
        d.params[12] = QByteArray(400, 'u');
        NetworkConfig c;
        Log log;
        QVERIFY(readNetworkConfig(d.link.get(), c, log.fn()).completed);
        QCOMPARE(c.ssid, QString::fromLatin1(ssid));
        QCOMPARE(c.proxyUrl.size(), 400);
        QCOMPARE(c.password, QStringLiteral("pw"));  // up to the first zero byte
    }

    void readFailureStopsWithItsMessage_data()
    {
        QTest::addColumn<int>("silentId");
        QTest::addColumn<QString>("message");
        QTest::addColumn<unsigned>("filled");
        QTest::addColumn<int>("requests");
        QTest::newRow("ethernet") << 3 << "Error: cannot get Ethernet enabling" << 0u << 1;
        QTest::newRow("wifi") << 4 << "Error: cannot get Wi-Fi enabling" << 0u << 2;
        QTest::newRow("eap") << 8 << "Error while getting WiFi EAP TLS usage" << unsigned(FieldChannels) << 3;
        QTest::newRow("password") << 7 << "Error while getting WiFi APN"
                                  << unsigned(FieldChannels | FieldSsid) << 5;
        QTest::newRow("proxy port") << 13 << "Error while getting Proxy URL"
                                    << unsigned(FieldChannels | FieldSsid | FieldSecurity | FieldPassword |
                                                FieldProxyUrl)
                                    << 7;
        QTest::newRow("proxy enable") << 11 << "Error while setting Proxy enable"
                                      << unsigned(FieldChannels | FieldSsid | FieldSecurity | FieldPassword |
                                                  FieldProxyUrl | FieldProxyPort | FieldProxyUserName |
                                                  FieldProxyPassword)
                                      << 10;
    }
    void readFailureStopsWithItsMessage()
    {
        QFETCH(int, silentId);
        QFETCH(QString, message);
        QFETCH(unsigned, filled);
        QFETCH(int, requests);
        ParamDevice d;
        d.params[3] = b({1});
        d.params[4] = b({1});
        d.params[8] = b({0});
        d.params[5] = "net";
        d.params[7] = "pw";
        fillProxy(d);
        d.silentGet.insert(silentId);
        NetworkConfig c;
        Log log;
        const ReadOutcome r = readNetworkConfig(d.link.get(), c, log.fn());
        QVERIFY(!r.completed);
        QCOMPARE(log.lines, (QStringList{"Reading parameters...", message}));
        QCOMPARE(r.filled, filled);
        QCOMPARE(d.getIds().size(), requests);
    }

    void writeOpenSendsPasswordAsOneZeroByte()
    {
        ParamDevice d;
        NetworkConfig c = wifiConfig(Security::Open);
        Log log;
        QVERIFY(writeNetworkConfig(d.link.get(), c, log.fn(), nullptr));
        QCOMPARE(d.setIds(), (QList<int>{4, 8, 5, 7, 3, 11}));
        QCOMPARE(d.sent(4), b({1}));
        QCOMPARE(d.sent(8), b({0}));
        QCOMPARE(d.sent(7), b({0}));
        QCOMPARE(d.sent(3), b({1}));
        QCOMPARE(d.sent(11), b({0}));
        // id 5 as little-endian id followed by the bare text
        QCOMPARE(d.device.requests(orvane::cmd::SetParam).at(2).payload, QByteArray("\x05\x00home", 6));
        QCOMPARE(log.lines, (QStringList{"Updating parameters...", "Writing was done"}));
    }

    void writeWpaAndEnterprise()
    {
        ParamDevice d;
        Log log;
        QVERIFY(writeNetworkConfig(d.link.get(), wifiConfig(Security::Wpa), log.fn(), nullptr));
        QCOMPARE(d.setIds(), (QList<int>{4, 8, 5, 7, 3, 11}));
        QCOMPARE(d.sent(7), QByteArray("secret99"));

        d.device.clearRequests();
        QStringList uploaded;
        NetworkConfig c = wifiConfig(Security::Wpa2Enterprise);
        c.keyPath = "/tmp/x/dev.key";
        c.certPath = "/tmp/x/ca.pem";
        log.lines.clear();
        QVERIFY(writeNetworkConfig(d.link.get(), c, log.fn(), [&](const QStringList& p) { uploaded = p; }));
        QCOMPARE(d.setIds(), (QList<int>{4, 8, 5, 9, 10, 3, 11}));
        QCOMPARE(d.sent(8), b({1}));
        QCOMPARE(d.sent(9), QByteArray("eap-user"));
        QCOMPARE(d.sent(10), QByteArray("secret99"));
        QCOMPARE(uploaded, (QStringList{"/tmp/x/dev.key", "/tmp/x/ca.pem"}));
        QCOMPARE(log.lines, (QStringList{"Updating parameters...", "Writing was done"}));

        // Only the certificate named: only it goes up.
        c.keyPath.clear();
        QVERIFY(writeNetworkConfig(d.link.get(), c, log.fn(), [&](const QStringList& p) { uploaded = p; }));
        QCOMPARE(uploaded, QStringList{"/tmp/x/ca.pem"});
    }

    void writeEnterpriseWithoutFiles()
    {
        ParamDevice d;
        bool called = false;
        Log log;
        QVERIFY(writeNetworkConfig(d.link.get(), wifiConfig(Security::Wpa2Enterprise), log.fn(),
                                   [&](const QStringList&) { called = true; }));
        QVERIFY(!called);
        QCOMPARE(log.lines, (QStringList{"Updating parameters...", "No parameters to update found",
                                          "Writing was done"}));
        QCOMPARE(d.setIds(), (QList<int>{4, 8, 5, 9, 10, 3, 11}));
    }

    void writeWifiOffSendsNothingAboutSecurity()
    {
        ParamDevice d;
        NetworkConfig c = wifiConfig(Security::Wpa2Enterprise);
        c.wifiEnabled = false;
        c.keyPath = "/tmp/k.key";
        bool called = false;
        Log log;
        QVERIFY(writeNetworkConfig(d.link.get(), c, log.fn(), [&](const QStringList&) { called = true; }));
        QCOMPARE(d.setIds(), (QList<int>{4, 3, 11}));
        QCOMPARE(d.sent(4), b({0}));
        QVERIFY(!called);

        d.device.clearRequests();
        c.proxyEnabled = true;
        c.proxyUrl = "p";
        c.proxyPort = "70000";
        QVERIFY(writeNetworkConfig(d.link.get(), c, log.fn(), nullptr));
        QCOMPARE(d.setIds(), (QList<int>{4, 3, 12, 13, 14, 15, 11}));
        QCOMPARE(d.sent(13), b({0x70, 0x11}));
        QCOMPARE(d.sent(14), QByteArray());  // empty texts go out as empty values
        QCOMPARE(d.sent(11), b({1}));

        d.device.clearRequests();
        c.proxyPort = "abc";
        QVERIFY(writeNetworkConfig(d.link.get(), c, log.fn(), nullptr));
        QCOMPARE(d.sent(13), b({0, 0}));
    }

    void writeUtf8Text()
    {
        ParamDevice d;
        NetworkConfig c = wifiConfig(Security::Open);
        c.ssid = QStringLiteral("Caf\u00e9");
        Log log;
        QVERIFY(writeNetworkConfig(d.link.get(), c, log.fn(), nullptr));
        QCOMPARE(d.sent(5), QByteArray("Caf\xc3\xa9"));
    }

    void writeFailureStopsAndKeepsEarlierWrites()
    {
        ParamDevice d;
        d.silentSet.insert(5);
        Log log;
        QVERIFY(!writeNetworkConfig(d.link.get(), wifiConfig(Security::Wpa), log.fn(), nullptr));
        QCOMPARE(d.setIds(), (QList<int>{4, 8, 5}));
        QCOMPARE(log.lines, (QStringList{"Updating parameters...", "Error while setting WiFi APN"}));
        QCOMPARE(d.params[4], b({1}));
    }

    void writeRefusesValueTooLongForTheLink()
    {
        ParamDevice d;
        NetworkConfig c = wifiConfig(Security::Wpa);
        c.password = QString(cUSB_CDC_Protocol::kMaxParamValue + 1, QLatin1Char('p'));
        Log log;
        QVERIFY(!writeNetworkConfig(d.link.get(), c, log.fn(), nullptr));
        QCOMPARE(d.setIds(), (QList<int>{4, 8, 5}));  // the password never went out cut
        QCOMPARE(log.lines.last(), QStringLiteral("Error while setting WiFi password"));

        c.password = QString(cUSB_CDC_Protocol::kMaxParamValue, QLatin1Char('p'));
        QVERIFY(writeNetworkConfig(d.link.get(), c, log.fn(), nullptr));
        QCOMPARE(d.sent(7).size(), cUSB_CDC_Protocol::kMaxParamValue);
    }
};

QTEST_GUILESS_MAIN(ConfigFlowsTest)
#include "tst_config_flows.moc"
