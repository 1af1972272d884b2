// The simulated device over its pseudo-terminal, driven with raw frames through the test
// harness: the port link's life, reopening, framing on the wire, restarts and faults.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "RawPort.h"
#include "sim/CommandHandler.h"
#include "sim/Simulator.h"
#include "tests/support/SimHarness.h"

using namespace orvane::sim;
using namespace orvane::test;
namespace frame = orvane::frame;

namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string versionOf(RawPort& port) {
    bool ok = false;
    const auto v = port.exchange(code::GetFWVersion, {}, ok);
    if (!ok) return "(no reply)";
    return std::string(v.begin(), std::find(v.begin(), v.end(), 0));
}

SimOptions quick() {
    SimOptions o;
    o.restartDelayMs = 50;
    return o;
}

}  // namespace

TEST(SimTransport, PortLinkLifetime) {
    SimHarness sim(quick());
    EXPECT_EQ(std::string(std::getenv("ORVANE_VIRTUAL_PORTS")), sim.portsDir());
    EXPECT_EQ(sim.portPath(), "");
    sim.start();
    EXPECT_EQ(sim.portPath(), sim.portsDir() + "/sim0");
    EXPECT_TRUE(exists(sim.portPath()));
    const std::string path = sim.portPath();
    sim.stop();
    EXPECT_FALSE(exists(path)) << "the link must go when the device stops";
    EXPECT_EQ(sim.portPath(), "");
    sim.start();
    EXPECT_TRUE(exists(path));
}

TEST(SimTransport, TwoDevicesShareAPortsDirectory) {
    SimHarness first(quick());
    SimOptions o = quick();
    o.portsDir = first.portsDir();
    o.name = "sim1";
    std::string dir;
    {
        SimHarness second(o);
        second.setIdentifier(2);
        first.start();
        second.start();
        dir = first.portsDir();
        EXPECT_EQ(std::string(std::getenv("ORVANE_VIRTUAL_PORTS")), dir);
        RawPort a(dir + "/sim0"), b(dir + "/sim1");
        EXPECT_EQ(frame::getLe64(a.exchange(code::GetID).data()), first.identifier());
        EXPECT_EQ(frame::getLe64(b.exchange(code::GetID).data()), 2u);
    }
    EXPECT_TRUE(exists(dir + "/sim0")) << "the second harness must leave the first one's port alone";
    EXPECT_FALSE(exists(dir + "/sim1"));
}

TEST(SimTransport, AnswersAcrossManyOpensAndCloses) {
    SimHarness sim(quick());
    sim.start();
    for (int i = 0; i < 20; ++i) {
        RawPort port(sim.portPath());
        ASSERT_TRUE(port.isOpen());
        bool ok = false;
        const auto id = port.exchange(code::GetID, {}, ok);
        ASSERT_TRUE(ok) << "round " << i;
        EXPECT_EQ(frame::getLe64(id.data()), sim.identifier());
    }
    // Opened twice at once (the host's exclusivity is its own business): both work.
    RawPort a(sim.portPath());
    a.close();
    RawPort b(sim.portPath());
    EXPECT_EQ(versionOf(b), sim.firmwareVersion());
    EXPECT_EQ(sim.received(code::GetID).size(), 20u);
}

