// Runs the simulated device in-process for end-to-end tests: a private virtual ports
// directory, the simulator on its own thread, and a view of what the device holds and got.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimOptions.h"

namespace orvane::sim {
class Simulator;
}

namespace orvane::test {

struct ReceivedRequest {
    uint8_t command = 0;
    std::vector<uint8_t> payload;  // unstuffed, after the 3 header bytes
};

class SimHarness {
public:
    // Creates a temporary virtual ports directory, points ORVANE_VIRTUAL_PORTS at it
    // (for this process) and fills unset portsDir in `options` with it. Does not start.
    // With portsDir set (a second device in another harness's directory, under another
    // name), that directory is used and left in place.
    explicit SimHarness(sim::SimOptions options = {});
    ~SimHarness();  // stops the simulator, removes the directory

    void start();                  // the port link appears; returns once it exists (after an
                                   // unplug fault: plugs the device in again, under a new name);
                                   // throws std::runtime_error when the port cannot be made
    void stop();                   // the port link disappears
    std::string portsDir() const;  // the virtual ports directory
    std::string portPath() const;  // absolute path of the current port link ("" when absent)
    // Waits (sleeping) up to timeoutMs for the device to be present again after a restart.
    bool waitForPort(int timeoutMs);
    // Waits (sleeping) up to timeoutMs for the port to vanish (restart, unplug fault).
    bool waitForAbsence(int timeoutMs);
    // Restarts and replugs so far: the current port is named "<name>-<restartCount()>".
    int restartCount() const;

    sim::Simulator& simulator();
    // Changes the simulator's options under its lock (faults may be changed while running;
    // they take effect at the next frame).
    void updateOptions(const std::function<void(sim::SimOptions&)>& change);

    // What the device received, in order (every frame, from every connection).
    std::vector<ReceivedRequest> received() const;
    std::vector<ReceivedRequest> received(uint8_t command) const;
    void clearReceived();

    // Device state (all thread-safe snapshots / setters).
    std::map<std::string, std::vector<uint8_t>> files() const;  // "Dir/name" or "name" -> bytes
    void putFile(const std::string& path, const std::vector<uint8_t>& bytes);
    void removeAllFiles();
    std::vector<uint8_t> param(int id) const;
    void setParam(int id, const std::vector<uint8_t>& value);
    uint64_t identifier() const;
    void setIdentifier(uint64_t id);
    std::string firmwareVersion() const;
    void setFirmwareVersion(const std::string& text);
    std::vector<uint8_t> flash() const;  // the 8 MiB raw flash

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace orvane::test
