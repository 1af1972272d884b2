// A local file received from the device: the bytes go into "<path>.part" beside the target,
// which is replaced only when the whole file has arrived. A transfer that breaks off leaves
// the target untouched and keeps what arrived in "<path>.part", so that a later read may
// continue it (Mode::Resume). A "<path>.part" that cannot be finished (the disk is full) is
// removed.
#pragma once

#include <QFile>
#include <QString>

#include "ReadTarget.h"

namespace orvane::transfer {

class PartialFile : public ReadTarget {
public:
    enum class Mode {
        Replace,  // an existing "<path>.part" is emptied and written anew
        Fresh,    // an existing "<path>.part" is left alone and open() fails
        Resume,   // an existing "<path>.part" is continued (it is created when missing)
    };

    // `chunk`: with Mode::Resume the bytes kept are rounded down to a multiple of it, so the
    // read continues at a request boundary.
    explicit PartialFile(const QString& targetPath, Mode mode = Mode::Replace, int chunk = 1);
    ~PartialFile() override;  // abandons an uncommitted file
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    static QString partPath(const QString& targetPath);

    bool open() override;
    quint64 resumeOffset() const override { return kept_; }
    // Refuses a kept part larger than `size` (it cannot belong to this file); the part stays.
    bool begin(quint64 size) override;
    // True when all `n` bytes were written.
    bool write(const uint8_t* data, qint64 n) override;
    qint64 written() const { return written_; }
    // Puts the received bytes in place of the target. False when that fails; the bytes then
    // stay in "<target>.part".
    bool commit() override;
    // Ends an incomplete transfer: keeps "<target>.part" when it holds bytes, removes it
    // when it is empty or when writing to it failed.
    void abandon() override;
    QString errorString() const override { return error_; }

private:
    QString target_;
    QFile part_;
    Mode mode_;
    int chunk_;
    qint64 partSize_ = 0;  // size of the part an earlier read left (Mode::Resume)
    quint64 kept_ = 0;     // bytes of it that are continued
    qint64 written_ = 0;   // bytes written by this read
    bool opened_ = false;
    bool done_ = false;
    bool writeFailed_ = false;
    QString error_;
};

}  // namespace orvane::transfer
