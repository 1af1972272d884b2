#include "cli/AdminCli.h"

#include "ProgramVersions.h"
#include "cli/Command.h"
#include "cli/CommandTable.h"
#include "cli/DeviceChoice.h"
#include "cli/ExitStatus.h"
#include "cli/Invocation.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane::cli {
namespace {

int wrongUsage(Console& console, const QString& text)
{
    console.setError(text);
    console.message(QStringLiteral("admin-cli: ") + text);
    console.message(QStringLiteral(
        "Usage: admin-cli [OPTIONS] COMMAND [ARGS]\n"
        "(admin-cli --help lists the commands)"));
    console.finish(ExitUsage);
    return ExitUsage;
}

// True when --help or -h stands among the command's options.
bool asksForHelp(const QStringList& args)
{
    for (const QString& arg : args) {
        if (arg == QLatin1String("--"))
            return false;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return true;
    }
    return false;
}

}  // namespace

int runAdminCli(const QStringList& arguments, QTextStream& out, QTextStream& err,
                ConsoleOptions options, const std::atomic<bool>* stop)
{
    Invocation invocation;
    QString error;
    const bool parsed = parseInvocation(arguments, invocation, error);
    options.json = invocation.json;
    options.jsonPretty = invocation.jsonPretty;
    options.quiet = invocation.quiet;
    Console console(out, err, options);
    if (!parsed)
        return wrongUsage(console, error);

    if (invocation.version) {
        out << QStringLiteral("admin-cli %1\n").arg(QLatin1String(kAdminToolVersion));
        out.flush();
        return ExitOk;
    }
    if (invocation.help || invocation.command == QLatin1String("help")) {
        const QString topic = invocation.command == QLatin1String("help") && !invocation.args.isEmpty()
                                  ? invocation.args.first()
                                  : QString();
        const QString text = topic.isEmpty() ? generalHelp() : commandHelp(topic);
        if (text.isEmpty())
            return wrongUsage(console, QStringLiteral("unknown command \"%1\"").arg(topic));
        out << text;
        out.flush();
        return ExitOk;
    }
    if (invocation.command.isEmpty())
        return wrongUsage(console, QStringLiteral("no command given"));

    if (invocation.command == QLatin1String("config") && !invocation.args.isEmpty() &&
        !invocation.args.first().startsWith(QLatin1Char('-')))
        invocation.command += QLatin1Char(' ') + invocation.args.takeFirst();

    if (asksForHelp(invocation.args)) {
        const QString text = commandHelp(invocation.command);
        if (text.isEmpty())
            return wrongUsage(console, QStringLiteral("unknown command \"%1\"").arg(invocation.command));
        out << text;
        out.flush();
        return ExitOk;
    }

    const Command* command = findCommand(invocation.command);
    if (!command) {
        if (invocation.command == QLatin1String("config"))
            return wrongUsage(console, QStringLiteral("config needs \"show\" or \"set\""));
        return wrongUsage(console, QStringLiteral("unknown command \"%1\"").arg(invocation.command));
    }

    console.document().insert(QStringLiteral("command"), invocation.command);
    cUSB_CDC_Protocol link;
    if (invocation.trace)
        traceLink(link, console);
    CommandCall call(invocation, console, link, stop);
    int status = command->run(call);
    releaseDevice(link);
    if (stop && *stop && status != ExitInterrupted) {
        // Whatever the command made of it, the user ended it (a command that said so itself,
        // with how to go on, has already reported it).
        const QString text = QStringLiteral("Interrupted");
        console.setError(text);
        console.message(text);
        status = ExitInterrupted;
    }
    console.finish(status);
    return status;
}

}  // namespace orvane::cli
