// The command line's exit statuses, as scripts and factory lines rely on them.
// 0 success, 1 the device refused or did not answer, 2 wrong usage, 3 no device, 4 no device
// because access to the port was denied, 130 interrupted by Ctrl-C.
#pragma once

namespace orvane::cli {

enum ExitStatus : int {
    ExitOk = 0,
    ExitDeviceFailed = 1,
    ExitUsage = 2,
    ExitNoDevice = 3,
    ExitAccessDenied = 4,
    ExitInterrupted = 130,
};

}  // namespace orvane::cli
