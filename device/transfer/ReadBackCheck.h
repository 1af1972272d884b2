// Verification of an upload: the file read back from the device (readDeviceFile into this
// target) is compared, chunk by chunk, with the local file it came from, and hashed, without
// writing anything to disk.
#pragma once

#include <QCryptographicHash>
#include <QFile>
#include <QString>

#include "ReadTarget.h"

namespace orvane::transfer {

class ReadBackCheck : public ReadTarget {
public:
    explicit ReadBackCheck(const QString& localPath);

    bool open() override;
    bool begin(quint64 size) override;
    bool write(const uint8_t* data, qint64 n) override;
    bool commit() override { return true; }
    void abandon() override {}
    QString errorString() const override { return error_; }

    // After a complete read: the device's copy has the local file's size and bytes.
    bool same() const { return deviceSize_ == local_.size() && firstDifference_ < 0; }
    // What differs, in words: the sizes, or the offset of the first differing byte.
    QString difference() const;
    QByteArray deviceSha256() const;  // lower-case hexadecimal of the bytes read back

private:
    QFile local_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
    qint64 deviceSize_ = -1;
    qint64 offset_ = 0;
    qint64 firstDifference_ = -1;
    QString error_;
};

}  // namespace orvane::transfer
