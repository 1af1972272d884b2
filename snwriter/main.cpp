// Entry of the serial-number writer: the application, the main window, the event loop.
#include "frame/AppEntry.h"
#include "snwriter/MainWindow.h"

int main(int argc, char* argv[])
{
    return orvane::runFixedWindowProgram<snwriter::MainWindow>(argc, argv);
}
