// Reading the device's raw flash, from offset 0, into one local image file, 256 bytes a
// request. The local file is replaced only once the whole image has arrived.
#pragma once

#include <QString>

#include "ReadTarget.h"
#include "TransferReport.h"

class cUSB_CDC_Protocol;

namespace orvane::transfer {

constexpr quint32 kFlashImageSize = 0x800000;  // 8 MiB
constexpr int kFlashChunk = 256;

QString flashImageFileName();  // "flashimage.bin"

// Reads `size` bytes of flash into `localPath`. True on success.
bool readFlashImage(cUSB_CDC_Protocol* protocol, const QString& localPath, quint32 size,
                    const TransferReport& report);
// The same into `target` (shown as `shownPath`), continuing at its resumeOffset().
bool readFlashImage(cUSB_CDC_Protocol* protocol, ReadTarget& target, const QString& shownPath,
                    quint32 size, const TransferReport& report);

}  // namespace orvane::transfer
