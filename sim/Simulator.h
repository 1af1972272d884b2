// The simulated device as a whole: device model, command handler and pty transport run by
// one thread, with restarts, the bootloader window and the injected faults. Thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DeviceModel.h"
#include "SimOptions.h"

namespace orvane::sim {

struct ReceivedFrame {
    uint8_t command = 0;
    std::vector<uint8_t> payload;  // unstuffed, after the 3 header bytes
};

class Simulator {
public:
    // Loads the state from options.stateDir when it holds one; an empty portsDir is taken
    // from $ORVANE_VIRTUAL_PORTS.
    explicit Simulator(SimOptions options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Creates the port (its link exists when this returns) and starts the device thread.
    bool start(std::string* error = nullptr);
    // Stops the thread; the port link disappears. start() may be called again.
    void stop();
    bool isRunning() const;
    // After an unplug fault: the device comes back at once under a new port name.
    void replug();

    std::string portPath() const;  // absolute path of the port link, "" while absent
    bool waitForPort(int timeoutMs);
    bool waitForAbsence(int timeoutMs);
    int restartCount() const;      // restarts and replugs so far (the "-N" of the port name)
    bool inBootloader() const;

    // A copy of the settings; changes go through updateOptions(), which takes the lock the
    // device thread holds while it reads them (and erases fired faults). They take effect at
    // the next frame.
    SimOptions options() const;
    void updateOptions(const std::function<void(SimOptions&)>& change);

    // Locked access to the device model; changes are saved when a state directory is set.
    void inspect(const std::function<void(const DeviceModel&)>& look) const;
    void modify(const std::function<void(DeviceModel&)>& change);

    // The most reply bytes ever waiting for the host to read them (they are bounded).
    size_t peakQueuedReplyBytes() const;

    std::vector<ReceivedFrame> received() const;
    void clearReceived();

    // Called with the new port path whenever the port appears (from start() on the
    // caller's thread, after restarts and replugs on the device thread).
    void setPortListener(std::function<void(const std::string&)> listener);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace orvane::sim
