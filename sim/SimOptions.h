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
    int restartDelayMs = 1500;     // absence after SendStartUpdate, SendExit from the bootloader
                                   // and replug()
    int bootloaderMs = 0;          // answer version queries as a bootloader for this long after
                                   // each start (not after leaving the bootloader by SendExit)
    int count = 1;                 // device-sim publishes this many devices (1 to 64), each
                                   // with its own port, identity and state
    int deviceNumber = 0;          // the Kth of several simulated devices (from 0): its
                                   // identifier and MAC addresses differ from the first's by K
    bool verbose = false;          // hex dump of every frame to stderr
    bool recordRequests = true;    // keep every request for Simulator::received()

    // Faults. Maps are keyed by command code. "Nth" counts requests of that command from 1,
    // starting when the simulator first sees the entry (at start, or at the next frame after
    // a test set it at run time). Each Nth fault fires once and then removes its entry, so a
    // test can arm the same fault again.
    int replyLatencyMs = 0;                  // delay before every reply
    std::map<int, int> noReplyOnNth;         // command -> N: the Nth request gets no reply
    // command -> N: the Nth request is refused and changes nothing. Commands with a status
    // byte answer status 1; SendStartFileRead answers size -1; the others answer the single
    // byte 01 instead of their data.
    std::map<int, int> nokOnNth;
    bool splitReplies = false;               // each reply goes out in two writes ...
    int splitGapMs = 20;                     // ... this far apart
    bool leadingEnd = false;                 // an END byte before each reply
    std::map<int, int> lateReplyOnNth;       // command -> N: Nth reply comes after lateReplyMs
    int lateReplyMs = 300;
    int shortReadFileBy = 0;                 // SendReadFile answers this many bytes fewer
    int flashCountSkew = 0;                  // SendGetFlash count m is off by this (may be < 0);
                                             // a larger m comes with that many data bytes
    bool flashZeroCount = false;             // SendGetFlash answers m = 0
    bool keepIdentifier = false;             // SendSetID echoes the new identifier but the
                                             // device keeps its old one
    bool corruptUploads = false;             // every uploaded file is stored with its middle
                                             // byte changed (acknowledged as if whole)
    bool keepParams = false;                 // SendSetParam answers OK but nothing is stored
    // The port vanishes right after the reply to this many frames (0 = never), counted from
    // when the value is first seen. It stays away until Simulator::replug(). Fires once.
    int unplugAfterFrames = 0;
    // command -> N: the port vanishes right after the reply to the Nth request of that
    // command (a cable pulled at a known step of a job); away until Simulator::replug().
    std::map<int, int> unplugOnNth;
};

}  // namespace orvane::sim
