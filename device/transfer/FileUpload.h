// Upload of one local file into the device's file system: file start, 512-byte chunks in
// order, each acknowledged before the next, then end of file.
#pragma once

#include <QString>

#include "TransferReport.h"

class cUSB_CDC_Protocol;

namespace orvane::transfer {

constexpr int kUploadChunk = 512;

// Sends the file at `path` under deviceFileName(path, toUpdates). Logs the user-visible lines
// and reports per-file progress. True when the device holds the whole file.
bool uploadFile(cUSB_CDC_Protocol* protocol, const QString& path, bool toUpdates,
                const TransferReport& report);

}  // namespace orvane::transfer
