// The process entry both programs share: the application, the font substitutions, one
// main window shown, the event loop.
#pragma once

#include <QApplication>

#include "forms/AppFonts.h"

namespace orvane {

// Runs the program whose main window is `Window` and returns the event loop's exit code.
// Qt's own high-DPI scaling stays off: each window scales its fixed layout itself. The
// window is destroyed before the application object.
template <class Window>
int runFixedWindowProgram(int& argc, char** argv)
{
    QApplication app(argc, argv);
    installFontSubstitutions();
    Window window;
    window.show();
    return app.exec();
}

}  // namespace orvane
