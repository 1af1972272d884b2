#include "StreamTarget.h"

#include <QFileDevice>

namespace orvane::transfer {

namespace {
void flush(QIODevice& stream) {
    if (auto* file = qobject_cast<QFileDevice*>(&stream)) file->flush();
}
}  // namespace

bool StreamTarget::write(const uint8_t* data, qint64 n) {
    hash_.addData(reinterpret_cast<const char*>(data), int(n));
    size_ += n;
    return stream_.write(reinterpret_cast<const char*>(data), n) == n;
}

bool StreamTarget::commit() {
    flush(stream_);
    if (auto* file = qobject_cast<QFileDevice*>(&stream_)) return file->error() == QFileDevice::NoError;
    return true;
}

void StreamTarget::abandon() { flush(stream_); }

QString StreamTarget::errorString() const {
    return stream_.errorString().isEmpty() ? QStringLiteral("the stream cannot be written")
                                           : stream_.errorString();
}

}  // namespace orvane::transfer
