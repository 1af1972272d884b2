// The link's channel and exchange over a scripted port: request bytes, the reply reader
// frame by frame, stale and foreign replies, closed and vanished ports, and the lock.
#include "LinkTestSupport.h"

#include <QtTest>

#include <thread>

using namespace orvane;
using namespace orvane::test;

class ExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void requestBytesOnTheWire();
    void replySplitOverReadsWithPauses();
    void lateForeignReplyInTheSameWindowIsSkipped();
    void leadingEndAndGarbageBeforeTheFrame();
    void undecodableRepliesTimeOutWithTraces();
    void staleReplyIsDiscardedBeforeTheRequest();
    void bytesAfterTheAcceptedFrameAreDropped();
    void replyReturnedAsTheDeadlinePassesIsASuccess();
    void closedChannelFailsAtOnce();
    void vanishedPortFailsPromptly();
    void openAndCloseRules();
    void setParamTimeoutIsTheProgramsChoice();
    void twoThreadsNeverShareTheWire();
};

void ExchangeTest::requestBytesOnTheWire() {
    FakeLink f;
    f.replyWith({0});
    uint8_t record[200];
    f.link->SendGetDiskInfo(record);
    QByteArray value;
    f.link->SendGetParam(3, value);
    const uint8_t chunk = 0xDB;
    f.link->SendWriteESP(0xC0, &chunk, 1);
    f.link->SendSetParam(5, QByteArray("ab"));
    const auto w = f.port->writes();
    QCOMPARE(w.size(), size_t(4));
    QCOMPARE(w[0], (Bytes{0x01, 0x00, 0x10, 0xC0}));
    QCOMPARE(w[1], (Bytes{0x03, 0x00, 0x0E, 0x03, 0x00, 0xC0}));
    QCOMPARE(w[2], (Bytes{0x0A, 0x00, 0x03, 0xDB, 0xDC, 0, 0, 0, 0x01, 0, 0, 0, 0xDB, 0xDD, 0xC0}));
    QCOMPARE(w[3], (Bytes{0x05, 0x00, 0x0F, 0x05, 0x00, 0x61, 0x62, 0xC0}));
}

void ExchangeTest::replySplitOverReadsWithPauses() {
    FakeLink f;
    // Pieces 30 ms apart: longer than the quiet time that ends a reading window.
    f.port->onWrite = [](FakeSerialPort& p, const Bytes&) {
        const Bytes r = wireReply(cmd::GetID, {7, 0, 0, 0, 0, 0, 0, 1});
        p.feed(Bytes(r.begin(), r.begin() + 3));
        p.feed(Bytes(r.begin() + 3, r.begin() + 7), 30);
        p.feed(Bytes(r.begin() + 7, r.end()), 60);
    };
    quint64 id = 0;
    TraceCatcher traces;
    QVERIFY(!f.link->SendGetID(id));
    QCOMPARE(id, quint64(0x0100000000000007ULL));
    QVERIFY(traces.lines().isEmpty());  // a reply still arriving is no decoding error
}

void ExchangeTest::lateForeignReplyInTheSameWindowIsSkipped() {
    FakeLink f;
    TraceCatcher traces;
    f.port->onWrite = [](FakeSerialPort& p, const Bytes&) {
        Bytes both = wireReply(cmd::GetMode, {9, 0, 0, 0});
        const Bytes mine = wireReply(cmd::GetID, {5, 0, 0, 0, 0, 0, 0, 0});
        both.insert(both.end(), mine.begin(), mine.end());
        p.feed(both);
    };
    quint64 id = 0;
    QVERIFY(!f.link->SendGetID(id));
    QCOMPARE(id, quint64(5));
    QCOMPARE(traces.count("Unexpected header"), 1);
}

void ExchangeTest::leadingEndAndGarbageBeforeTheFrame() {
    FakeLink f;
    TraceCatcher traces;
    f.port->onWrite = [](FakeSerialPort& p, const Bytes&) {
        Bytes b{0xC0, 0x41, 0x42, 0xC0, 0x41, 0xDB, 0x41, 0xC0};  // END, short frame, bad escape
        const Bytes mine = wireReply(cmd::GetMode, {3, 0, 0, 0});
        b.insert(b.end(), mine.begin(), mine.end());
        p.feed(b);
    };
    quint32 mode = 0;
    QVERIFY(!f.link->SendGetMode(mode));
    QCOMPARE(mode, quint32(3));
    QCOMPARE(traces.lines(), QStringList{"Decoding error"});
}

void ExchangeTest::undecodableRepliesTimeOutWithTraces() {
    FakeLink f;
    TraceCatcher traces;
    f.port->onWrite = [](FakeSerialPort& p, const Bytes&) {
        p.feed({0x01, 0x00, 0x09, 0xDB, 0x41, 0xC0});  // bad escape
        p.feed({0x01, 0x00, 0x0A, 0xC0}, 20);           // someone else's reply
    };
    QVERIFY(f.link->SendExit());
    const QStringList lines = traces.lines();
    QVERIFY(lines.contains("Decoding error"));
    QCOMPARE(lines.count("Unexpected header"), 1);
    QCOMPARE(lines.last(), QString("Timeout occurrued"));
}

void ExchangeTest::staleReplyIsDiscardedBeforeTheRequest() {
    FakeLink f;
    // A reply to an earlier, timed-out request waits in the driver.
    f.port->feed(wireReply(cmd::ReadFile, Bytes(4, 0xEE)));
    f.port->onWrite = [](FakeSerialPort& p, const Bytes&) {
        p.feed(wireReply(cmd::ReadFile, Bytes(4, 0x11)), 5);
    };
    uint8_t dest[4] = {};
    QString error;
    QVERIFY(!f.link->SendReadFile(0, dest, 4, error));
    QCOMPARE(Bytes(dest, dest + 4), Bytes(4, 0x11));
    QVERIFY(f.port->discards() >= 1);
}