TEST(SimTransport, FramingOnTheWire) {
    SimHarness sim(quick());
    sim.start();
    RawPort port(sim.portPath());
    // Two requests in one write, a request split over two writes, garbage before a frame,
    // a bad escape and a wrong length field: the good frames get answered in order.
    auto two = frame::encodePacket(code::GetMode, nullptr, 0);
    const auto id = frame::encodePacket(code::GetID, nullptr, 0);
    two.insert(two.end(), id.begin(), id.end());
    port.writeRaw(two);
    std::vector<uint8_t> packet;
    ASSERT_TRUE(port.nextPacket(packet));
    EXPECT_EQ(packet[2], code::GetMode);
    ASSERT_TRUE(port.nextPacket(packet));
    EXPECT_EQ(packet[2], code::GetID);

    const std::vector<uint8_t> param{3, 0};  // parameter 3, 0x0E 0x03 0x00 on the wire
    const auto req = frame::encodePacket(code::GetParam, param.data(), param.size());
    EXPECT_EQ(req, (std::vector<uint8_t>{0x03, 0x00, 0x0E, 0x03, 0x00, 0xC0}));
    port.writeRaw(std::vector<uint8_t>(req.begin(), req.begin() + 3));
    port.writeRaw(std::vector<uint8_t>(req.begin() + 3, req.end()));
    ASSERT_TRUE(port.nextPacket(packet));
    EXPECT_EQ(packet[2], code::GetParam);

    port.writeRaw({0x55, 0xDB, 0x41, 0xC0});              // bad escape
    port.writeRaw({0x05, 0x00, code::GetMode, 0xC0});     // length says 4 payload bytes
    port.writeRaw({0xC0, 0xC0});                          // empty frames
    bool ok = false;
    port.exchange(code::GetMode, {}, ok);
    EXPECT_TRUE(ok);
    const auto got = sim.received();
    ASSERT_EQ(got.size(), 4u) << "bad frames must not reach the handler";
    EXPECT_EQ(got.back().command, code::GetMode);

    // Half a frame left by a host that went away does not spoil the next request.
    port.writeRaw({0x01, 0x00});
    port.close();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    port.open(sim.portPath());
    port.exchange(code::GetMode, {}, ok);
    EXPECT_TRUE(ok);

    // Payload bytes that need stuffing reach the device unchanged.
    std::vector<uint8_t> value{0xC0, 0xDB, 0x01};
    std::vector<uint8_t> set{12, 0};
    set.insert(set.end(), value.begin(), value.end());
    EXPECT_EQ(port.exchange(code::SetParam, set), std::vector<uint8_t>{kStatusOk});
    EXPECT_EQ(sim.param(12), value);
    EXPECT_EQ(port.exchange(code::GetParam, {12, 0}), value);
}

TEST(SimTransport, ReceivedLogAndStateAccessors) {
    SimHarness sim(quick());
    sim.putFile("Audio/t.mp3", {1, 2, 3});
    sim.setIdentifier(77);
    sim.setParam(5, bytesOf("Net"));
    sim.setFirmwareVersion("Orvane 5.0");
    sim.start();
    RawPort port(sim.portPath());
    EXPECT_EQ(versionOf(port), "Orvane 5.0");
    EXPECT_EQ(port.exchange(code::GetParam, {5, 0}), bytesOf("Net"));
    EXPECT_EQ(port.exchange(code::DeleteESP, nameBytes("Audio/t.mp3", 32)), std::vector<uint8_t>{kStatusOk});
    EXPECT_EQ(sim.files().count("Audio/t.mp3"), 0u);
    EXPECT_EQ(sim.received(code::DeleteESP).at(0).payload, nameBytes("Audio/t.mp3", 32));
    sim.clearReceived();
    EXPECT_TRUE(sim.received().empty());
    sim.removeAllFiles();
    EXPECT_TRUE(sim.files().empty());
    EXPECT_EQ(sim.flash().size(), DeviceModel::kFlashSize);
    EXPECT_THROW(sim.putFile("a/b/c", {1}), std::runtime_error);
}

