// A local file received from the device: the bytes go into "<path>.part" beside the target,
// which is replaced only when the whole file has arrived. A transfer that breaks off leaves
// the target untouched and keeps what arrived in "<path>.part".
#pragma once

#include <QFile>
#include <QString>

namespace orvane::transfer {

class PartialFile {
public:
    explicit PartialFile(const QString& targetPath);
    ~PartialFile();  // abandons an uncommitted file
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    static QString partPath(const QString& targetPath);

    bool open();  // creates (or truncates) "<target>.part"
    // True when all `n` bytes were written.
    bool write(const uint8_t* data, qint64 n);
    qint64 written() const { return written_; }
    // Puts the received bytes in place of the target. False when that fails; the bytes then
    // stay in "<target>.part".
    bool commit();
    // Ends an incomplete transfer: keeps "<target>.part" when it holds bytes, removes it
    // when it is empty.
    void abandon();

private:
    QString target_;
    QFile part_;
    qint64 written_ = 0;
    bool opened_ = false;
    bool done_ = false;
};

}  // namespace orvane::transfer
