#include "frame/AppEntry.h"

#include <cstdio>

#include "frame/AppIcon.h"

namespace orvane {

bool printProgramInfo(int argc, char** argv, const ProgramInfo& info, int& status)
{
    const std::string answer = programInfoAnswer(std::vector<std::string>(argv + 1, argv + argc), info);
    if (answer.empty())
        return false;
    const bool written = std::fputs(answer.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    status = written ? 0 : 1;
    return true;
}

void dressApplication(const ProgramInfo& info)
{
    QApplication::setWindowIcon(appIcon());
    QGuiApplication::setDesktopFileName(QLatin1String(info.desktopEntry));
}

}  // namespace orvane
