#include "DeviceModel.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace orvane::sim {

namespace {

std::vector<uint8_t> bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

bool isFlagParam(int id) { return id == 3 || id == 4 || id == 8 || id == 11; }
constexpr int kProxyPort = 13;

}  // namespace

DeviceModel::DeviceModel()
    : identifier(1000000017ULL),
      wifiMac{0x24, 0x6F, 0x28, 0x1A, 0x3C, 0x51},
      ethMac{0x24, 0x6F, 0x28, 0x1A, 0x3C, 0x52},
      firmwareVersion("Orvane 2.4.1"),
      bootloaderVersion("Bootloader 1.0.3"),
      mode(1),
      flash(defaultFlash()) {
    params_[3] = {1};
    params_[4] = {1};
    params_[5] = bytes("Orvane-Office");
    params_[7] = bytes("sign-pass-2024");
    params_[8] = {0};
    params_[9] = {};
    params_[10] = {};
    params_[11] = {0};
    params_[12] = bytes("proxy.example.net");
    params_[13] = {0x90, 0x1F};  // 8080
    params_[14] = {};
    params_[15] = {};

    fs.store("welcome.mp3", bytes(std::string("ID3\x03") + std::string(3000, '\x55')));
    fs.store("config.json", bytes("{\"brightness\": 80, \"schedule\": \"08:00-18:00\"}\n"));
    fs.store("Updates/dnloads.cfg", bytes("nRF_Update_c.bin 2.4.1\n"));
    std::vector<uint8_t> chime(1500);
    for (size_t i = 0; i < chime.size(); ++i) chime[i] = uint8_t((i * 37 + 11) & 0xFF);
    fs.store("Audio/chime.mp3", chime);
    fs.store("Audio/alert.mp3", std::vector<uint8_t>(700, 0xC0));
    fs.store("Logs/boot.log", bytes("boot ok\nnetwork up\n"));
}

std::vector<uint8_t> DeviceModel::defaultFlash() {
    std::vector<uint8_t> out(kFlashSize);
    // A recognisable header, then pseudo-random bytes (plenty of 0xC0 and 0xDB to stuff),
    // with an erased 64 KiB block in the middle.
    uint64_t x = 0x9E3779B97F4A7C15ULL;
    for (size_t i = 0; i < out.size(); i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        for (size_t k = 0; k < 8; ++k) out[i + k] = uint8_t(x >> (8 * k));
    }
    const char header[] = "ORVANE FLASH IMAGE v1";
    std::memcpy(out.data(), header, sizeof header);
    std::fill(out.begin() + (4 << 20), out.begin() + (4 << 20) + (64 << 10), 0xFF);
    return out;
}

std::vector<uint8_t> DeviceModel::param(int id) const {
    const auto it = params_.find(id);
    return it == params_.end() ? std::vector<uint8_t>{} : it->second;
}

bool DeviceModel::setParam(int id, const std::vector<uint8_t>& value) {
    if (!knownParam(id) || value.size() > kMaxParamValue) return false;
    if (isFlagParam(id)) {
        if (value.size() != 1) return false;
        params_[id] = value;
    } else if (id == kProxyPort) {
        if (value.size() != 2) return false;
        params_[id] = value;
    } else {
        const auto zero = std::find(value.begin(), value.end(), 0);
        params_[id] = std::vector<uint8_t>(value.begin(), zero);
    }
    return true;
}

void DeviceModel::assignParams(std::map<int, std::vector<uint8_t>> params) {
    for (auto& [id, value] : params) {
        if (knownParam(id) && value.size() <= kMaxParamValue) params_[id] = std::move(value);
    }
}

std::vector<std::string> DeviceModel::applyUpdates() {
    static const char* const kImages[] = {"nRF_Update_c.bin", "ESP_Update_c.bin",
                                          "NRF_Bootloader_c.bin"};
    std::vector<std::string> installed;
    std::string history;
    if (const DeviceFile* old = fs.find("Updates/dnloads.cfg")) {
        history.assign(old->data.begin(), old->data.end());
    }
    for (const char* image : kImages) {
        const std::string path = std::string("Updates/") + image;
        const DeviceFile* file = fs.find(path);
        if (!file) continue;
        std::string& target = std::strcmp(image, "NRF_Bootloader_c.bin") == 0
                                  ? bootloaderVersion
                                  : firmwareVersion;
        target = versionAfterUpdate(target, file->data);
        if (&target == &bootloaderVersion && target.find("Bootloader") == std::string::npos) {
            target = "Bootloader " + target;
        }
        history += std::string(image) + " " + target + "\n";
        fs.remove(path);
        installed.push_back(image);
    }
    if (!installed.empty()) fs.store("Updates/dnloads.cfg", bytes(history));
    return installed;
}

std::string versionAfterUpdate(const std::string& current, const std::vector<uint8_t>& image) {
    static const std::string kMarker = "ORVANE-VERSION=";
    const auto at = std::search(image.begin(), image.end(), kMarker.begin(), kMarker.end());
    if (at != image.end()) {
        std::string text;
        for (auto it = at + std::ptrdiff_t(kMarker.size());
             it != image.end() && text.size() < 40 && *it != 0 && *it != '\n' && *it != '\r';
             ++it) {
            text.push_back(char(*it));
        }
        if (!text.empty()) return text;
    }
    size_t end = current.size();
    while (end > 0 && !std::isdigit(static_cast<unsigned char>(current[end - 1]))) --end;
    if (end == 0) return current + ".1";
    size_t begin = end;
    while (begin > 0 && std::isdigit(static_cast<unsigned char>(current[begin - 1]))) --begin;
    const unsigned long long n = std::stoull(current.substr(begin, std::min<size_t>(end - begin, 18)));
    return current.substr(0, begin) + std::to_string(n + 1) + current.substr(end);
}

}  // namespace orvane::sim
