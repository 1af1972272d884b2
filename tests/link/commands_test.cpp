// Each command's request payload and reply handling over a scripted port, with the edge
// cases of the command set and the refusals of short replies and over-long inputs.
#include "LinkTestSupport.h"

#include <QtTest>

#include <cstring>

using namespace orvane;
using namespace orvane::test;

namespace {

Bytes payloadOf(const Bytes& request) { return Bytes(request.begin() + 3, request.end()); }

Bytes nameField(const QByteArray& name, int width) {
    Bytes out(name.begin(), name.end());
    out.resize(size_t(width), 0);
    return out;
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void versionQueries();
    void macAddresses();
    void identifierAndMode();
    void updateAndExitIgnoreTheReply();
    void parameters();
    void uploadCommands();
    void deviceNamesThatDoNotFitAreRefused();
    void listing();
    void startFileRead();
    void readFileAttempts();
    void flashReads();
    void formatAcceptsAnyReply();
};

void CommandsTest::versionQueries() {
    FakeLink f;
    QString text = "old";
    f.replyWith({'1', '.', '2', 0, 'x'});
    QVERIFY(!f.link->SendHello(text));
    QCOMPARE(text, QString("1.2"));
    QVERIFY(f.link->versionKnown);
    QCOMPARE(f.lastRequest(), (Bytes{1, 0, cmd::Hello}));

    f.replyWith({0, 'z'});  // empty text: success, but the version is unknown
    QVERIFY(!f.link->SendGetFWVersion(text));
    QCOMPARE(text, QString("1.2"));
    QVERIFY(!f.link->versionKnown);
    QCOMPARE(f.lastRequest()[2], uint8_t(cmd::GetFWVersion));

    f.replyWith({0xC3, 0xA9, 'B', 'o', 'o', 't', 'l', 'o', 'a', 'd', 'e', 'r'});  // no zero
    QVERIFY(!f.link->SendGetFWVersion(text));
    QCOMPARE(text, QString::fromUtf8("\xC3\xA9" "Bootloader"));

    f.replyWith({});  // nothing after the header counts as an empty text
    QVERIFY(!f.link->SendHello(text));
    QVERIFY(!f.link->versionKnown);

    f.link->versionKnown = true;
    f.port->onWrite = nullptr;
    QVERIFY(f.link->SendHello(text));
    QVERIFY(f.link->versionKnown);  // a failed query leaves it
}

void CommandsTest::macAddresses() {
    FakeLink f;
    uint8_t wifi[6], eth[6];
    f.replyWith({1, 2, 3, 4, 5, 6, 0xA, 0xB, 0xC, 0xD, 0xE, 0xF});
    QVERIFY(!f.link->SendGetMAC(wifi, eth));
    QCOMPARE(Bytes(wifi, wifi + 6), (Bytes{1, 2, 3, 4, 5, 6}));
    QCOMPARE(Bytes(eth, eth + 6), (Bytes{0xA, 0xB, 0xC, 0xD, 0xE, 0xF}));

    f.replyWith({0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    QVERIFY(!f.link->SendGetMAC(wifi, eth));
    QCOMPARE(Bytes(wifi, wifi + 6), Bytes(6, 0));
    QCOMPARE(Bytes(eth, eth + 6), Bytes(6, 0));

    std::memset(wifi, 0x55, 6);
    std::memset(eth, 0x55, 6);
    f.replyWith({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});  // one byte short
    QVERIFY(f.link->SendGetMAC(wifi, eth));
    QCOMPARE(Bytes(wifi, wifi + 6), Bytes(6, 0x55));
    QCOMPARE(Bytes(eth, eth + 6), Bytes(6, 0x55));
}

void CommandsTest::identifierAndMode() {
    FakeLink f;
    quint64 id = 42;
    f.replyWith({1, 0, 0, 0, 0, 0, 0, 0});
    QVERIFY(!f.link->SendGetID(id));
    QCOMPARE(id, quint64(1));
    f.replyWith({1, 0, 0, 0, 0, 0, 0});
    QVERIFY(f.link->SendGetID(id));
    QCOMPARE(id, quint64(1));

    id = 0x1122334455667788ULL;
    f.replyWith({8, 7, 6, 5, 4, 3, 2, 1});
    QVERIFY(!f.link->SendSetID(id));
    QCOMPARE(payloadOf(f.lastRequest()), (Bytes{0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}));
    QCOMPARE(id, quint64(0x0102030405060708ULL));
    f.replyWith({1, 2, 3});
    QVERIFY(f.link->SendSetID(id));
    QCOMPARE(id, quint64(0x0102030405060708ULL));

    quint32 mode = 7;
    f.replyWith({0, 0, 0, 0});
    QVERIFY(f.link->SendGetMode(mode));
    QCOMPARE(mode, quint32(7));
    f.replyWith({3, 0, 0, 0});
    QVERIFY(!f.link->SendGetMode(mode));
    QCOMPARE(mode, quint32(3));
    f.replyWith({5, 0, 0});
    QVERIFY(f.link->SendGetMode(mode));
    QCOMPARE(mode, quint32(3));
}

void CommandsTest::updateAndExitIgnoreTheReply() {
    FakeLink f;
    f.replyWith({0xFF});
    QVERIFY(!f.link->SendStartUpdate());
    QCOMPARE(f.lastRequest(), (Bytes{1, 0, cmd::StartUpdate}));
    f.replyWith({});
    QVERIFY(!f.link->SendExit());
    QCOMPARE(f.lastRequest(), (Bytes{1, 0, cmd::Exit}));
}

void CommandsTest::parameters() {
    FakeLink f;
    QByteArray value = "stale";
    f.replyWith({});
    QVERIFY(!f.link->SendGetParam(7, value));
    QVERIFY(value.isEmpty());
    f.replyWith({'n', 'e', 't', 0});
    QVERIFY(!f.link->SendGetParam(5, value));
    QCOMPARE(value, QByteArray("net\0", 4));
    QCOMPARE(payloadOf(f.lastRequest()), (Bytes{5, 0}));

    f.replyWith({1});  // a refusing status does not make the write fail
    QVERIFY(!f.link->SendSetParam(13, QByteArray("\x50\x1F", 2)));
    QCOMPARE(payloadOf(f.lastRequest()), (Bytes{13, 0, 0x50, 0x1F}));

    QVERIFY(!f.link->SendSetParam(12, QByteArray(510, 'u')));
    const size_t sent = f.port->writes().size();
    TraceCatcher traces;
    QVERIFY(f.link->SendSetParam(12, QByteArray(511, 'u')));
    QCOMPARE(f.port->writes().size(), sent);
    QCOMPARE(traces.lines().size(), 1);
}

void CommandsTest::uploadCommands() {
    FakeLink f;
    TraceCatcher traces;
    f.replyWith({0});
    QVERIFY(!f.link->SendStartESP("Updates/ESP_Update_c.bin", 0));
    Bytes expected{0, 0, 0, 0};
    const Bytes name = nameField("Updates/ESP_Update_c.bin", 32);
    expected.insert(expected.end(), name.begin(), name.end());
    QCOMPARE(payloadOf(f.lastRequest()), expected);
    QCOMPARE(f.lastRequest()[2], uint8_t(cmd::StartESP));

    const Bytes data{9, 8, 7};
    QVERIFY(!f.link->SendWriteESP(0x200, data.data(), 3));
    QCOMPARE(payloadOf(f.lastRequest()), (Bytes{0, 2, 0, 0, 3, 0, 0, 0, 9, 8, 7}));
    QVERIFY(!f.link->SendEndESP());
    QVERIFY(!f.link->SendDeleteESP("Updates/dnloads.cfg"));
    QCOMPARE(payloadOf(f.lastRequest()), nameField("Updates/dnloads.cfg", 32));
    QVERIFY(traces.lines().isEmpty());

    f.replyWith({4});
    QVERIFY(f.link->SendStartESP("a", 1));
    QVERIFY(f.link->SendWriteESP(0, data.data(), 3));
    QVERIFY(f.link->SendDeleteESP("a"));
    QVERIFY(f.link->SendEndESP());
    QVERIFY(f.link->SendEndFileRead());
    QCOMPARE(traces.lines(), (QStringList{"CDC Error: SendStartESP result NOK,  4",
                                          "CDC Error: SendWriteESP result NOK,  4",
                                          "CDC Error: SendDeleteESP result NOK,  4"}));
    f.replyWith({});  // no status byte at all is no success either
    QVERIFY(f.link->SendEndESP());

    const Bytes big(513, 1);
    const size_t sent = f.port->writes().size();
    QVERIFY(f.link->SendWriteESP(0, big.data(), 513));
    QCOMPARE(f.port->writes().size(), sent);

    f.port->onWrite = nullptr;  // silence: the time-out traces
    TraceCatcher silent;
    QVERIFY(f.link->SendEndESP());
    QCOMPARE(silent.lines().last(), QString("Timeout occurrued"));
}

void CommandsTest::deviceNamesThatDoNotFitAreRefused() {
    FakeLink f;
    f.replyWith({0, 0, 0, 0});
    const QString exact32 = QString(16, QChar(0xE9));  // 16 two-byte characters
    QVERIFY(!f.link->SendStartESP(exact32, 1));
    QCOMPARE(payloadOf(f.lastRequest()).size(), size_t(36));
    QCOMPARE(payloadOf(f.lastRequest()).back(), uint8_t(0xA9));  // no terminating zero
    quint32 size = 0;
    QVERIFY(!f.link->SendStartFileRead(0, QString(24, 'n'), size));
    QCOMPARE(payloadOf(f.lastRequest()), nameField(QByteArray(2, 0) + QByteArray(24, 'n'), 26));

    const size_t sent = f.port->writes().size();
    TraceCatcher traces;
    QVERIFY(f.link->SendStartESP(exact32 + "x", 1));
    QVERIFY(f.link->SendDeleteESP(QString(33, 'd')));
    QVERIFY(f.link->SendStartFileRead(0, QString(23, 'n') + QChar(0xE9), size));
    QCOMPARE(f.port->writes().size(), sent);
    QCOMPARE(traces.lines().size(), 3);
}

void CommandsTest::listing() {
    FakeLink f;
    uint8_t record[200];
    std::memset(record, 0x77, sizeof record);
    f.replyWith(Bytes(199, 1));
    QVERIFY(f.link->SendGetDiskInfo(record));
    QCOMPARE(Bytes(record, record + 200), Bytes(200, 0x77));
    f.replyWith(Bytes(201, 1));
    QVERIFY(f.link->SendGetDiskInfo(record));
    Bytes info(200);
    for (size_t i = 0; i < info.size(); ++i) info[i] = uint8_t(i);
    f.replyWith(info);
    QVERIFY(!f.link->SendGetDiskInfo(record));
    QCOMPARE(Bytes(record, record + 200), info);

    uint8_t desc[24];
    std::memset(desc, 0x33, sizeof desc);
    Bytes d(32, 0xFF);
    f.replyWith(d);
    QVERIFY(!f.link->SendGetFileDesc(2, 0x0103, desc));  // an empty slot is no error
    QCOMPARE(payloadOf(f.lastRequest()), (Bytes{2, 0, 3, 1}));
    QCOMPARE(Bytes(desc, desc + 24), Bytes(24, 0xFF));
    for (size_t i = 0; i < d.size(); ++i) d[i] = uint8_t('a' + i);
    f.replyWith(d);
    QVERIFY(!f.link->SendGetFileDesc(0, 0, desc));
    QCOMPARE(Bytes(desc, desc + 24), Bytes(d.begin(), d.begin() + 24));
    f.replyWith(Bytes(31, 0));
    QVERIFY(f.link->SendGetFileDesc(0, 0, desc));
    QCOMPARE(Bytes(desc, desc + 24), Bytes(d.begin(), d.begin() + 24));
}

void CommandsTest::startFileRead() {
    FakeLink f;
    quint32 size = 99;
    f.replyWith({0, 0, 0, 0});
    QVERIFY(!f.link->SendStartFileRead(3, "song.mp3", size));
    QCOMPARE(size, quint32(0));
    Bytes expected{3, 0};
    const Bytes name = nameField("song.mp3", 24);
    expected.insert(expected.end(), name.begin(), name.end());
    QCOMPARE(payloadOf(f.lastRequest()), expected);

    f.replyWith({0x10, 0x27, 0, 0});
    QVERIFY(!f.link->SendStartFileRead(3, "song.mp3", size));
    QCOMPARE(size, quint32(10000));

    TraceCatcher traces;
    f.replyWith({0xFF, 0xFF, 0xFF, 0xFF});
    QVERIFY(f.link->SendStartFileRead(3, "gone", size));
    QCOMPARE(size, quint32(0));
    QCOMPARE(traces.lines(), QStringList{"CDC Error: SendStartFileRead: file doesn't exist"});
    f.replyWith({5, 0, 0});
    QVERIFY(f.link->SendStartFileRead(3, "short", size));
    QCOMPARE(size, quint32(0));
}

void CommandsTest::readFileAttempts() {
    FakeLink f;
    TraceCatcher traces;
    uint8_t dest[256];
    std::memset(dest, 0x5A, sizeof dest);
    QString error;
    f.replyWith(Bytes(255, 1));
    QVERIFY(f.link->SendReadFile(0x100, dest, 256, error));
    QCOMPARE(f.port->writes().size(), size_t(3));
    QCOMPARE(error, QString("Incorrect size. Expected: 256, real: 255"));
    QCOMPARE(Bytes(dest, dest + 256), Bytes(256, 0x5A));
    QCOMPARE(payloadOf(f.lastRequest()), (Bytes{0, 1, 0, 0, 0, 1, 0, 0}));

    // No reply, then a short one, then the right one: the third attempt succeeds.
    int attempt = 0;
    f.port->onWrite = [&attempt](FakeSerialPort& p, const Bytes&) {
        ++attempt;
        if (attempt == 2) p.feed(wireReply(cmd::ReadFile, Bytes(10, 2)));
        if (attempt == 3) p.feed(wireReply(cmd::ReadFile, Bytes(16, 3)));
    };
    error.clear();
    QVERIFY(!f.link->SendReadFile(0, dest, 16, error));
    QCOMPARE(attempt, 3);
    QCOMPARE(Bytes(dest, dest + 16), Bytes(16, 3));
    QCOMPARE(error, QString("Incorrect size. Expected: 16, real: 10"));  // left from attempt 2
    QVERIFY(traces.lines().contains("CDC Error: SendReadFile timeout"));

    f.port->onWrite = [](FakeSerialPort& p, const Bytes&) { p.hangUp(); };
    QVERIFY(f.link->SendReadFile(0, dest, 16, error));
    QCOMPARE(error, QString("Reading data timeout"));
}

void CommandsTest::flashReads() {
    FakeLink f;
    uint8_t dest[256];
    std::memset(dest, 0x5A, sizeof dest);
    quint16 count = 256;
    f.replyWith({0, 0});
    QVERIFY(!f.link->SendGetFlash(0x7FFF00, dest, count));
    QCOMPARE(count, quint16(0));
    QCOMPARE(payloadOf(f.lastRequest()), (Bytes{0x00, 0xFF, 0x7F, 0x00, 0x00, 0x01}));

    Bytes reply{4, 0, 0xC0, 0xDB, 0, 1};
    f.replyWith(reply);
    count = 256;
    QVERIFY(!f.link->SendGetFlash(0, dest, count));
    QCOMPARE(count, quint16(4));
    QCOMPARE(Bytes(dest, dest + 5), (Bytes{0xC0, 0xDB, 0, 1, 0x5A}));

    std::memset(dest, 0x5A, sizeof dest);
    count = 2;  // more than asked for would overrun the caller's buffer
    QVERIFY(f.link->SendGetFlash(0, dest, count));
    QCOMPARE(count, quint16(2));
    f.replyWith({8, 0, 1, 2, 3});  // says 8, brings 3
    count = 256;
    QVERIFY(f.link->SendGetFlash(0, dest, count));
    f.replyWith({1});
    QVERIFY(f.link->SendGetFlash(0, dest, count));
    QCOMPARE(count, quint16(256));
    QCOMPARE(Bytes(dest, dest + 256), Bytes(256, 0x5A));
}

void CommandsTest::formatAcceptsAnyReply() {
    FakeLink f;
    f.replyWith({0xEE, 1, 2});
    QVERIFY(!f.link->SendFormat());
    QCOMPARE(f.lastRequest(), (Bytes{1, 0, cmd::Format}));
}

QTEST_GUILESS_MAIN(CommandsTest)
#include "commands_test.moc"
