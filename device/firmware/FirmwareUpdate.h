// What follows a firmware upload on the device side, and the update history: shared by the
// admin window's "Firmware" page and the command line, so both say and send the same.
#pragma once

#include <QString>

#include <functional>

class cUSB_CDC_Protocol;

namespace orvane::firmware {

using LogFn = std::function<void(const QString& line)>;

// The device's update history file, which the tools only ever delete.
QString updateHistoryFile();  // "Updates/dnloads.cfg"

// Logged instead of starting the update when the upload of the images failed: installing
// missing or cut-short images could leave the device without working firmware.
QString updateNotStartedLine();

// Tells the device to install what is in "Updates/" (the answer is not relied on: the device
// may already be restarting), then lets go of the port: 100 ms, close, 200 ms. Logs "The
// Device is updating the firmware" and "The Device Disconnected". The device then goes away
// and comes back, usually under another port name.
void startFirmwareUpdate(cUSB_CDC_Protocol* link, const LogFn& log);

// How the device answered the start-update command.
enum class UpdateAnswer { Accepted, Refused, Unanswered };

// The same for callers that need to know the update was taken: the answer is examined (a
// status byte other than 0 is a refusal; an empty answer is taken as acceptance). Only an
// accepted command lets go of the port as startFirmwareUpdate() does; otherwise the port stays
// open and nothing is logged.
UpdateAnswer startFirmwareUpdateChecked(cUSB_CDC_Protocol* link, const LogFn& log);

// Deletes the update history. Logs "Wait for clearing..." and, on success, "Update history
// was cleared successfully". True on success.
bool clearUpdateHistory(cUSB_CDC_Protocol* link, const LogFn& log);

}  // namespace orvane::firmware