TEST(SimTransport, StartUpdateRestartsUnderANewNameWithNewFirmware) {
    SimOptions o = quick();
    o.bootloaderMs = 60000;  // only after a restart here: the first start uses it too
    SimHarness sim(o);
    sim.start();
    RawPort port(sim.portPath());
    EXPECT_NE(versionOf(port).find("Bootloader"), std::string::npos);
    // SendExit leaves the bootloader: a restart into the application on a new port.
    bool ok = false;
    port.exchange(code::Exit, {}, ok);
    EXPECT_TRUE(ok) << "the reply comes before the port goes";
    ASSERT_TRUE(sim.simulator().waitForAbsence(5000));
    ASSERT_TRUE(sim.waitForPort(5000));
    EXPECT_EQ(sim.portPath(), sim.portsDir() + "/sim0-1");
    EXPECT_FALSE(exists(sim.portsDir() + "/sim0"));
    port.open(sim.portPath());
    EXPECT_EQ(versionOf(port), "Orvane 2.4.1");

    // Upload a system image, then SendStartUpdate: the device installs it and comes back
    // in its bootloader under the next name.
    std::vector<uint8_t> start{5, 0, 0, 0};
    const auto name = nameBytes("Updates/nRF_Update_c.bin", 32);
    start.insert(start.end(), name.begin(), name.end());
    EXPECT_EQ(port.exchange(code::StartESP, start), std::vector<uint8_t>{kStatusOk});
    EXPECT_EQ(port.exchange(code::WriteESP, {0, 0, 0, 0, 5, 0, 0, 0, 'i', 'm', 'a', 'g', 'e'}),
              std::vector<uint8_t>{kStatusOk});
    EXPECT_EQ(port.exchange(code::EndESP), std::vector<uint8_t>{kStatusOk});
    port.exchange(code::StartUpdate, {}, ok);
    EXPECT_TRUE(ok);
    std::vector<uint8_t> raw;
    EXPECT_FALSE(port.nextRawFrame(raw, 5000));
    EXPECT_TRUE(port.hungUp()) << "the host must see the device go";
    ASSERT_TRUE(sim.waitForPort(5000));
    EXPECT_EQ(sim.portPath(), sim.portsDir() + "/sim0-2");
    EXPECT_EQ(sim.firmwareVersion(), "Orvane 2.4.2");
    EXPECT_EQ(sim.files().count("Updates/nRF_Update_c.bin"), 0u);
    port.open(sim.portPath());
    EXPECT_NE(versionOf(port).find("Bootloader"), std::string::npos);
    EXPECT_EQ(sim.simulator().restartCount(), 2);
}

