// The device-sim command line: turns arguments into SimOptions and describes them.
#pragma once

#include <string>
#include <vector>

#include "SimOptions.h"

namespace orvane::sim {

enum class ArgsOutcome { Run, Help, Version, Error };

// Parses arguments (without the program name) into `options`. On Error, `error` says
// what was wrong in plain words.
ArgsOutcome parseSimArgs(const std::vector<std::string>& args, SimOptions& options,
                         std::string& error);

std::string simUsage();

// The options of each of the `options.count` devices: the first keeps the name, a number
// ending it is counted up for the others ("sim0", "sim1", ...; a name without one gets
// "0", "1", ...), each is the next device number, and with a state directory each keeps
// its state in a folder of it named after its port. One device keeps `options` as they are.
std::vector<SimOptions> eachDevice(const SimOptions& options);

}  // namespace orvane::sim
