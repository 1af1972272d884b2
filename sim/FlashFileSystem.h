// The device's flash file system: up to 8 directories of up to 16 files each, addressed by
// "Dir/file" paths (a bare name is a file of the root directory, directory 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orvane::sim {

struct DeviceFile {
    std::string name;
    std::vector<uint8_t> data;
};

struct DeviceDirectory {
    std::string name;
    std::vector<DeviceFile> files;  // in the order they were created
};

class FlashFileSystem {
public:
    static constexpr size_t kMaxDirectories = 8;
    static constexpr size_t kMaxFilesPerDirectory = 16;
    static constexpr size_t kMaxDirectoryName = 16;  // all 8 names fit the disk-info record
    static constexpr size_t kMaxFileName = 24;       // the name field of a file descriptor
    static constexpr size_t kCapacity = 4u << 20;    // bytes of file data the flash holds
    static constexpr const char* kRootName = "/";
    static constexpr const char* kUpdatesName = "Updates";

    // An empty file system: the root directory and "Updates".
    FlashFileSystem();

    // Where a path leads: a directory index (-1 when the directory does not exist yet)
    // and a file name. Fails (returns false, reason in `why`) for malformed names.
    struct Location {
        int directory = -1;
        std::string directoryName;
        std::string file;
    };
    bool resolve(const std::string& path, Location& where, std::string* why = nullptr) const;

    // Creates or replaces a file, creating its directory when needed. Refuses malformed
    // names, a ninth directory, a seventeenth file and data beyond the capacity.
    bool store(const std::string& path, std::vector<uint8_t> data, std::string* why = nullptr);
    // Whether `store` would accept a file of `size` bytes at `path`.
    bool canStore(const std::string& path, size_t size, std::string* why = nullptr) const;
    bool remove(const std::string& path);
    const DeviceFile* find(const std::string& path) const;
    const DeviceFile* find(size_t directory, const std::string& name) const;
    // Removes every file and every directory but the root and "Updates".
    void format();
    void removeAllFiles();

    const std::vector<DeviceDirectory>& directories() const { return dirs_; }
    size_t usedBytes() const;
    size_t fileCount() const;
    // Every file, keyed "Dir/name" (root files by their bare name).
    std::map<std::string, std::vector<uint8_t>> snapshot() const;
    // Restores directories exactly as listed (used when loading saved state).
    void assign(std::vector<DeviceDirectory> dirs);

private:
    std::vector<DeviceDirectory> dirs_;
};

}  // namespace orvane::sim
