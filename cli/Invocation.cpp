#include "cli/Invocation.h"

#include <cmath>

namespace orvane::cli {
namespace {

// "--name=value" or "--name value"; false when the value is missing.
bool optionValue(const QStringList& arguments, int& i, const QString& name, QString& value,
                 bool& matched)
{
    const QString& arg = arguments.at(i);
    matched = false;
    if (arg == name) {
        matched = true;
        if (i + 1 >= arguments.size())
            return false;
        value = arguments.at(++i);
        return true;
    }
    if (arg.startsWith(name + QLatin1Char('='))) {
        matched = true;
        value = arg.mid(name.size() + 1);
        return true;
    }
    return true;
}

}  // namespace

bool parseInvocation(const QStringList& arguments, Invocation& invocation, QString& error)
{
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (optionsEnded) {
            if (invocation.command.isEmpty())
                invocation.command = arg;
            else
                invocation.args.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            if (!invocation.command.isEmpty())
                invocation.args.append(arg);
            continue;
        }
        if (arg == QLatin1String("--json")) {
            invocation.json = true;
            invocation.jsonPretty = false;
            continue;
        }
        if (arg == QLatin1String("--json=pretty")) {
            invocation.json = true;
            invocation.jsonPretty = true;
            continue;
        }
        if (arg.startsWith(QLatin1String("--json="))) {
            error = QStringLiteral("--json takes \"pretty\" or nothing, not \"%1\"").arg(arg.mid(7));
            return false;
        }
        if (arg == QLatin1String("--bootloader")) {
            invocation.bootloader = true;
            continue;
        }
        if (arg == QLatin1String("--trace")) {
            invocation.trace = true;
            continue;
        }
        if (arg == QLatin1String("--quiet") || arg == QLatin1String("-q")) {
            invocation.quiet = true;
            continue;
        }
        if ((arg == QLatin1String("--help") || arg == QLatin1String("-h")) &&
            invocation.command.isEmpty()) {
            invocation.help = true;
            continue;
        }
        if (arg == QLatin1String("--version") && invocation.command.isEmpty()) {
            invocation.version = true;
            continue;
        }
        bool matched = false;
        QString value;
        if (!optionValue(arguments, i, QStringLiteral("--port"), value, matched)) {
            error = QStringLiteral("--port needs a port name or path");
            return false;
        }
        if (matched) {
            if (value.isEmpty()) {
                error = QStringLiteral("--port needs a port name or path");
                return false;
            }
            invocation.port = value;
            continue;
        }
        if (!optionValue(arguments, i, QStringLiteral("--wait"), value, matched)) {
            error = QStringLiteral("--wait needs a number of seconds");
            return false;
        }
        if (matched) {
            bool ok = false;
            const double seconds = value.toDouble(&ok);
            if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 86400) {
                error = QStringLiteral("--wait needs a number of seconds from 0 to 86400, not \"%1\"")
                            .arg(value);
                return false;
            }
            invocation.waitGiven = true;
            invocation.waitSeconds = seconds;
            continue;
        }
        if (invocation.command.isEmpty()) {
            if (arg.startsWith(QLatin1Char('-'))) {
                error = QStringLiteral("unknown option %1").arg(arg);
                return false;
            }
            invocation.command = arg;
        } else {
            invocation.args.append(arg);
        }
    }
    return true;
}

bool takeOutputOption(QStringList& args, QString& value, QString& error)
{
    bool found = false;
    for (int i = 0; i < args.size();) {
        const QString arg = args.at(i);
        QString given;
        bool matched = false;
        if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("%1 needs a value").arg(arg);
                return false;
            }
            given = args.at(i + 1);
            args.removeAt(i);
            args.removeAt(i);
            matched = true;
        } else if (arg.startsWith(QLatin1String("-o=")) || arg.startsWith(QLatin1String("--output="))) {
            given = arg.mid(arg.indexOf(QLatin1Char('=')) + 1);
            args.removeAt(i);
            matched = true;
        } else {
            ++i;
        }
        if (!matched)
            continue;
        if (found) {
            error = QStringLiteral("-o is given twice");
            return false;
        }
        if (given.isEmpty()) {
            error = QStringLiteral("-o needs a value");
            return false;
        }
        found = true;
        value = given;
    }
    return true;
}

bool takeFlag(QStringList& args, const QString& flag)
{
    return args.removeAll(flag) > 0;
}

QString firstOption(const QStringList& args)
{
    for (const QString& arg : args) {
        if (arg == QLatin1String("--"))
            return QString();
        if (arg.size() > 1 && arg.startsWith(QLatin1Char('-')))
            return arg;
    }
    return QString();
}

}  // namespace orvane::cli
