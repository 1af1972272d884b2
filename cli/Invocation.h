// The command line as parsed: the global options, the command and its own arguments.
// Parsing checks only the global options; each command checks its own arguments.
#pragma once

#include <QString>
#include <QStringList>

namespace orvane::cli {

struct Invocation {
    QString port;             // --port: a port name or path ("" = probe the candidates)
    bool json = false;        // --json: one compact JSON document per line
    bool jsonPretty = false;  // --json=pretty: the document indented over several lines
    bool bootloader = false;  // --bootloader: take a device that answers from its bootloader
    bool trace = false;       // --trace: every frame and the link's diagnostics on stderr
    bool quiet = false;       // --quiet
    bool waitGiven = false;   // --wait was given
    double waitSeconds = 0;   // --wait SECONDS
    bool help = false;        // --help before or without a command
    bool version = false;     // --version before or without a command
    QString command;          // "info", "config", ...
    QStringList args;         // the command's arguments, options included ("-o", "--yes")
};

// Parses `arguments` (without the program name). Global options may stand before or after
// the command; "--" ends the options. False, with `error` set, on wrong usage.
bool parseInvocation(const QStringList& arguments, Invocation& invocation, QString& error);

// Takes "-o VALUE" (or "-o=VALUE", "--output VALUE") out of `args`. False, with `error`, when
// the option is given twice or without a value.
bool takeOutputOption(QStringList& args, QString& value, QString& error);
// Takes `flag` out of `args`; true when it was there.
bool takeFlag(QStringList& args, const QString& flag);
// The first argument that looks like an option ("-x", "--x"), or "" when none.
QString firstOption(const QStringList& args);

}  // namespace orvane::cli
