#include "PartialFile.h"

#include <filesystem>
#include <system_error>

namespace orvane::transfer {

PartialFile::PartialFile(const QString& targetPath)
    : target_(targetPath), part_(partPath(targetPath)) {}

PartialFile::~PartialFile() {
    if (!done_) abandon();
}

QString PartialFile::partPath(const QString& targetPath) {
    return targetPath + QStringLiteral(".part");
}

bool PartialFile::open() {
    written_ = 0;
    done_ = false;
    opened_ = part_.open(QIODevice::WriteOnly | QIODevice::Truncate);
    return opened_;
}

bool PartialFile::write(const uint8_t* data, qint64 n) {
    const qint64 put = part_.write(reinterpret_cast<const char*>(data), n);
    if (put > 0) written_ += put;
    return put == n;
}

bool PartialFile::commit() {
    done_ = true;
    opened_ = false;
    const bool flushed = part_.flush();
    part_.close();
    if (!flushed || part_.error() != QFileDevice::NoError) return false;
    // One rename that replaces the target, so the old file stays whole until the new one is
    // complete (QFile::rename refuses to replace).
    std::error_code error;
    std::filesystem::rename(std::filesystem::u8path(part_.fileName().toStdString()),
                            std::filesystem::u8path(target_.toStdString()), error);
    return !error;
}

void PartialFile::abandon() {
    done_ = true;
    if (!opened_) return;
    opened_ = false;
    part_.close();
    if (written_ == 0) part_.remove();
}

}  // namespace orvane::transfer
