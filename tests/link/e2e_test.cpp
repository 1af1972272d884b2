// The link against the simulated device over a real pseudo-terminal: every command, the
// device's faults, two threads sharing the link, opening and closing, and a port that goes.
#include "LinkTestSupport.h"
#include "SimHarness.h"
#include "sim/Simulator.h"

#include <QtTest>

#include <thread>

using namespace orvane;
using namespace orvane::test;

namespace {

struct Device {
    explicit Device(sim::SimOptions o = {}) : sim(std::move(o)) {
        sim.start();
        link.OpenPort(QString::fromStdString(sim.portPath()));
    }
    SimHarness sim;
    cUSB_CDC_Protocol link;
};

QByteArray qbytes(const std::vector<uint8_t>& v) {
    return QByteArray(reinterpret_cast<const char*>(v.data()), int(v.size()));
}

// Index of a directory in the device's disk-information record, -1 when absent.
int directoryIndex(const uint8_t* record, const char* name) {
    const int count = frame::getLe16(record + 4);
    for (int i = 0; i < count && 14 + 24 * i < 200; ++i) {
        if (qstrncmp(reinterpret_cast<const char*>(record + 14 + 24 * i), name, 24) == 0) return i;
    }
    return -1;
}

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void identityAndParameters();
    void uploadListReadDelete();
    void flashAndFormat();
    void repliesInPiecesOrAfterAnEnd();
    void lateReplyIsNotTakenForTheNextOne();
    void twoThreadsHammeringTheLink();
    void openTwiceCloseTwice();
    void portUnpluggedBetweenExchanges();
    void portVanishesMidExchange();
    void deviceRestartsAfterStartUpdate();
};

void EndToEndTest::identityAndParameters() {
    Device d;
    QVERIFY(d.link.opened);
    QString version;
    QVERIFY(!d.link.SendHello(version));
    QCOMPARE(version.toStdString(), d.sim.firmwareVersion());
    QVERIFY(d.link.versionKnown);
    version.clear();
    QVERIFY(!d.link.SendGetFWVersion(version));
    QCOMPARE(version.toStdString(), d.sim.firmwareVersion());

    uint8_t wifi[6], eth[6];
    QVERIFY(!d.link.SendGetMAC(wifi, eth));
    d.sim.simulator().inspect([&](const sim::DeviceModel& m) {
        QCOMPARE(Bytes(wifi, wifi + 6), Bytes(m.wifiMac.begin(), m.wifiMac.end()));
        QCOMPARE(Bytes(eth, eth + 6), Bytes(m.ethMac.begin(), m.ethMac.end()));
    });

    quint64 id = 0;
    QVERIFY(!d.link.SendGetID(id));
    QCOMPARE(id, d.sim.identifier());
    id = 0xFEDCBA9876543210ULL;
    QVERIFY(!d.link.SendSetID(id));
    QCOMPARE(d.sim.identifier(), 0xFEDCBA9876543210ULL);
    QCOMPARE(id, 0xFEDCBA9876543210ULL);
    quint32 mode = 0;
    QVERIFY(!d.link.SendGetMode(mode));
    QCOMPARE(mode, quint32(1));

    QByteArray value;
    QVERIFY(!d.link.SendGetParam(5, value));
    QCOMPARE(value, qbytes(d.sim.param(5)));
    QVERIFY(!d.link.SendSetParam(5, QByteArray("Lab \xC0\xDB net")));
    QCOMPARE(qbytes(d.sim.param(5)), QByteArray("Lab \xC0\xDB net"));
    QVERIFY(!d.link.SendSetParam(13, QByteArray("\x90\x1F", 2)));
    QVERIFY(!d.link.SendGetParam(13, value));
    QCOMPARE(value, QByteArray("\x90\x1F", 2));
    QVERIFY(!d.link.SendExit());
}

