#include "RequestFailure.h"

#include "device/text/PrintableText.h"

namespace orvane::transfer {

QString requestFailedLine(FileRequest request, cUSB_CDC_Protocol::Failure why,
                          const QString& name) {
    QString what;
    switch (request) {
    case FileRequest::Store: what = QStringLiteral("store "); break;
    case FileRequest::FinishStoring: what = QStringLiteral("finish storing "); break;
    case FileRequest::Read: what = QStringLiteral("read "); break;
    case FileRequest::FinishReading: what = QStringLiteral("finish reading "); break;
    }
    const QString prefix = why == cUSB_CDC_Protocol::Failure::Refused
                               ? QStringLiteral("The device refused to ")
                               : QStringLiteral("The device did not answer the request to ");
    return prefix + what + printableText(name);
}

}  // namespace orvane::transfer
