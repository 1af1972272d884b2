// Entry of the admin tool: the application, the main window, the event loop.
#include "admin/MainWindow.h"
#include "frame/AppEntry.h"

int main(int argc, char* argv[])
{
    return orvane::runFixedWindowProgram<MainWindow>(argc, argv);
}
