#include "StateStore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>

#include "link/codec/FrameCodec.h"

namespace orvane::sim {

namespace {

constexpr const char* kStateFile = "device.state";
constexpr const char* kFlashFile = "flash.bin";
constexpr const char* kMagic = "orvane-device-state 1";

std::string hex(const uint8_t* p, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * n + 1);
    for (size_t i = 0; i < n; ++i) {
        out.push_back(digits[p[i] >> 4]);
        out.push_back(digits[p[i] & 15]);
    }
    return out.empty() ? "-" : out;
}
std::string hex(const std::string& s) { return hex(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }
std::string hex(const std::vector<uint8_t>& v) { return hex(v.data(), v.size()); }

bool unhex(const std::string& s, std::vector<uint8_t>& out) {
    out.clear();
    if (s == "-") return true;
    if (s.size() % 2) return false;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    for (size_t i = 0; i < s.size(); i += 2) {
        const int hi = nibble(s[i]), lo = nibble(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(uint8_t(hi << 4 | lo));
    }
    return true;
}
bool unhexText(const std::string& s, std::string& out) {
    std::vector<uint8_t> v;
    if (!unhex(s, v)) return false;
    out.assign(v.begin(), v.end());
    return true;
}

bool writeAtomically(const std::string& path, const std::string& data, std::string* error) {
    const std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    bool ok = f && std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = f && std::fflush(f) == 0 && ok;
    if (f) ok = std::fclose(f) == 0 && ok;
    if (ok && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
    if (error) *error = path + ": " + std::strerror(errno);
    std::remove(tmp.c_str());
    return false;
}

}  // namespace

bool loadState(const std::string& dir, DeviceModel& model, std::string* error) {
    DeviceModel next = model;
    const std::string flashPath = dir + "/" + kFlashFile;
    std::ifstream flash(flashPath, std::ios::binary);
    if (flash) {
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(flash)), {});
        if (bytes.size() == DeviceModel::kFlashSize) next.flash = std::move(bytes);
    }
    std::ifstream in(dir + "/" + kStateFile);
    if (!in) {
        model = std::move(next);
        return true;
    }
    auto bad = [&](const std::string& why) {
        if (error) *error = dir + "/" + kStateFile + ": " + why;
        return false;
    };
    std::string line;
    if (!std::getline(in, line) || line != kMagic) return bad("not a device state file");
    std::vector<DeviceDirectory> dirs;
    std::map<int, std::vector<uint8_t>> params;
    int lineNo = 1;
    while (std::getline(in, line)) {
        ++lineNo;
        std::istringstream fields(line);
        std::string key, a, b, c;
        fields >> key >> a >> b >> c;
        std::vector<uint8_t> v;
        bool ok = true;
        if (key.empty()) {
            continue;
        } else if (key == "id") {
            ok = unhex(a, v) && v.size() == 8;
            if (ok) next.identifier = frame::getLe64(v.data());
        } else if (key == "wifi-mac" || key == "eth-mac") {
            ok = unhex(a, v) && v.size() == 6;
            if (ok) std::copy(v.begin(), v.end(), (key == "wifi-mac" ? next.wifiMac : next.ethMac).begin());
        } else if (key == "version") {
            ok = unhexText(a, next.firmwareVersion);
        } else if (key == "bootloader") {
            ok = unhexText(a, next.bootloaderVersion);
        } else if (key == "mode") {
            ok = unhex(a, v) && v.size() == 4;
            if (ok) next.mode = frame::getLe32(v.data());
        } else if (key == "param") {
            ok = unhex(b, v);
            if (ok) params[std::atoi(a.c_str())] = v;
        } else if (key == "dir") {
            std::string name;
            ok = unhexText(a, name) && dirs.size() < FlashFileSystem::kMaxDirectories;
            if (ok) dirs.push_back(DeviceDirectory{name, {}});
        } else if (key == "file") {
            DeviceFile f;
            ok = !dirs.empty() && unhexText(a, f.name) && unhex(b, f.data);
            if (ok) dirs.back().files.push_back(std::move(f));
        } else {
            ok = false;
        }
        if (!ok) return bad("line " + std::to_string(lineNo) + " is malformed");
    }
    if (dirs.empty()) return bad("no directories");
    next.fs.assign(std::move(dirs));
    next.assignParams(std::move(params));
    model = std::move(next);
    return true;
}

bool saveState(const std::string& dir, const DeviceModel& model, std::string* error) {
    ::mkdir(dir.c_str(), 0755);
    std::ostringstream out;
    out << kMagic << "\n";
    std::vector<uint8_t> v;
    frame::putLe64(v, model.identifier);
    out << "id " << hex(v) << "\n";
    out << "wifi-mac " << hex(model.wifiMac.data(), 6) << "\n";
    out << "eth-mac " << hex(model.ethMac.data(), 6) << "\n";
    out << "version " << hex(model.firmwareVersion) << "\n";
    out << "bootloader " << hex(model.bootloaderVersion) << "\n";
    v.clear();
    frame::putLe32(v, model.mode);
    out << "mode " << hex(v) << "\n";
    for (const auto& [id, value] : model.params()) out << "param " << id << " " << hex(value) << "\n";
    for (const auto& d : model.fs.directories()) {
        out << "dir " << hex(d.name) << "\n";
        for (const auto& f : d.files) out << "file " << hex(f.name) << " " << hex(f.data) << "\n";
    }
    if (!writeAtomically(dir + "/" + kStateFile, out.str(), error)) return false;
    const std::string flashPath = dir + "/" + kFlashFile;
    struct stat st {};
    if (::stat(flashPath.c_str(), &st) != 0 || size_t(st.st_size) != model.flash.size()) {
        return writeAtomically(flashPath, std::string(model.flash.begin(), model.flash.end()), error);
    }
    return true;
}

}  // namespace orvane::sim
