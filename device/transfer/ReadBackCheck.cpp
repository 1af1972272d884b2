#include "ReadBackCheck.h"

namespace orvane::transfer {

ReadBackCheck::ReadBackCheck(const QString& localPath) : local_(localPath) {}

bool ReadBackCheck::open() {
    if (local_.open(QIODevice::ReadOnly)) return true;
    error_ = QStringLiteral("%1: %2").arg(local_.fileName(), local_.errorString());
    return false;
}

bool ReadBackCheck::begin(quint64 size) {
    deviceSize_ = qint64(size);
    return true;
}

bool ReadBackCheck::write(const uint8_t* data, qint64 n) {
    hash_.addData(reinterpret_cast<const char*>(data), int(n));
    if (firstDifference_ < 0) {
        const QByteArray mine = local_.read(n);
        for (qint64 i = 0; i < n; ++i) {
            if (i >= mine.size() || uint8_t(mine.at(int(i))) != data[i]) {
                firstDifference_ = offset_ + i;
                break;
            }
        }
    }
    offset_ += n;
    return true;
}

QString ReadBackCheck::difference() const {
    if (deviceSize_ != local_.size())
        return QStringLiteral("the device holds %1 bytes, the local file has %2")
            .arg(deviceSize_)
            .arg(local_.size());
    if (firstDifference_ >= 0)
        return QStringLiteral("the first differing byte is at offset %1").arg(firstDifference_);
    return QString();
}

QByteArray ReadBackCheck::deviceSha256() const { return hash_.result().toHex(); }

}  // namespace orvane::transfer
