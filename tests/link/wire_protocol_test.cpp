// The protocol written out byte by byte, independent of the shared command-code header: one
// request per command as it must appear on the wire, and the parameter writes of the network
// configuration. The host's link must send exactly these bytes, and the simulated device must
// take them for the same command (so a wrong or swapped code cannot hide behind the header
// both sides share).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "FakeSerialPort.h"
#include "LinkTestSupport.h"
#include "device/config/ConfigFlows.h"
#include "link/cUSB_CDC_Protocol.h"
#include "sim/CommandHandler.h"
#include "sim/DeviceModel.h"

using namespace std::string_literals;

namespace {

using orvane::test::Bytes;
using Result = orvane::sim::CommandHandler::Result;

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A name in a zero-padded field of `width` bytes.
Bytes field(const std::string& name, size_t width)
{
    Bytes out(width, 0);
    std::copy(name.begin(), name.end(), out.begin());
    return out;
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

struct WireRow {
    const char* command;
    Bytes wire;                                        // the request as it goes out, END included
    std::function<void(cUSB_CDC_Protocol&)> send;      // the link's operation that sends it
    std::function<void(const Result&, const orvane::sim::DeviceModel&)> deviceDoes;
};

// In this order the rows are also one session with a factory-fresh simulated device.
std::vector<WireRow> wireRows()
{
    const Bytes end{0xC0};
    return {
        {"Hello (1)", {0x01, 0x00, 0x01, 0xC0},
         [](cUSB_CDC_Protocol& l) { QString v; l.SendHello(v); },
         [](const Result& r, auto&) { EXPECT_EQ(Bytes(r.payload.begin(), r.payload.begin() + 12), text("Orvane 2.4.1")); }},
        {"GetMAC (10)", {0x01, 0x00, 0x0A, 0xC0},
         [](cUSB_CDC_Protocol& l) { uint8_t w[6], e[6]; l.SendGetMAC(w, e); },
         [](const Result& r, auto&) {
             EXPECT_EQ(r.payload, (Bytes{0x24, 0x6F, 0x28, 0x1A, 0x3C, 0x51, 0x24, 0x6F, 0x28, 0x1A, 0x3C, 0x52}));
         }},
        {"GetID (11)", {0x01, 0x00, 0x0B, 0xC0},
         [](cUSB_CDC_Protocol& l) { quint64 id; l.SendGetID(id); },
         [](const Result& r, auto&) { EXPECT_EQ(r.payload, (Bytes{0x11, 0xCA, 0x9A, 0x3B, 0, 0, 0, 0})); }},  // 1000000017
        {"GetFWVersion (12)", {0x01, 0x00, 0x0C, 0xC0},
         [](cUSB_CDC_Protocol& l) { QString v; l.SendGetFWVersion(v); },
         [](const Result& r, auto&) { EXPECT_EQ(Bytes(r.payload.begin(), r.payload.begin() + 12), text("Orvane 2.4.1")); }},
        {"GetMode (13)", {0x01, 0x00, 0x0D, 0xC0},
         [](cUSB_CDC_Protocol& l) { quint32 m; l.SendGetMode(m); },
         [](const Result& r, auto&) { EXPECT_EQ(r.payload, (Bytes{0x01, 0, 0, 0})); }},
        {"GetParam (14) of the SSID", {0x03, 0x00, 0x0E, 0x05, 0x00, 0xC0},
         [](cUSB_CDC_Protocol& l) { QByteArray v; l.SendGetParam(5, v); },
         [](const Result& r, auto&) { EXPECT_EQ(r.payload, text("Orvane-Office")); }},
        {"SetParam (15) of the SSID", {0x05, 0x00, 0x0F, 0x05, 0x00, 0x61, 0x62, 0xC0},
         [](cUSB_CDC_Protocol& l) { l.SendSetParam(5, QByteArrayLiteral("ab")); },
         [](const Result&, const orvane::sim::DeviceModel& m) { EXPECT_EQ(m.param(5), text("ab")); }},
        {"SetID (6)", {0x09, 0x00, 0x06, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01, 0xC0},
         [](cUSB_CDC_Protocol& l) { quint64 id = 0x0102030405060708ull; l.SendSetID(id); },
         [](const Result& r, const orvane::sim::DeviceModel& m) {
             EXPECT_EQ(r.payload, (Bytes{0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}));
             EXPECT_EQ(m.identifier, 0x0102030405060708ull);
         }},
        {"StartESP (2)", cat({{0x25, 0x00, 0x02, 0x01, 0x00, 0x00, 0x00}, field("Audio/t.mp3", 32), end}),
         [](cUSB_CDC_Protocol& l) { l.SendStartESP(QStringLiteral("Audio/t.mp3"), 1); },
         [](const Result& r, auto&) { EXPECT_EQ(r.payload, Bytes{0x00}); }},
        {"WriteESP (3)", {0x0A, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xDB, 0xDD, 0xC0},
         [](cUSB_CDC_Protocol& l) { const uint8_t b = 0xDB; l.SendWriteESP(0, &b, 1); },
         [](const Result& r, auto&) { EXPECT_EQ(r.payload, Bytes{0x00}); }},
        {"EndESP (4)", {0x01, 0x00, 0x04, 0xC0},
         [](cUSB_CDC_Protocol& l) { l.SendEndESP(); },
         [](const Result& r, const orvane::sim::DeviceModel& m) {
             EXPECT_EQ(r.payload, Bytes{0x00});
             ASSERT_NE(m.fs.find("Audio/t.mp3"), nullptr);
         }},
        {"GetDiskInfo (16)", {0x01, 0x00, 0x10, 0xC0},
         [](cUSB_CDC_Protocol& l) { uint8_t rec[200]; l.SendGetDiskInfo(rec); },
         [](const Result& r, auto&) {
             ASSERT_EQ(r.payload.size(), 200u);
             EXPECT_EQ(r.payload[4], 4);  // directories: "/", "Updates", "Audio", "Logs"
             EXPECT_EQ(r.payload[5], 0);
             EXPECT_EQ(Bytes(r.payload.begin() + 14 + 24, r.payload.begin() + 14 + 24 + 8), text("Updates\0"s));
         }},
        {"GetFileDesc (17), directory 0, file 1", {0x05, 0x00, 0x11, 0x00, 0x00, 0x01, 0x00, 0xC0},
         [](cUSB_CDC_Protocol& l) { uint8_t d[24]; l.SendGetFileDesc(0, 1, d); },
         [](const Result& r, auto&) {
             ASSERT_EQ(r.payload.size(), 32u);
             EXPECT_EQ(Bytes(r.payload.begin(), r.payload.begin() + 12), text("config.json\0"s));
         }},
        {"StartFileRead (18)", cat({{0x1B, 0x00, 0x12, 0x00, 0x00}, field("config.json", 24), end}),
         [](cUSB_CDC_Protocol& l) { quint32 size; l.SendStartFileRead(0, QStringLiteral("config.json"), size); },
         [](const Result& r, const orvane::sim::DeviceModel& m) {
             ASSERT_EQ(r.payload.size(), 4u);
             EXPECT_EQ(r.payload[0] | r.payload[1] << 8 | r.payload[2] << 16, int(m.fs.find("config.json")->data.size()));
             EXPECT_EQ(r.payload[3], 0);
         }},
        {"ReadFile (19)", {0x09, 0x00, 0x13, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0xC0},
         [](cUSB_CDC_Protocol& l) { uint8_t d[4]; QString e; l.SendReadFile(0, d, 4, e); },
         [](const Result& r, const orvane::sim::DeviceModel& m) {
             const auto& data = m.fs.find("config.json")->data;
             EXPECT_EQ(r.payload, Bytes(data.begin(), data.begin() + 4));
         }},
        {"EndFileRead (20)", {0x01, 0x00, 0x14, 0xC0},
         [](cUSB_CDC_Protocol& l) { l.SendEndFileRead(); },
         [](const Result& r, auto&) { EXPECT_EQ(r.payload, Bytes{0x00}); }},
        {"GetFlash (21)", {0x07, 0x00, 0x15, 0x10, 0x00, 0x00, 0x00, 0x08, 0x00, 0xC0},
         [](cUSB_CDC_Protocol& l) { uint8_t d[8]; quint16 n = 8; l.SendGetFlash(0x10, d, n); },
         [](const Result& r, const orvane::sim::DeviceModel& m) {
             EXPECT_EQ(r.payload, cat({{0x08, 0x00}, Bytes(m.flash.begin() + 0x10, m.flash.begin() + 0x18)}));
         }},
        {"DeleteESP (5)", cat({{0x21, 0x00, 0x05}, field("Audio/t.mp3", 32), end}),
         [](cUSB_CDC_Protocol& l) { l.SendDeleteESP(QStringLiteral("Audio/t.mp3")); },
         [](const Result& r, const orvane::sim::DeviceModel& m) {
             EXPECT_EQ(r.payload, Bytes{0x00});
             EXPECT_EQ(m.fs.find("Audio/t.mp3"), nullptr);
         }},
        {"Format (126)", {0x01, 0x00, 0x7E, 0xC0},
         [](cUSB_CDC_Protocol& l) { l.SendFormat(); },
         [](const Result&, const orvane::sim::DeviceModel& m) { EXPECT_EQ(m.fs.find("config.json"), nullptr); }},
        {"Exit (9)", {0x01, 0x00, 0x09, 0xC0},
         [](cUSB_CDC_Protocol& l) { l.SendExit(); },
         [](const Result& r, auto&) { EXPECT_NE(r.action, orvane::sim::CommandHandler::Action::Restart); }},
        {"StartUpdate (8)", {0x01, 0x00, 0x08, 0xC0},
         [](cUSB_CDC_Protocol& l) { l.SendStartUpdate(); },
         [](const Result& r, auto&) { EXPECT_EQ(r.action, orvane::sim::CommandHandler::Action::Restart); }},
    };
}

TEST(WireProtocol, EachRequestOnTheWireAndWhatTheDeviceDoesWithIt)
{
    orvane::sim::DeviceModel model;
    orvane::sim::CommandHandler device(model);
    for (const WireRow& row : wireRows()) {
        SCOPED_TRACE(row.command);

        orvane::test::FakeLink host;
        host.replyWith({0x00});
        row.send(*host.link);
        const auto writes = host.port->writes();
        ASSERT_FALSE(writes.empty());
        EXPECT_EQ(writes.front(), row.wire);

        Bytes packet;
        ASSERT_EQ(orvane::frame::unstuff(row.wire.data(), row.wire.size() - 1, packet),
                  orvane::frame::DecodeResult::Ok);
        ASSERT_EQ(size_t(packet[0] | packet[1] << 8), packet.size() - 2);
        const Result reply = device.handle(packet[2], Bytes(packet.begin() + 3, packet.end()), false);
        EXPECT_TRUE(reply.reply);
        row.deviceDoes(reply, model);
    }
}

// The parameter ids and encodings as the configuration write sends them: every id the
// host uses, in the order it writes them, as the request payloads (id, then value).
TEST(WireProtocol, ConfigurationWritesEveryParameterUnderItsId)
{
    struct Case {
        const char* name;
        orvane::config::NetworkConfig config;
        std::vector<Bytes> payloads;
    };
    orvane::config::NetworkConfig wpa;
    wpa.wifiEnabled = true;
    wpa.security = orvane::config::Security::Wpa;
    wpa.ssid = QStringLiteral("ab");
    wpa.password = QStringLiteral("pw");
    wpa.proxyEnabled = true;
    wpa.proxyUrl = QStringLiteral("u");
    wpa.proxyPort = QStringLiteral("8080");
    wpa.proxyUserName = QStringLiteral("x");
    wpa.proxyPassword = QStringLiteral("y");
    orvane::config::NetworkConfig eap;
    eap.wifiEnabled = true;
    eap.ethernetEnabled = true;
    eap.security = orvane::config::Security::Wpa2Enterprise;
    eap.ssid = QStringLiteral("s");
    eap.userName = QStringLiteral("n");
    eap.password = QStringLiteral("p");
    orvane::config::NetworkConfig open;
    open.wifiEnabled = true;

    const std::vector<Case> cases = {
        {"WPA with a proxy", wpa,
         {{0x04, 0x00, 0x01}, {0x08, 0x00, 0x00}, {0x05, 0x00, 'a', 'b'}, {0x07, 0x00, 'p', 'w'},
          {0x03, 0x00, 0x00}, {0x0C, 0x00, 'u'}, {0x0D, 0x00, 0x90, 0x1F}, {0x0E, 0x00, 'x'},
          {0x0F, 0x00, 'y'}, {0x0B, 0x00, 0x01}}},
        {"WPA2-Enterprise", eap,
         {{0x04, 0x00, 0x01}, {0x08, 0x00, 0x01}, {0x05, 0x00, 's'}, {0x09, 0x00, 'n'}, {0x0A, 0x00, 'p'},
          {0x03, 0x00, 0x01}, {0x0B, 0x00, 0x00}}},
        {"open network", open,
         {{0x04, 0x00, 0x01}, {0x08, 0x00, 0x00}, {0x05, 0x00}, {0x07, 0x00, 0x00}, {0x03, 0x00, 0x00},
          {0x0B, 0x00, 0x00}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        orvane::test::FakeLink host;
        host.replyWith({0x00});
        ASSERT_TRUE(orvane::config::writeNetworkConfig(host.link.get(), c.config, [](const QString&) {},
                                                       [](const QStringList&) {}));
        std::vector<Bytes> sent;
        for (const Bytes& wire : host.port->writes()) {
            Bytes packet;
            orvane::frame::unstuff(wire.data(), wire.size() - 1, packet);
            EXPECT_EQ(packet[2], 0x0F);
            sent.emplace_back(packet.begin() + 3, packet.end());
        }
        EXPECT_EQ(sent, c.payloads);
    }
}

}  // namespace
