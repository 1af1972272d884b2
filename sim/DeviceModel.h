// Everything the simulated device holds: identity, configuration parameters, the flash file
// system and the raw flash. Plain data with the rules the commands need; not thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "FlashFileSystem.h"

namespace orvane::sim {

class DeviceModel {
public:
    static constexpr size_t kFlashSize = 8u << 20;
    static constexpr size_t kMaxParamValue = 510;
    static constexpr int kFirstParam = 3;
    static constexpr int kLastParam = 15;

    // A device as it leaves the factory: sample identity, parameters, a few files and
    // deterministic flash content.
    DeviceModel();

    uint64_t identifier = 0;
    std::array<uint8_t, 6> wifiMac{};
    std::array<uint8_t, 6> ethMac{};
    std::string firmwareVersion;    // answered by version queries while running the application
    std::string bootloaderVersion;  // answered while in the bootloader; contains "Bootloader"
    uint32_t mode = 1;
    FlashFileSystem fs;
    std::vector<uint8_t> flash;  // kFlashSize bytes

    // Parameters 3 to 15. Unknown ids read as empty and refuse writes.
    static bool knownParam(int id) { return id >= kFirstParam && id <= kLastParam && id != 6; }
    std::vector<uint8_t> param(int id) const;
    // Stores a value the way the device keeps it: flags as one byte, the proxy port as two
    // bytes, texts up to their first zero byte (so the single 0x00 written for an open
    // network reads back empty). False (nothing stored) for unknown ids and bad lengths.
    bool setParam(int id, const std::vector<uint8_t>& value);
    const std::map<int, std::vector<uint8_t>>& params() const { return params_; }
    void assignParams(std::map<int, std::vector<uint8_t>> params);

    // Installs the firmware images found in "Updates/" (system, driver and bootloader
    // images) and removes them; each appends a line to "Updates/dnloads.cfg". Returns the
    // names of the images installed.
    std::vector<std::string> applyUpdates();

    static std::vector<uint8_t> defaultFlash();

private:
    std::map<int, std::vector<uint8_t>> params_;
};

// The version text an installed image gives: the text after "ORVANE-VERSION=" in the image
// (up to a zero byte, newline or 40 bytes) when present, otherwise `current` with its last
// number increased by one (or ".1" appended when it has none).
std::string versionAfterUpdate(const std::string& current, const std::vector<uint8_t>& image);

}  // namespace orvane::sim
