// Reading the device's disk-information record and file descriptors: the directory count,
// directory names and file names, never beyond the bytes received.
#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace orvane::fs {

constexpr int kDiskInfoSize = 200;
constexpr int kFileDescSize = 24;    // the descriptor bytes the host keeps
constexpr int kMaxDirectories = 8;   // directory lists the host keeps
constexpr int kMaxFilesPerDir = 16;  // file indexes 0 to 15
constexpr int kDirCountOffset = 4;
constexpr int kDirNameOffset = 14;
constexpr int kDirNameStride = 24;

using DiskInfo = std::array<uint8_t, kDiskInfoSize>;
using FileDesc = std::array<uint8_t, kFileDescSize>;

// The directory count as the device states it.
int directoryCount(const DiskInfo& record);
// The count of directories the host lists: the stated count, at most 8.
int listedDirectoryCount(const DiskInfo& record);
// Name of directory i: up to its first zero byte, at most to the end of its 24-byte field
// and of the record.
QString directoryName(const DiskInfo& record, int i);

// A descriptor whose first byte is 0x00 or 0xFF marks the end of its directory.
bool isEmptyDescriptor(const FileDesc& desc);
// The file name: up to the first zero byte, at most the 24 bytes kept.
QString fileName(const FileDesc& desc);

}  // namespace orvane::fs
