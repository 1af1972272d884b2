// Settings of the simulated device: where its port appears, its timing, and the faults it
// injects for tests. Shared by the device-sim executable and the in-process test harness.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace orvane::sim {

struct SimOptions {
    std::string portsDir;          // virtual ports directory ("" = $ORVANE_VIRTUAL_PORTS)
    std::string name = "sim0";     // port link name; restarts add "-1", "-2", ...
    std::string stateDir;          // "" = state lives in memory
    int restartDelayMs = 1500;     // absence after SendStartUpdate
    int bootloaderMs = 0;          // answer version queries as a bootloader for this long
    bool verbose = false;          // hex dump of every frame to stderr

    // Faults. Maps are keyed by command code; "Nth" counts requests of that command
    // from 1 since the simulator started (or since the fault was set at run time).
    int replyLatencyMs = 0;                  // delay before every reply
    std::map<int, int> noReplyOnNth;         // command -> N: the Nth request gets no reply
    std::map<int, int> nokOnNth;             // command -> N: the Nth request answers status NOK
    bool splitReplies = false;               // each reply goes out in two writes
    bool leadingEnd = false;                 // an END byte before each reply
    std::map<int, int> lateReplyOnNth;       // command -> N: Nth reply comes after lateReplyMs
    int lateReplyMs = 300;
    int shortReadFileBy = 0;                 // SendReadFile answers this many bytes fewer
    int flashCountSkew = 0;                  // SendGetFlash count m is off by this (may be < 0)
    bool flashZeroCount = false;             // SendGetFlash answers m = 0
    int unplugAfterFrames = 0;               // port vanishes after this many frames (0 = never)
};

}  // namespace orvane::sim
