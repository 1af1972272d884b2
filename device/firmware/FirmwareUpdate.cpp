#include "device/firmware/FirmwareUpdate.h"

#include "link/cUSB_CDC_Protocol.h"
#include "link/platform/Deadline.h"

namespace orvane::firmware {
namespace {

void say(const LogFn& log, const QString& line)
{
    if (log)
        log(line);
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
    say(log, QStringLiteral("The Device is updating the firmware"));
    // Gives the device time to take the command before the port goes, and the port time to
    // go before anyone looks for the restarted device.
    sleepMs(100);
    link->CloseIfOpen();
    sleepMs(200);
    say(log, QStringLiteral("The Device Disconnected"));
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
