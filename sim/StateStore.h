// Keeps the device model in a directory between runs: "device.state" (identity, parameters
// and files, as text) and "flash.bin" (the raw flash). Both are replaced atomically.
#pragma once

#include <string>

#include "DeviceModel.h"

namespace orvane::sim {

// Loads what the directory holds into `model`. A missing directory or state file leaves
// the model as it is and succeeds; an unreadable or malformed one fails with `error` and
// leaves the model unchanged.
bool loadState(const std::string& dir, DeviceModel& model, std::string* error);
// Writes identity, parameters and files (and flash.bin when missing or of the wrong size).
bool saveState(const std::string& dir, const DeviceModel& model, std::string* error);

}  // namespace orvane::sim
