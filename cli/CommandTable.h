// The commands of admin-cli, their help texts, and the texts of --help.
#pragma once

#include <QString>

#include "cli/Command.h"

namespace orvane::cli {

// The command named `name` ("info", "config show"...), or nullptr.
const Command* findCommand(const QString& name);

// "COMMAND ARGS" of a command, or of every command starting with `name` ("config").
QString commandSynopsis(const QString& name);
// The whole of "admin-cli --help".
QString generalHelp();
// The whole of "admin-cli COMMAND --help" (covers "config show" and "config set" for
// "config"); empty for an unknown command.
QString commandHelp(const QString& name);

// Each group's file defines its commands.
int runPorts(CommandCall& call);
int runInfo(CommandCall& call);
int runSetId(CommandCall& call);
int runConfigShow(CommandCall& call);
int runConfigSet(CommandCall& call);
int runFlash(CommandCall& call);
int runUpload(CommandCall& call);
int runGet(CommandCall& call);
int runDumpFlash(CommandCall& call);
int runList(CommandCall& call);
int runRemove(CommandCall& call);
int runFormat(CommandCall& call);
int runClearHistory(CommandCall& call);

}  // namespace orvane::cli
