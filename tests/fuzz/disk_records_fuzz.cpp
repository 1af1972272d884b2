// The disk-information record and a file descriptor as the device sends them: counts and
// names are read from the received bytes only.
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "FuzzSupport.h"
#include "device/filesystem/DiskRecords.h"

using namespace orvane;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fs::DiskInfo record{};
    std::memcpy(record.data(), data, std::min(size, record.size()));
    const int listed = fs::listedDirectoryCount(record);
    fuzz::expect(listed <= fs::kMaxDirectories, "more directories listed than kept");
    // Past the stated count too: names are read from where the host looks, never beyond.
    for (int i = -1; i <= fs::kMaxDirectories; ++i) {
        const QString name = fs::directoryName(record, i);
        fuzz::expect(!name.contains(QChar(0)), "a directory name holds a zero");
        fuzz::expect(name.size() <= fs::kDirNameStride, "a directory name is longer than its field");
    }

    fs::FileDesc desc{};
    if (size > record.size())
        std::memcpy(desc.data(), data + record.size(), std::min(size - record.size(), desc.size()));
    fs::isEmptyDescriptor(desc);
    const QString name = fs::fileName(desc);
    fuzz::expect(!name.contains(QChar(0)) && name.size() <= fs::kFileDescSize,
                 "a file name is longer than its field");
    return 0;
}
