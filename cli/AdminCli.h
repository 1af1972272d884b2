// The whole of admin-cli as one function, so that the program's main and the tests run the
// same thing: arguments in, output on the two streams, exit status out.
#pragma once

#include <QStringList>
#include <QTextStream>

#include <atomic>

#include "cli/Console.h"

namespace orvane::cli {

// `arguments` without the program name. `terminal` and `width` in `console` describe
// standard error; json and quiet come from the arguments. `stop` (may be null) is set by
// an interrupt: a running transfer ends after its current exchange.
int runAdminCli(const QStringList& arguments, QTextStream& out, QTextStream& err,
                ConsoleOptions console, const std::atomic<bool>* stop = nullptr);

}  // namespace orvane::cli
