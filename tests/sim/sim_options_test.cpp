// The device-sim command line, the "Nth request" fault counting and the saved-state file.
#include <gtest/gtest.h>

#include <fstream>

#include "sim/FaultSchedule.h"
#include "sim/SimArgs.h"
#include "sim/StateStore.h"

using namespace orvane::sim;

namespace {

ArgsOutcome parse(std::vector<std::string> args, SimOptions& o, std::string& error) {
    return parseSimArgs(args, o, error);
}

}  // namespace

TEST(SimArgs, EveryFlag) {
    SimOptions o;
    std::string error;
    ASSERT_EQ(parse({"--ports-dir", "/p", "--name", "dev", "--state", "/s", "--restart-delay", "10",
                     "--bootloader", "2000", "--verbose", "--latency", "5", "--no-reply", "19:2",
                     "--nok", "3:1", "--nok", "5:4", "--split-replies", "--split-gap", "7",
                     "--leading-end", "--late-reply", "21:3", "--late-ms", "900", "--short-read", "1",
                     "--flash-count-skew", "-2", "--flash-zero-count", "--unplug-after", "40", "--unplug-on", "19:4",
                     "--keep-identifier"},
                    o, error),
              ArgsOutcome::Run)
        << error;
    EXPECT_EQ(o.portsDir, "/p");
    EXPECT_EQ(o.name, "dev");
    EXPECT_EQ(o.stateDir, "/s");
    EXPECT_EQ(o.restartDelayMs, 10);
    EXPECT_EQ(o.bootloaderMs, 2000);
    EXPECT_TRUE(o.verbose);
    EXPECT_EQ(o.replyLatencyMs, 5);
    EXPECT_EQ(o.noReplyOnNth, (std::map<int, int>{{19, 2}}));
    EXPECT_EQ(o.nokOnNth, (std::map<int, int>{{3, 1}, {5, 4}}));
    EXPECT_TRUE(o.splitReplies);
    EXPECT_EQ(o.splitGapMs, 7);
    EXPECT_TRUE(o.leadingEnd);
    EXPECT_EQ(o.lateReplyOnNth, (std::map<int, int>{{21, 3}}));
    EXPECT_EQ(o.lateReplyMs, 900);
    EXPECT_EQ(o.shortReadFileBy, 1);
    EXPECT_EQ(o.flashCountSkew, -2);
    EXPECT_TRUE(o.flashZeroCount);
    EXPECT_EQ(o.unplugAfterFrames, 40);
    EXPECT_EQ(o.unplugOnNth, (std::map<int, int>{{19, 4}}));
    EXPECT_TRUE(o.keepIdentifier);
}

TEST(SimArgs, SeveralDevicesEachWithItsOwnNameAndState) {
    SimOptions o;
    std::string error;
    ASSERT_EQ(parse({"--count", "3", "--name", "bench8", "--state", "/s", "--latency", "4"}, o, error),
              ArgsOutcome::Run);
    const auto devices = eachDevice(o);
    ASSERT_EQ(devices.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(devices[k].name, "bench" + std::to_string(8 + k));
        EXPECT_EQ(devices[k].stateDir, "/s/bench" + std::to_string(8 + k));
        EXPECT_EQ(devices[k].deviceNumber, k);
        EXPECT_EQ(devices[k].replyLatencyMs, 4);
    }
    // One device keeps its options as they are.
    SimOptions one;
    one.stateDir = "/s";
    EXPECT_EQ(eachDevice(one).at(0).stateDir, "/s");
    EXPECT_EQ(eachDevice(one).at(0).name, "sim0");
}

