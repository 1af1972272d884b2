// One command on several devices at once (--all, or --port more than once): the arguments
// and local files are checked once, then every device is found and worked on by a thread of
// its own, with its own link and console; nothing is shared between them but the output
// streams, a line at a time. Ends with "N of M devices succeeded" and the worst status.
#pragma once

#include <QTextStream>

#include <atomic>

#include "cli/Command.h"
#include "cli/Console.h"
#include "cli/Invocation.h"

namespace orvane::cli {

int runOnSeveralDevices(const Command& command, const Invocation& invocation, QTextStream& out,
                        QTextStream& err, const ConsoleOptions& options,
                        const std::atomic<bool>* stop);

}  // namespace orvane::cli
