// Bytes read from the device written as they arrive to an open stream (standard output):
// nothing to put in place at the end, nothing to keep after a break. Keeps their count and
// SHA-256, since the stream cannot be read again.
#pragma once

#include <QCryptographicHash>
#include <QIODevice>

#include "ReadTarget.h"

namespace orvane::transfer {

class StreamTarget : public ReadTarget {
public:
    explicit StreamTarget(QIODevice& stream) : stream_(stream) {}

    bool open() override { return stream_.isWritable(); }
    bool write(const uint8_t* data, qint64 n) override;
    bool commit() override;
    void abandon() override;
    QString errorString() const override;

    qint64 size() const { return size_; }  // bytes written
    QByteArray sha256() const { return hash_.result().toHex(); }

private:
    QIODevice& stream_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
    qint64 size_ = 0;
};

}  // namespace orvane::transfer
