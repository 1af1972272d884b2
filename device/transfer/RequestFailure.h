// The line that says which file start or file end the device refused or did not answer, so
// that a job never ends on a failure without saying why.
#pragma once

#include <QString>

#include "link/cUSB_CDC_Protocol.h"

namespace orvane::transfer {

enum class FileRequest { Store, FinishStoring, Read, FinishReading };

// "The device refused to store NAME", "The device did not answer the request to read NAME"...
// `name` is shown with its control characters escaped.
QString requestFailedLine(FileRequest request, cUSB_CDC_Protocol::Failure why,
                          const QString& name);

}  // namespace orvane::transfer
