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

}  // namespace orvane::sim