void EndToEndTest::uploadListReadDelete() {
    Device d;
    std::vector<uint8_t> file(600);
    for (size_t i = 0; i < file.size(); ++i) file[i] = uint8_t(i * 7 + (i >> 8));
    file[0] = 0xC0;
    file[1] = 0xDB;
    QVERIFY(!d.link.SendStartESP("Audio/chime.mp3", quint32(file.size())));
    QVERIFY(!d.link.SendWriteESP(0, file.data(), 512));
    QVERIFY(d.link.SendWriteESP(0, file.data() + 512, 88));  // not the next offset: refused
    QVERIFY(!d.link.SendWriteESP(512, file.data() + 512, 88));
    QVERIFY(!d.link.SendEndESP());
    QCOMPARE(d.sim.files().at("Audio/chime.mp3"), file);

    uint8_t record[200];
    QVERIFY(!d.link.SendGetDiskInfo(record));
    const int audio = directoryIndex(record, "Audio");
    QVERIFY(audio >= 0);
    uint8_t desc[24];
    bool found = false;
    for (quint16 j = 0; j < 16 && !found; ++j) {
        QVERIFY(!d.link.SendGetFileDesc(quint16(audio), j, desc));
        if (desc[0] == 0 || desc[0] == 0xFF) break;
        found = qstrncmp(reinterpret_cast<char*>(desc), "chime.mp3", 24) == 0;
    }
    QVERIFY(found);

    quint32 size = 0;
    QVERIFY(!d.link.SendStartFileRead(quint16(audio), "chime.mp3", size));
    QCOMPARE(size, quint32(file.size()));
    std::vector<uint8_t> back(size);
    QString error;
    for (quint32 off = 0; off < size; off += 256) {
        const quint32 n = std::min<quint32>(256, size - off);
        QVERIFY(!d.link.SendReadFile(off, back.data() + off, n, error));
    }
    QVERIFY(!d.link.SendEndFileRead());
    QCOMPARE(back, file);
    QVERIFY(d.link.SendStartFileRead(quint16(audio), "missing.mp3", size));

    QVERIFY(!d.link.SendDeleteESP("Audio/chime.mp3"));
    QVERIFY(!d.sim.files().count("Audio/chime.mp3"));
    QVERIFY(d.link.SendDeleteESP("Audio/chime.mp3"));  // no longer there: NOK
}

void EndToEndTest::flashAndFormat() {
    Device d;
    const std::vector<uint8_t> flash = d.sim.flash();
    uint8_t chunk[256];
    for (quint32 off : {0u, 0x400000u, quint32(flash.size() - 256)}) {
        quint16 count = 256;
        QVERIFY(!d.link.SendGetFlash(off, chunk, count));
        QCOMPARE(count, quint16(256));
        QCOMPARE(Bytes(chunk, chunk + 256), Bytes(flash.begin() + off, flash.begin() + off + 256));
    }
    d.sim.updateOptions([](sim::SimOptions& o) { o.flashCountSkew = 4; });
    quint16 count = 256;
    QVERIFY(d.link.SendGetFlash(0, chunk, count));  // more than asked for: refused
    d.sim.updateOptions([](sim::SimOptions& o) {
        o.flashCountSkew = 0;
        o.flashZeroCount = true;
    });
    QVERIFY(!d.link.SendGetFlash(0, chunk, count));
    QCOMPARE(count, quint16(0));

    d.sim.putFile("Logs/today.txt", {1, 2, 3});
    QVERIFY(!d.link.SendFormat());
    QVERIFY(!d.sim.files().count("Logs/today.txt"));
}

void EndToEndTest::repliesInPiecesOrAfterAnEnd() {
    sim::SimOptions o;
    o.splitReplies = true;
    o.leadingEnd = true;
    Device d(o);
    quint64 id = 0;
    QVERIFY(!d.link.SendGetID(id));
    QCOMPARE(id, d.sim.identifier());
    uint8_t chunk[256];
    quint16 count = 256;
    QVERIFY(!d.link.SendGetFlash(256, chunk, count));
    const std::vector<uint8_t> flash = d.sim.flash();
    QCOMPARE(Bytes(chunk, chunk + 256), Bytes(flash.begin() + 256, flash.begin() + 512));
}

void EndToEndTest::lateReplyIsNotTakenForTheNextOne() {
    sim::SimOptions o;
    o.lateReplyOnNth[cmd::GetFlash] = 1;
    o.lateReplyMs = 700;  // after the 500 ms time-out
    Device d(o);
    uint8_t chunk[256];
    quint16 count = 256;
    QVERIFY(d.link.SendGetFlash(0, chunk, count));
    sleepMs(1000);  // the late reply lands in the driver between the two exchanges
    count = 256;
    QVERIFY(!d.link.SendGetFlash(4096, chunk, count));
    const std::vector<uint8_t> flash = d.sim.flash();
    QCOMPARE(Bytes(chunk, chunk + 256), Bytes(flash.begin() + 4096, flash.begin() + 4096 + 256));
}