TEST(SimArgs, RefusesBadInput) {
    const std::vector<std::vector<std::string>> bad = {
        {"--latency"}, {"--latency", "soon"}, {"--latency", "-5"}, {"--nok", "3"},
        {"--nok", "3:0"}, {"--nok", "300:1"}, {"--nok", "x:1"}, {"--frobnicate"},
        {"--name", "a/b"}, {"--restart-delay", "99999999999"}, {"--count", "0"}, {"--count", "65"}};
    for (const auto& args : bad) {
        SimOptions o;
        std::string error;
        EXPECT_EQ(parse(args, o, error), ArgsOutcome::Error) << args[0];
        EXPECT_FALSE(error.empty());
    }
    SimOptions o;
    std::string error;
    EXPECT_EQ(parse({"--help"}, o, error), ArgsOutcome::Help);
}

TEST(SimFaultSchedule, NthRequestFiresOnceAndCanBeArmedAgain) {
    FaultSchedule schedule;
    std::map<int, int> faults{{19, 3}};
    std::vector<bool> fired;
    for (int i = 0; i < 5; ++i) fired.push_back(schedule.fires(faults, 19));
    EXPECT_EQ(fired, (std::vector<bool>{false, false, true, false, false}));
    EXPECT_TRUE(faults.empty());
    EXPECT_FALSE(schedule.fires(faults, 21)) << "other commands do not count";

    // Armed at run time: counting starts from that moment.
    faults[19] = 1;
    EXPECT_TRUE(schedule.fires(faults, 19));
    // Changing N while counting restarts the count.
    faults[19] = 2;
    EXPECT_FALSE(schedule.fires(faults, 19));
    faults[19] = 3;
    EXPECT_FALSE(schedule.fires(faults, 19));
    EXPECT_FALSE(schedule.fires(faults, 19));
    EXPECT_TRUE(schedule.fires(faults, 19));

    int frames = 2;
    EXPECT_FALSE(schedule.firesAfterFrames(frames));
    EXPECT_TRUE(schedule.firesAfterFrames(frames));
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(schedule.firesAfterFrames(frames));
}

TEST(SimStateStore, RoundTripAndDamagedFiles) {
    char tmpl[] = "/tmp/orvane-store-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    std::string error;

    DeviceModel empty;
    ASSERT_TRUE(loadState(dir, empty, &error)) << "an empty directory means a new device";

    DeviceModel saved;
    saved.identifier = 123456789012345ULL;
    saved.firmwareVersion = "Orvane 3 beta";  // spaces survive
    saved.mode = 3;
    saved.setParam(14, {'u', ' ', 0xC3, 0xA9});
    saved.fs.store("New Dir/with space.bin", {0, 1, 2});
    saved.fs.remove("config.json");
    ASSERT_TRUE(saveState(dir, saved, &error)) << error;

    DeviceModel loaded;
    loaded.fs.format();
    ASSERT_TRUE(loadState(dir, loaded, &error)) << error;
    EXPECT_EQ(loaded.identifier, saved.identifier);
    EXPECT_EQ(loaded.firmwareVersion, saved.firmwareVersion);
    EXPECT_EQ(loaded.mode, 3u);
    EXPECT_EQ(loaded.params(), saved.params());
    EXPECT_EQ(loaded.fs.snapshot(), saved.fs.snapshot());
    ASSERT_EQ(loaded.fs.directories().size(), saved.fs.directories().size());
    for (size_t i = 0; i < saved.fs.directories().size(); ++i)
        EXPECT_EQ(loaded.fs.directories()[i].name, saved.fs.directories()[i].name);

    // A damaged file is reported and leaves the model as it was.
    { std::ofstream(dir + "/device.state") << "orvane-device-state 1\nid zz\n"; }
    DeviceModel untouched;
    untouched.identifier = 5;
    EXPECT_FALSE(loadState(dir, untouched, &error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_EQ(untouched.identifier, 5u);
    { std::ofstream(dir + "/device.state") << "something else\n"; }
    EXPECT_FALSE(loadState(dir, untouched, &error));

    const std::string cmd = "rm -rf " + dir;
    EXPECT_EQ(std::system(cmd.c_str()), 0);
}
