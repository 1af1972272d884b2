// Which program holds a serial port, as far as the system tells: on Linux, the advisory lock
// table (/proc/locks) names the process that locked the port, and failing that the open
// file tables of the processes this user may look into. Plain C++, no Qt.
#pragma once

#include <string>

namespace orvane {

struct PortHolder {
    long pid = 0;       // 0 = not known
    std::string name;   // the program's name ("" = not known)
};

// The holder of the port at `path` (a device path; symbolic links are followed), other than
// this process. Looked up only after an open failed as busy: it reads a few system tables.
PortHolder findPortHolder(const std::string& path);

}  // namespace orvane
