// Entry of the serial-number writer: --version and --help, or the application, the main
// window, the event loop.
#include "ProgramVersions.h"
#include "frame/AppEntry.h"
#include "snwriter/MainWindow.h"

int main(int argc, char* argv[])
{
    const orvane::ProgramInfo info{
        "sn-writer", "Orvane SN Writer", orvane::kSnWriterVersion,
        "Orvane SN Writer: finds the Orvane status sign on the PC's USB serial ports, shows\n"
        "the identifier (Velmora ID) it holds, writes a new one and reads it back.\n",
        "orvane-sn-writer"};
    return orvane::runFixedWindowProgram<snwriter::MainWindow>(argc, argv, info);
}
