#include "FlashFileSystem.h"

#include <algorithm>

namespace orvane::sim {

namespace {

bool validComponent(const std::string& s, size_t maxLen, std::string* why) {
    auto fail = [why](const char* text) {
        if (why) *why = text;
        return false;
    };
    if (s.empty()) return fail("empty name");
    if (s.size() > maxLen) return fail("name too long");
    if (s == "." || s == "..") return fail("reserved name");
    for (unsigned char c : s) {
        if (c < 0x20 || c == 0x7F) return fail("control character in name");
    }
    return true;
}

}  // namespace

FlashFileSystem::FlashFileSystem() { format(); }

bool FlashFileSystem::resolve(const std::string& path, Location& where, std::string* why) const {
    // Empty components are skipped, so "//a" (root shown as "/" plus "/" plus the name)
    // and "Updates//a" still find their file.
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '/') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) parts.push_back(current);
    if (parts.empty() || parts.size() > 2) {
        if (why) *why = parts.empty() ? "empty path" : "nested directories";
        return false;
    }
    where = Location{};
    if (parts.size() == 1) {
        where.directory = 0;
        where.directoryName = dirs_[0].name;
    } else {
        if (!validComponent(parts[0], kMaxDirectoryName, why)) return false;
        where.directoryName = parts[0];
        for (size_t i = 0; i < dirs_.size(); ++i) {
            if (dirs_[i].name == parts[0]) where.directory = int(i);
        }
    }
    where.file = parts.back();
    return validComponent(where.file, kMaxFileName, why);
}

bool FlashFileSystem::canStore(const std::string& path, size_t size, std::string* why) const {
    Location where;
    if (!resolve(path, where, why)) return false;
    size_t replaced = 0;
    if (where.directory < 0) {
        if (dirs_.size() >= kMaxDirectories) {
            if (why) *why = "too many directories";
            return false;
        }
    } else {
        const auto& dir = dirs_[size_t(where.directory)];
        const DeviceFile* old = find(size_t(where.directory), where.file);
        if (old) {
            replaced = old->data.size();
        } else if (dir.files.size() >= kMaxFilesPerDirectory) {
            if (why) *why = "directory full";
            return false;
        }
    }
    if (size > kCapacity || usedBytes() - replaced + size > kCapacity) {
        if (why) *why = "no space left";
        return false;
    }
    return true;
}

bool FlashFileSystem::store(const std::string& path, std::vector<uint8_t> data, std::string* why) {
    if (!canStore(path, data.size(), why)) return false;
    Location where;
    resolve(path, where);
    if (where.directory < 0) {
        dirs_.push_back(DeviceDirectory{where.directoryName, {}});
        where.directory = int(dirs_.size() - 1);
    }
    auto& files = dirs_[size_t(where.directory)].files;
    for (auto& f : files) {
        if (f.name == where.file) {
            f.data = std::move(data);
            return true;
        }
    }
    files.push_back(DeviceFile{where.file, std::move(data)});
    return true;
}

bool FlashFileSystem::remove(const std::string& path) {
    Location where;
    if (!resolve(path, where) || where.directory < 0) return false;
    auto& files = dirs_[size_t(where.directory)].files;
    const auto it = std::find_if(files.begin(), files.end(),
                                 [&](const DeviceFile& f) { return f.name == where.file; });
    if (it == files.end()) return false;
    files.erase(it);
    return true;
}

const DeviceFile* FlashFileSystem::find(const std::string& path) const {
    Location where;
    if (!resolve(path, where) || where.directory < 0) return nullptr;
    return find(size_t(where.directory), where.file);
}

const DeviceFile* FlashFileSystem::find(size_t directory, const std::string& name) const {
    if (directory >= dirs_.size()) return nullptr;
    for (const auto& f : dirs_[directory].files) {
        if (f.name == name) return &f;
    }
    return nullptr;
}

void FlashFileSystem::format() {
    dirs_.clear();
    dirs_.push_back(DeviceDirectory{kRootName, {}});
    dirs_.push_back(DeviceDirectory{kUpdatesName, {}});
}

void FlashFileSystem::removeAllFiles() {
    for (auto& d : dirs_) d.files.clear();
}

size_t FlashFileSystem::usedBytes() const {
    size_t n = 0;
    for (const auto& d : dirs_) {
        for (const auto& f : d.files) n += f.data.size();
    }
    return n;
}

size_t FlashFileSystem::fileCount() const {
    size_t n = 0;
    for (const auto& d : dirs_) n += d.files.size();
    return n;
}

std::map<std::string, std::vector<uint8_t>> FlashFileSystem::snapshot() const {
    std::map<std::string, std::vector<uint8_t>> out;
    for (size_t i = 0; i < dirs_.size(); ++i) {
        for (const auto& f : dirs_[i].files) {
            out[i == 0 ? f.name : dirs_[i].name + "/" + f.name] = f.data;
        }
    }
    return out;
}

void FlashFileSystem::assign(std::vector<DeviceDirectory> dirs) {
    dirs_ = std::move(dirs);
    if (dirs_.empty()) dirs_.push_back(DeviceDirectory{kRootName, {}});
    if (dirs_.size() > kMaxDirectories) dirs_.resize(kMaxDirectories);
    for (auto& d : dirs_) {
        if (d.files.size() > kMaxFilesPerDirectory) d.files.resize(kMaxFilesPerDirectory);
    }
}

}  // namespace orvane::sim