void ExchangeTest::bytesAfterTheAcceptedFrameAreDropped() {
    FakeLink f;
    int calls = 0;
    f.port->onWrite = [&calls](FakeSerialPort& p, const Bytes&) {
        Bytes b = wireReply(cmd::GetID, {Bytes::value_type(++calls), 0, 0, 0, 0, 0, 0, 0});
        const Bytes extra = wireReply(cmd::GetID, {0x99, 0, 0, 0, 0, 0, 0, 0});
        b.insert(b.end(), extra.begin(), extra.end());
        p.feed(b);
    };
    quint64 id = 0;
    QVERIFY(!f.link->SendGetID(id));
    QCOMPARE(id, quint64(1));
    QVERIFY(!f.link->SendGetID(id));
    QCOMPARE(id, quint64(2));
}

void ExchangeTest::replyReturnedAsTheDeadlinePassesIsASuccess() {
    FakeLink f;
    TraceCatcher traces;
    // The read that brings the reply only returns after the 100 ms time-out has passed.
    f.port->slowReadMs = 150;
    f.replyWith({0});
    QVERIFY(!f.link->SendFormat());
    QCOMPARE(traces.count("Timeout occurrued"), 0);
}

void ExchangeTest::closedChannelFailsAtOnce() {
    FakeLink f;
    f.link->ClosePort();
    TraceCatcher traces;
    QVERIFY(f.link->SendDeleteESP("Updates/a.bin"));  // a 60 s time-out if it waited
    QCOMPARE(f.port->reads(), 0);
    QVERIFY(f.port->writes().empty());
    QCOMPARE(traces.lines(), (QStringList{"Timeout occurrued", "CDC Error: SendDeleteESP timeout"}));
}

void ExchangeTest::vanishedPortFailsPromptly() {
    FakeLink f;
    f.port->onWrite = [](FakeSerialPort& p, const Bytes&) { p.hangUp(); };
    QVERIFY(!f.link->portLost());
    QVERIFY(f.link->SendDeleteESP("a"));
    QVERIFY(f.link->portLost());
    QVERIFY(f.port->reads() < 5);
    QVERIFY(f.link->opened);  // the caller decides when to close
    const int writes = int(f.port->writes().size());
    QVERIFY(f.link->SendExit());
    QCOMPARE(int(f.port->writes().size()), writes);
    f.link->ClosePort();
    QCOMPARE(f.link->OpenPort("fake0"), 0);
    QVERIFY(!f.link->portLost());
}

void ExchangeTest::openAndCloseRules() {
    FakeLink f;
    QVERIFY(f.link->opened);
    QCOMPARE(f.port->openedName(), std::string("fake0"));
    QCOMPARE(f.link->OpenPort("fake1"), 1);  // the first port stays open
    QCOMPARE(f.port->opens(), 1);
    QVERIFY(f.link->opened);
    f.link->ClosePort();
    QVERIFY(!f.link->opened);
    f.link->ClosePort();
    f.link->CloseIfOpen();
    QVERIFY(!f.link->opened);

    f.port->openResult = SerialOpenResult{false, true, "Device or resource busy", false, {}};
    QCOMPARE(f.link->OpenPort("fake0"), 1);
    QVERIFY(!f.link->opened);
    QCOMPARE(f.link->lastOpenError(), QString("Device or resource busy"));
    QVERIFY(f.link->lastOpenWasBusy());
    f.port->openResult = SerialOpenResult{true, false, "", false, {}};
    QCOMPARE(f.link->OpenPort("fake0"), 0);
    QVERIFY(f.link->lastOpenError().isEmpty());
    QVERIFY(!f.link->lastOpenWasBusy());
}

void ExchangeTest::setParamTimeoutIsTheProgramsChoice() {
    // A reply 500 ms late: inside the admin tool's 1000 ms, outside the writer's 200 ms.
    FakeLink admin;
    admin.replyWith({0}, 500);
    QVERIFY(!admin.link->SendSetParam(5, "x"));
    FakeLink writer(cUSB_CDC_Protocol::kSetParamTimeoutSnWriter);
    writer.replyWith({0}, 500);
    QVERIFY(writer.link->SendSetParam(5, "x"));
}

void ExchangeTest::twoThreadsNeverShareTheWire() {
    FakeLink f;
    // The value read back names the parameter asked for; replies trail by a few ms so an
    // unlocked link would let the other thread's request in between.
    f.port->onWrite = [](FakeSerialPort& p, const Bytes& wire) {
        Bytes req;
        frame::unstuff(wire.data(), wire.size() - 1, req);
        p.feed(wireReply(cmd::GetParam, {req[3], req[4]}), 2);
    };
    std::atomic<int> wrong{0}, failed{0};
    auto hammer = [&](quint16 base) {
        for (quint16 i = 0; i < 40; ++i) {
            QByteArray v;
            const quint16 id = quint16(base + i);
            if (f.link->SendGetParam(id, v)) {
                ++failed;
            } else if (v.size() != 2 || quint16(uchar(v[0]) | (uchar(v[1]) << 8)) != id) {
                ++wrong;
            }
        }
    };
    std::thread a(hammer, 100), b(hammer, 1000);
    a.join();
    b.join();
    QCOMPARE(wrong.load(), 0);
    QCOMPARE(failed.load(), 0);
    QVERIFY(!f.port->overlapped());
}

QTEST_GUILESS_MAIN(ExchangeTest)
#include "exchange_test.moc"
