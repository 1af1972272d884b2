#include "device/firmware/FirmwareUpdate.h"

#include "link/cUSB_CDC_Protocol.h"
#include "link/codec/CommandCodes.h"
#include "link/platform/Deadline.h"

namespace orvane::firmware {
namespace {

// As long as SendStartUpdate waits for its answer.
constexpr int kStartUpdateTimeoutMs = 100;

void say(const LogFn& log, const QString& line)
{
    if (log)
        log(line);
}

// What follows the start-update command: the device restarts, so the port is let go.
void letGoForRestart(cUSB_CDC_Protocol* link, const LogFn& log)
{
    say(log, QStringLiteral("The Device is updating the firmware"));
    // Gives the device time to take the command before the port goes, and the port time to
    // go before anyone looks for the restarted device.
    sleepMs(100);
    link->CloseIfOpen();
    sleepMs(200);
    say(log, QStringLiteral("The Device Disconnected"));
}

}  // namespace

QString updateHistoryFile()
{
    return QStringLiteral("Updates/dnloads.cfg");
}

QString updateNotStartedLine()
{
    return QStringLiteral("Firmware update was not started because the upload failed");
}

void startFirmwareUpdate(cUSB_CDC_Protocol* link, const LogFn& log)
{
    link->SendStartUpdate();
    letGoForRestart(link, log);
}

UpdateAnswer startFirmwareUpdateChecked(cUSB_CDC_Protocol* link, const LogFn& log)
{
    QByteArray reply;
    if (link->Exchange(cmd::StartUpdate, QByteArray(), reply, kStartUpdateTimeoutMs))
        return UpdateAnswer::Unanswered;
    // The reply packet: three header bytes, then the status when there is one.
    if (reply.size() > 3 && reply.at(3) != 0)
        return UpdateAnswer::Refused;
    letGoForRestart(link, log);
    return UpdateAnswer::Accepted;
}

bool clearUpdateHistory(cUSB_CDC_Protocol* link, const LogFn& log)
{
    say(log, QStringLiteral("Wait for clearing..."));
    if (link->SendDeleteESP(updateHistoryFile()))
        return false;
    say(log, QStringLiteral("Update history was cleared successfully"));
    return true;
}

}  // namespace orvane::firmware
