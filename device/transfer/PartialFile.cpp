#include "PartialFile.h"

#include <filesystem>
#include <system_error>

namespace orvane::transfer {

PartialFile::PartialFile(const QString& targetPath, Mode mode, int chunk)
    : target_(targetPath), part_(partPath(targetPath)), mode_(mode), chunk_(qMax(1, chunk)) {}

PartialFile::~PartialFile() {
    if (!done_) abandon();
}

QString PartialFile::partPath(const QString& targetPath) {
    return targetPath + QStringLiteral(".part");
}

bool PartialFile::open() {
    written_ = 0;
    kept_ = 0;
    partSize_ = 0;
    done_ = false;
    writeFailed_ = false;
    error_.clear();
    switch (mode_) {
    case Mode::Replace:
        opened_ = part_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
        break;
    case Mode::Fresh:
        // NewOnly: a file of that name appearing meanwhile is never opened, let alone emptied.
        opened_ = part_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered);
        break;
    case Mode::Resume:
        // Left as it is until begin() has checked it against the size to read.
        opened_ = part_.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
        if (opened_) {
            partSize_ = part_.size();
            kept_ = quint64(partSize_ - partSize_ % chunk_);
        }
        break;
    }
    if (!opened_) {
        error_ = mode_ == Mode::Fresh && part_.exists()
                     ? QStringLiteral("%1 already exists").arg(part_.fileName())
                     : QStringLiteral("%1: %2").arg(part_.fileName(), part_.errorString());
        part_.close();
    }
    return opened_;
}

bool PartialFile::begin(quint64 size) {
    if (mode_ != Mode::Resume) return true;
    if (quint64(partSize_) > size) {
        error_ = QStringLiteral("%1 holds %2 bytes, more than the %3 bytes to read: it is not part "
                                "of this file")
                     .arg(part_.fileName())
                     .arg(partSize_)
                     .arg(size);
        kept_ = 0;
        return false;
    }
    // The bytes of a request that may have arrived only in part are read again.
    if (part_.resize(qint64(kept_)) && part_.seek(qint64(kept_))) return true;
    error_ = QStringLiteral("%1: %2").arg(part_.fileName(), part_.errorString());
    kept_ = 0;
    return false;
}

bool PartialFile::write(const uint8_t* data, qint64 n) {
    // Unbuffered: a full disk shows at the chunk that did not fit. A short write is tried
    // again for the rest, which fails with the system's reason.
    qint64 done = 0;
    while (done < n) {
        const qint64 put = part_.write(reinterpret_cast<const char*>(data) + done, n - done);
        if (put <= 0) break;
        done += put;
    }
    written_ += done;
    const bool ok = done == n;
    if (!ok) {
        writeFailed_ = true;
        error_ = part_.errorString();
    }
    return ok;
}

bool PartialFile::commit() {
    done_ = true;
    opened_ = false;
    const bool flushed = part_.flush();
    part_.close();
    if (!flushed || part_.error() != QFileDevice::NoError) {
        error_ = part_.errorString();
        return false;
    }
    // One rename that replaces the target, so the old file stays whole until the new one is
    // complete (QFile::rename refuses to replace).
    std::error_code error;
    std::filesystem::rename(std::filesystem::u8path(part_.fileName().toStdString()),
                            std::filesystem::u8path(target_.toStdString()), error);
    if (error) error_ = QString::fromStdString(error.message());
    return !error;
}

void PartialFile::abandon() {
    done_ = true;
    if (!opened_) return;
    opened_ = false;
    part_.close();
    if (writeFailed_ || (written_ == 0 && partSize_ == 0)) part_.remove();
}

}  // namespace orvane::transfer
