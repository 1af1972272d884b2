// What a window program tells of itself on the command line. --version and --help are
// answered before Qt starts, so they need no display and open no window.
#pragma once

#include <string>
#include <vector>

namespace orvane {

struct ProgramInfo {
    const char* command;       // the executable's name: "admin-tool"
    const char* title;         // the window's title without the version: "Orvane Admin Tool"
    const char* version;       // "1.1.5"
    const char* summary;       // what the program does, for --help
    const char* desktopEntry;  // the desktop entry's name without ".desktop"
};

// The answer to --version or --help (or -h) among `args` (without the program name), or ""
// when neither is there and the program runs as usual. Arguments after "--" are not looked at.
std::string programInfoAnswer(const std::vector<std::string>& args, const ProgramInfo& info);

}  // namespace orvane
