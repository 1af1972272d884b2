// Whole transfer jobs over a work list, as the admin window's worker and the command-line
// tool run them: every upload of a list, every listed device file, the flash image.
#pragma once

#include <QString>

#include "TransferItem.h"
#include "TransferReport.h"

class cUSB_CDC_Protocol;

namespace orvane::transfer {

// Uploads the items in order; an empty name ends the list. The first failed file ends the
// job. Logs "Firmware downloding is complete" and returns true when every file was sent.
bool runUploadJob(cUSB_CDC_Protocol* protocol, const TransferItems& items,
                  const TransferReport& report);

// Reads the listed device files of directory `dirIndex` into `folder`; an empty name ends the
// list. The first failed file ends the job. Logs "File getting is complete" on success.
bool runReadFilesJob(cUSB_CDC_Protocol* protocol, const TransferItems& items,
                     const QString& folder, quint16 dirIndex, const TransferReport& report);

// Reads the whole flash into `folder`/flashimage.bin; logs "Flash reading is complete".
bool runFlashImageJob(cUSB_CDC_Protocol* protocol, const QString& folder,
                      const TransferReport& report);

}  // namespace orvane::transfer