TEST(SimTransport, TimingFaults) {
    SimHarness sim(quick());
    sim.start();
    RawPort port(sim.portPath());
    bool ok = false;

    sim.simulator().updateOptions([](SimOptions& o) { o.noReplyOnNth[code::GetID] = 2; });
    port.exchange(code::GetID, {}, ok);
    EXPECT_TRUE(ok);
    port.exchange(code::GetID, {}, ok, 300);
    EXPECT_FALSE(ok) << "the second request gets no reply";
    port.exchange(code::GetID, {}, ok);
    EXPECT_TRUE(ok) << "the fault fires once";

    sim.updateOptions([](orvane::sim::SimOptions& o) { o.leadingEnd = true; });
    port.exchange(code::GetMode, {}, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(port.emptyFrames(), 1) << "an END before the reply";
    sim.updateOptions([](orvane::sim::SimOptions& o) { o.leadingEnd = false; });

    // A late reply arrives after the reply to the next request.
    sim.simulator().updateOptions([](SimOptions& o) {
        o.lateReplyOnNth[code::GetMode] = 1;
        o.lateReplyMs = 200;
    });
    port.send(code::GetMode);
    port.send(code::GetID);
    std::vector<uint8_t> packet;
    ASSERT_TRUE(port.nextPacket(packet));
    EXPECT_EQ(packet[2], code::GetID);
    ASSERT_TRUE(port.nextPacket(packet));
    EXPECT_EQ(packet[2], code::GetMode);

    // A split reply still arrives whole, in more than one read.
    sim.simulator().updateOptions([](SimOptions& o) {
        o.splitReplies = true;
        o.splitGapMs = 100;
    });
    const int readsBefore = port.reads();
    EXPECT_EQ(port.exchange(code::GetDiskInfo).size(), kDiskInfoSize);
    EXPECT_GE(port.reads() - readsBefore, 2);
}

TEST(SimTransport, HostThatNeverReadsCannotGrowTheReplyQueue) {
    SimOptions o = quick();
    o.recordRequests = false;
    SimHarness sim(o);
    sim.start();
    RawPort port(sim.portPath());
    // Requests with 200-byte replies, written for half a second without reading a byte:
    // far more reply bytes than the pseudo-terminal holds.
    const auto request = frame::encodePacket(code::GetDiskInfo, nullptr, 0);
    std::vector<uint8_t> burst;
    for (int i = 0; i < 64; ++i) burst.insert(burst.end(), request.begin(), request.end());
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    int sent = 0;
    while (std::chrono::steady_clock::now() < until) {
        port.writeRaw(burst);
        sent += 64;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_GT(sent, 5000);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_LT(sim.simulator().peakQueuedReplyBytes(), 16384u) << "after " << sent << " requests";

    // The device still answers once the host reads again (after what is still queued).
    ASSERT_TRUE(port.open(sim.portPath()));
    port.send(code::GetID);
    std::vector<uint8_t> packet;
    bool answered = false;
    while (!answered && port.nextPacket(packet, 3000)) answered = packet.size() > 2 && packet[2] == code::GetID;
    EXPECT_TRUE(answered);
}

TEST(SimTransport, UnplugAfterFramesAndReplug) {
    SimOptions o = quick();
    o.unplugAfterFrames = 3;
    SimHarness sim(o);
    sim.start();
    RawPort port(sim.portPath());
    const std::string first = sim.portPath();
    bool ok = false;
    port.exchange(code::GetID, {}, ok);
    port.exchange(code::GetID, {}, ok);
    port.exchange(code::GetID, {}, ok);
    EXPECT_TRUE(ok) << "the third frame is still answered";
    // A pulled cable answers nothing more, however quickly the host asks again.
    port.exchange(code::GetID, {}, ok);
    EXPECT_FALSE(ok) << "a request after the third is answered";
    std::vector<uint8_t> raw;
    EXPECT_FALSE(port.nextRawFrame(raw, 5000));
    EXPECT_TRUE(port.hungUp());
    EXPECT_FALSE(exists(first));
    EXPECT_EQ(sim.portPath(), "");
    sim.start();  // plugged in again
    EXPECT_EQ(sim.portPath(), sim.portsDir() + "/sim0-1");
    port.open(sim.portPath());
    port.exchange(code::GetID, {}, ok);
    EXPECT_TRUE(ok);
}

TEST(SimTransport, StateDirectoryKeepsTheDevice) {
    char tmpl[] = "/tmp/orvane-state-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    SimOptions o = quick();
    o.stateDir = tmpl;
    {
        SimHarness sim(o);
        sim.start();
        RawPort port(sim.portPath());
        EXPECT_EQ(port.exchange(code::SetID, {42, 0, 0, 0, 0, 0, 0, 0}).size(), 8u);
        EXPECT_EQ(port.exchange(code::SetParam, {5, 0, 'k'}), std::vector<uint8_t>{kStatusOk});
        EXPECT_EQ(port.exchange(code::DeleteESP, nameBytes("config.json", 32)), std::vector<uint8_t>{kStatusOk});
        sim.putFile("Audio/kept.mp3", {7, 0xC0, 7});
    }
    {
        SimHarness sim(o);
        EXPECT_EQ(sim.identifier(), 42u);
        EXPECT_EQ(sim.param(5), bytesOf("k"));
        const auto files = sim.files();
        EXPECT_EQ(files.count("config.json"), 0u);
        EXPECT_EQ(files.at("Audio/kept.mp3"), (std::vector<uint8_t>{7, 0xC0, 7}));
        EXPECT_EQ(sim.flash(), DeviceModel::defaultFlash());
    }
    std::string cmd = std::string("rm -rf ") + tmpl;
    EXPECT_EQ(std::system(cmd.c_str()), 0);
}

TEST(SimTransport, BootloaderWindowEnds) {
    SimOptions o = quick();
    o.bootloaderMs = 150;
    SimHarness sim(o);
    sim.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    RawPort port(sim.portPath());
    EXPECT_EQ(versionOf(port), "Orvane 2.4.1") << "the bootloader hands over by itself";
    EXPECT_FALSE(sim.simulator().inBootloader());
    // SendExit from the application changes nothing.
    bool ok = false;
    port.exchange(code::Exit, {}, ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(sim.waitForAbsence(300));
    EXPECT_EQ(sim.restartCount(), 0);
}
