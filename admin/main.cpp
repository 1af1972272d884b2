// Entry of the admin tool: the application, the main window, the event loop.
#include <QApplication>

#include "admin/MainWindow.h"
#include "discovery/AppFonts.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    orvane::installFontSubstitutions();
    // Qt's own high-DPI scaling stays off: the window scales its fixed layout itself.
    MainWindow window;
    window.show();
    return app.exec();
}
