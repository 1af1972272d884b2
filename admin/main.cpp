// Entry of the admin tool: --version and --help, or the application, the main window, the
// event loop.
#include "ProgramVersions.h"
#include "admin/MainWindow.h"
#include "frame/AppEntry.h"

int main(int argc, char* argv[])
{
    const orvane::ProgramInfo info{
        "admin-tool", "Orvane Admin Tool", orvane::kAdminToolVersion,
        "Orvane Admin Tool: finds the Orvane status sign on the PC's USB serial ports, shows\n"
        "its identity, reads and writes its network configuration, uploads audio and\n"
        "firmware, and browses, copies and formats its flash file system.\n",
        "orvane-admin-tool"};
    return orvane::runFixedWindowProgram<MainWindow>(argc, argv, info);
}
