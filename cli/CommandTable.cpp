#include "cli/CommandTable.h"

#include <QStringList>

namespace orvane::cli {
namespace {

const Command kCommands[] = {
    {"ports", "ports", "list the candidate ports and what each is",
     "Lists the serial ports the device may be on (USB ports with the device's vendor\n"
     "identifiers, then the virtual ports of $ORVANE_VIRTUAL_PORTS) with their vendor\n"
     "identifier, and asks each for its version text; a port that gives none is shown with\n"
     "the reason (permission denied, held by another program, no answer). Needs no device.\n",
     runPorts},
    {"info", "info", "show the device's identity",
     "Shows the device's identifier (Velmora ID), Wi-Fi and Ethernet MAC addresses,\n"
     "firmware version and mode.\n",
     runInfo},
    {"config show", "config show", "show the network configuration",
     "Reads the network configuration and prints it as KEY=VALUE lines, with the keys of\n"
     "\"config set\". With Wi-Fi off the Wi-Fi settings are not read and not shown.\n",
     runConfigShow},
    {"config set", "config set KEY=VALUE...", "change the network configuration",
     "Reads the configuration, applies the changes, writes it as the window's \"Write Config\n"
     "to Device\" does (uploading the key and certificate files when given) and reads it back.\n"
     "Fails, naming each setting, when the read-back differs from what was written. Key and\n"
     "certificate files are verified as \"upload\" verifies its files (--no-verify, --verify).\n"
     "Keys:\n"
     "  wifi, ethernet, proxy       on or off\n"
     "  security                    open, wpa or wpa2-enterprise\n"
     "  ssid, username, password    Wi-Fi network, EAP user name, WPA or EAP password\n"
     "  key-file, cert-file         local EAP key and certificate files (wpa2-enterprise)\n"
     "  proxy-url, proxy-port, proxy-username, proxy-password\n"
     "Example: admin-cli config set wifi=on security=wpa ssid=Shop password=secret\n",
     runConfigSet},
    {"flash", "flash [--any-name] FILE...", "upload firmware images and install them",
     "Uploads up to three firmware images into the device's \"Updates/\" folder (system.bin,\n"
     "drivers.bin and interface.bin get the device's names for them), reads each back and\n"
     "compares it, tells the device to install them, waits for it to leave its port and to\n"
     "come back (60 s, or --wait SECONDS), checks it is the same device (its identifier) and\n"
     "prints the firmware version before and after. After a failed upload or verification\n"
     "the update is not started; a device that refuses the update or never goes away fails\n"
     "with \"The device did not restart: the update was not installed\". An unchanged version\n"
     "is a warning only (re-flashing a version is allowed).\n"
     "The device installs only files named system.bin, drivers.bin and interface.bin: other\n"
     "names are refused before connecting unless --any-name is given. --no-verify and --verify\n"
     "as for upload.\n",
     runFlash},
    {"upload", "upload [--no-verify] FILE...", "upload files into the device's root folder",
     "Uploads the files into the device's root folder under their own names, as the audio\n"
     "page does, then reads each back and compares it with the local file. Prints each\n"
     "file's size and SHA-256 and whether it was verified. A file that differs or cannot be\n"
     "read back fails (\"Verification failed for NAME: ...\"). A file the device does not\n"
     "list is reported \"not verified\" and fails only with --verify. --no-verify skips the\n"
     "read-back. Local files are checked before connecting: they must exist, be readable,\n"
     "hold at most 4294967295 bytes and have a UTF-8 name of at most 32 bytes on the device.\n",
     runUpload},
    {"ls", "ls [DIR]", "list directories, or the files of one",
     "Without DIR lists the device's directories; with DIR the files in it. The root\n"
     "directory is \"/\".\n",
     runList},
    {"get", "get [--resume] DIR/NAME... [-o FOLDER|-]", "copy files from the device",
     "Copies device files into FOLDER (default: the current folder, which must exist) under\n"
     "their own names and prints each one's size and SHA-256. A file is replaced only once it\n"
     "has arrived whole; a transfer that breaks off or is interrupted leaves what came as\n"
     "NAME.part, and --resume continues from there. An existing NAME.part is never\n"
     "overwritten: without --resume the command refuses to start. -o - writes the one file\n"
     "named to standard output. A bare NAME or /NAME is a file of the root directory.\n",
     runGet},
    {"rm", "rm DIR/NAME...", "delete files (none when one is missing)",
     "Deletes the files, in the order given. Every name is checked against the device's\n"
     "list of files first: when one is missing, nothing is deleted. Stops at the first file\n"
     "the device fails to delete; the files before it stay deleted.\n",
     runRemove},
    {"format", "format --yes", "erase the device's file system",
     "Formats the device's flash file system: every file is lost. Refuses to run without\n"
     "--yes. Lists the device afterwards and fails when files remain.\n",
     runFormat},
    {"clear-history", "clear-history", "delete the device's firmware update history",
     "Deletes the device's update history (Updates/dnloads.cfg).\n", runClearHistory},
    {"dump-flash", "dump-flash [--resume] [-o FILE|-]", "copy the whole 8 MiB flash to a file",
     "Reads the device's whole 8 MiB flash into FILE (default: flashimage.bin; a folder\n"
     "means flashimage.bin in it) and prints its size and SHA-256. The file is replaced only\n"
     "once the image is complete; until then it grows as FILE.part, which --resume continues\n"
     "after an interruption. -o - writes the image to standard output, for example\n"
     "\"admin-cli dump-flash -o - | sha256sum\" (the log stays on standard error).\n",
     runDumpFlash},
    {"set-id", "set-id N", "write the device's identifier",
     "Writes the identifier N (a decimal number from 0 to 18446744073709551615), reads it\n"
     "back, and fails when the device reports another one.\n",
     runSetId},
};

// The command named `name`, or every command of the group `name` ("config").
QList<const Command*> matching(const QString& name)
{
    QList<const Command*> found;
    for (const Command& c : kCommands) {
        const QString commandName = QLatin1String(c.name);
        if (commandName == name || commandName.startsWith(name + QLatin1Char(' ')))
            found.append(&c);
    }
    return found;
}

QString commandText(const Command& c)
{
    return QStringLiteral("Usage: admin-cli [OPTIONS] %1\n\n%2")
        .arg(QLatin1String(c.synopsis), QString::fromUtf8(c.details));
}

}  // namespace

const Command* findCommand(const QString& name)
{
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

QString commandSynopsis(const QString& name)
{
    QStringList lines;
    for (const Command* c : matching(name))
        lines.append(QLatin1String(c->synopsis));
    return lines.isEmpty() ? QStringLiteral("COMMAND [ARGS]") : lines.join(QStringLiteral(" | "));
}

QString generalHelp()
{
    QString text = QStringLiteral(
        "Usage: admin-cli [OPTIONS] COMMAND [ARGS]\n"
        "\n"
        "Services an Orvane device from the command line: the admin tool's jobs, for scripts\n"
        "and factory lines.\n"
        "\n"
        "Commands:\n");
    for (const Command& c : kCommands)
        text += QStringLiteral("  %1 %2\n").arg(QLatin1String(c.synopsis), -28).arg(QLatin1String(c.summary));
    text += QStringLiteral(
        "\n"
        "Options (before or after the command):\n"
        "  --port PORT     use this port: a device path (/dev/ttyACM0), a relative path\n"
        "                  (./ports/sim0), a bare name looked up under /dev (ttyACM0), or the\n"
        "                  name of a virtual port; otherwise the candidate ports are tried in\n"
        "                  turn\n"
        "  --bootloader    take a device that answers from its bootloader (otherwise it is\n"
        "                  passed over, as with \"Skip the Bootloader\" checked in the window)\n"
        "  --wait SECONDS  wait this long for a device to appear; for flash, how long to wait\n"
        "                  for the restarted device (default 60)\n"
        "  --json          print the result as one JSON document on one line of standard\n"
        "                  output, with \"time\" (ISO 8601, UTC), \"ok\" and \"exitStatus\";\n"
        "                  appended to a file, the results make JSON Lines\n"
        "  --json=pretty   the same document, indented over several lines\n"
        "  --quiet, -q     no log lines and no progress bar on standard error (errors and\n"
        "                  the reasons why no device was found are still shown)\n"
        "  --trace         every frame sent and received, in hexadecimal with the time in\n"
        "                  milliseconds and the command's name, and the link's diagnostic\n"
        "                  lines, on standard error (for bug reports)\n"
        "  --help, -h      this text; \"admin-cli COMMAND --help\" describes a command\n"
        "  --version       the program's name and version\n"
        "\n"
        "The log lines of the jobs go to standard error in the admin tool's words; on a\n"
        "terminal, long jobs show a progress bar there too. When no device is found, every\n"
        "port tried is named with the reason: permission denied (with what to do about it),\n"
        "held by another program, answering from its bootloader, or no answer.\n"
        "\n"
        "Exit status: 0 success, 1 the device refused or did not answer, 2 wrong usage\n"
        "(including a local file that cannot be read), 3 no device found, 4 no device found\n"
        "because the user may not open the port, 130 stopped by Ctrl-C (a transfer stops\n"
        "after the exchange under way).\n"
        "\n"
        "Environment: ORVANE_VIRTUAL_PORTS names a folder whose entries are extra candidate\n"
        "ports (where device-sim publishes its port).\n");
    return text;
}

QString commandHelp(const QString& name)
{
    QStringList parts;
    for (const Command* c : matching(name))
        parts.append(commandText(*c));
    return parts.join(QLatin1Char('\n'));
}

}  // namespace orvane::cli
