// Reading one file of the device's file system into a local file, 256 bytes a request. The
// local file is replaced only once the whole file has arrived (see PartialFile).
#pragma once

#include <QString>

#include "ReadTarget.h"
#include "TransferReport.h"

class cUSB_CDC_Protocol;

namespace orvane::transfer {

constexpr int kReadChunk = 256;

// Reads `name` of device directory `dirIndex` into `localPath`. `name` comes from the device
// and is refused when it is not a plain file name. True on success.
bool readDeviceFile(cUSB_CDC_Protocol* protocol, const QString& localPath, quint16 dirIndex,
                    const QString& name, const TransferReport& report);
// The same into `target`, continuing at its resumeOffset(); the caller keeps the target to
// ask it why it failed.
bool readDeviceFile(cUSB_CDC_Protocol* protocol, ReadTarget& target, quint16 dirIndex,
                    const QString& name, const TransferReport& report);

}  // namespace orvane::transfer
