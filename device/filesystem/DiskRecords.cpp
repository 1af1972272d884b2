#include "device/filesystem/DiskRecords.h"

#include <algorithm>
#include <cstring>

namespace orvane::fs {

namespace {
QString nameIn(const uint8_t* field, int width)
{
    const void* zero = std::memchr(field, 0, size_t(width));
    const int n = zero ? int(static_cast<const uint8_t*>(zero) - field) : width;
    return QString::fromUtf8(reinterpret_cast<const char*>(field), n);
}
}  // namespace

int directoryCount(const DiskInfo& record)
{
    return record[kDirCountOffset] | (record[kDirCountOffset + 1] << 8);
}

int listedDirectoryCount(const DiskInfo& record)
{
    return std::min(directoryCount(record), kMaxDirectories);
}

QString directoryName(const DiskInfo& record, int i)
{
    const int start = kDirNameOffset + kDirNameStride * i;
    if (i < 0 || start >= kDiskInfoSize) return QString();
    return nameIn(record.data() + start, std::min(kDirNameStride, kDiskInfoSize - start));
}

bool isEmptyDescriptor(const FileDesc& desc) { return desc[0] == 0x00 || desc[0] == 0xFF; }

QString fileName(const FileDesc& desc) { return nameIn(desc.data(), kFileDescSize); }

}  // namespace orvane::fs
