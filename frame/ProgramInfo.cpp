#include "frame/ProgramInfo.h"

namespace orvane {

std::string programInfoAnswer(const std::vector<std::string>& args, const ProgramInfo& info)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "--version")
            return std::string(info.title) + " " + info.version + "\n";
        if (arg == "--help" || arg == "-h") {
            return std::string("Usage: ") + info.command + " [OPTION]...\n" + info.summary +
                   "\n"
                   "Options:\n"
                   "  --help     show this text and exit\n"
                   "  --version  show the program's name and version and exit\n"
                   "\n"
                   "Qt's own options, such as -platform or -style, are passed on to Qt.\n"
                   "\n"
                   "Environment:\n"
                   "  ORVANE_VIRTUAL_PORTS  a folder whose entries are extra candidate ports\n"
                   "                        (device-sim publishes its port there)\n";
        }
    }
    return std::string();
}

}  // namespace orvane
