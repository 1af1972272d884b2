// The process entry both programs share: --version and --help answered without a window,
// then the application, its icon, the font substitutions, one main window shown, the event
// loop.
#pragma once

#include <QApplication>

#include "forms/AppFonts.h"
#include "frame/ProgramInfo.h"

namespace orvane {

// Prints the answer to --version or --help when the arguments ask for one; false when they
// do not. `status` is the exit code then: 0, or 1 when standard output could not be written.
bool printProgramInfo(int argc, char** argv, const ProgramInfo& info, int& status);
// Gives the application its icon (used by every window and dialog) and its desktop entry.
void dressApplication(const ProgramInfo& info);

// Runs the program whose main window is `Window` and returns the event loop's exit code.
// Qt's own high-DPI scaling stays off: each window scales its fixed layout itself. The
// window is destroyed before the application object.
template <class Window>
int runFixedWindowProgram(int& argc, char** argv, const ProgramInfo& info)
{
    int status = 0;
    if (printProgramInfo(argc, argv, info, status))
        return status;
    QApplication app(argc, argv);
    dressApplication(info);
    installFontSubstitutions();
    Window window;
    window.show();
    return app.exec();
}

}  // namespace orvane
