// admin-cli: the admin tool's jobs from the command line.
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTextStream>

#include <atomic>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include "ProgramVersions.h"
#include "cli/AdminCli.h"

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int)
{
    // The transfer stops after its current exchange; a second Ctrl-C ends the program.
    interrupted = true;
    std::signal(SIGINT, SIG_DFL);
}

orvane::cli::ConsoleOptions describeStderr()
{
    orvane::cli::ConsoleOptions options;
#ifdef _WIN32
    options.terminal = _isatty(_fileno(stderr)) != 0;
#else
    options.terminal = isatty(STDERR_FILENO) != 0;
    struct winsize size {};
    if (options.terminal && ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 20)
        options.width = size.ws_col;
#endif
    return options;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("admin-cli"));
    QCoreApplication::setApplicationVersion(QLatin1String(orvane::kAdminToolVersion));
    // The link's and the jobs' diagnostic traces are for developers: QT_LOGGING_RULES=
    // "default.debug=true" brings them back.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    std::signal(SIGINT, onInterrupt);

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return orvane::cli::runAdminCli(arguments, out, err, describeStderr(), &interrupted);
}