void EndToEndTest::twoThreadsHammeringTheLink() {
    Device d;
    const std::vector<uint8_t> flash = d.sim.flash();
    const quint64 id = d.sim.identifier();
    std::atomic<int> wrong{0}, failed{0};
    auto flashReader = [&](quint32 base) {
        uint8_t chunk[256];
        for (quint32 i = 0; i < 60; ++i) {
            const quint32 off = base + i * 256;
            quint16 count = 256;
            if (d.link.SendGetFlash(off, chunk, count)) {
                ++failed;
            } else if (count != 256 || !std::equal(chunk, chunk + 256, flash.begin() + off)) {
                ++wrong;
            }
        }
    };
    auto identityReader = [&] {
        for (int i = 0; i < 60; ++i) {
            quint64 got = 0;
            QByteArray v;
            if (d.link.SendGetID(got) || d.link.SendGetParam(5, v)) {
                ++failed;
            } else if (got != id || v != qbytes(d.sim.param(5))) {
                ++wrong;
            }
        }
    };
    std::thread a(flashReader, 0), b(flashReader, 0x200000), c(identityReader);
    a.join();
    b.join();
    c.join();
    QCOMPARE(wrong.load(), 0);
    QCOMPARE(failed.load(), 0);
}

void EndToEndTest::openTwiceCloseTwice() {
    Device d;
    const QString path = QString::fromStdString(d.sim.portPath());
    QCOMPARE(d.link.OpenPort(path), 1);
    QVERIFY(d.link.opened);
    cUSB_CDC_Protocol other;
    QCOMPARE(other.OpenPort(path), 1);  // held by the first link
    QVERIFY(other.lastOpenWasBusy());
    QVERIFY(!other.lastOpenError().isEmpty());

    d.link.ClosePort();
    d.link.ClosePort();
    QVERIFY(!d.link.opened);
    QCOMPARE(other.OpenPort(path), 0);
    QString version;
    QVERIFY(!other.SendHello(version));
    other.CloseIfOpen();
    QCOMPARE(d.link.OpenPort(path), 0);
    QVERIFY(!d.link.SendHello(version));

    cUSB_CDC_Protocol missing;
    QCOMPARE(missing.OpenPort(QString::fromStdString(d.sim.portsDir() + "/nothing")), 1);
    QVERIFY(!missing.lastOpenWasBusy());
}

void EndToEndTest::portUnpluggedBetweenExchanges() {
    sim::SimOptions o;
    o.unplugAfterFrames = 2;
    Device d(o);
    int lostSignals = 0;
    QObject receiver;
    QObject::connect(&d.link, &cUSB_CDC_Protocol::sigPortLost, &receiver,
                     [&] { ++lostSignals; }, Qt::QueuedConnection);
    quint64 id = 0;
    QVERIFY(!d.link.SendGetID(id));
    QVERIFY(!d.link.SendGetID(id));
    QVERIFY(d.sim.waitForAbsence(5000));
    // Noticed with no exchange under way, and said once however often it is run into.
    QTRY_COMPARE_WITH_TIMEOUT(lostSignals, 1, 1000);
    QVERIFY(d.link.portLost());
    QVERIFY(d.link.SendDeleteESP("Updates/dnloads.cfg"));  // fails without waiting 60 s out
    QCoreApplication::processEvents();
    QCOMPARE(lostSignals, 1);
    d.link.ClosePort();
    d.sim.start();  // plugged in again, under a new name
    QCOMPARE(d.link.OpenPort(QString::fromStdString(d.sim.portPath())), 0);
    QVERIFY(!d.link.portLost());
    QVERIFY(!d.link.SendGetID(id));
}

void EndToEndTest::portVanishesMidExchange() {
    sim::SimOptions o;
    o.noReplyOnNth[cmd::DeleteESP] = 1;
    Device d(o);
    std::thread unplug([&] {
        while (d.sim.received(cmd::DeleteESP).empty()) sleepMs(10);
        d.sim.stop();
    });
    QVERIFY(d.link.SendDeleteESP("Updates/dnloads.cfg"));
    unplug.join();
    QVERIFY(d.link.portLost());
}

void EndToEndTest::deviceRestartsAfterStartUpdate() {
    sim::SimOptions o;
    o.restartDelayMs = 200;
    Device d(o);
    QVERIFY(!d.link.SendStartUpdate());
    QVERIFY(d.sim.waitForAbsence(5000));
    QString version;
    QVERIFY(d.link.SendHello(version));
    QVERIFY(d.link.portLost());
    d.link.ClosePort();
    QVERIFY(d.sim.waitForPort(10000));
    QCOMPARE(d.link.OpenPort(QString::fromStdString(d.sim.portPath())), 0);
    QVERIFY(!d.link.SendHello(version));
    QCOMPARE(version.toStdString(), d.sim.firmwareVersion());
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "e2e_test.moc"
