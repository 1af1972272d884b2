// Where the bytes read from the device go: a local file replaced at the end (PartialFile),
// a stream such as standard output (StreamTarget), or a comparison with a local file
// (ReadBackCheck). The readers call open(), begin() once the size is known, write() for each
// chunk in order, then commit() on success or abandon() after a failure.
#pragma once

#include <QString>

#include <cstdint>

namespace orvane::transfer {

class ReadTarget {
public:
    virtual ~ReadTarget() = default;

    // False when the target cannot take bytes; errorString() says why.
    virtual bool open() = 0;
    // Bytes already in place from an earlier, broken read: the reader continues there.
    virtual quint64 resumeOffset() const { return 0; }
    // The whole size is now known; false (with errorString()) when the target cannot take
    // it, for example an earlier part larger than the file.
    virtual bool begin(quint64 /*size*/) { return true; }
    // True when all `n` bytes were taken.
    virtual bool write(const uint8_t* data, qint64 n) = 0;
    // Everything arrived: puts it in place. False with errorString() when that fails.
    virtual bool commit() = 0;
    // The read broke off before the end.
    virtual void abandon() = 0;
    virtual QString errorString() const = 0;
};

}  // namespace orvane::transfer
