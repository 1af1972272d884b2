#include "CommandHandler.h"

#include <algorithm>

#include "link/codec/FrameCodec.h"

namespace orvane::sim {

using frame::getLe16;
using frame::getLe32;
using frame::getLe64;
using frame::putLe16;
using frame::putLe32;
using frame::putLe64;

namespace {

using Result = CommandHandler::Result;

Result status(uint8_t s, std::string note = {}) {
    Result r;
    r.payload = {s};
    r.note = std::move(note);
    return r;
}

Result text(const std::string& s) {
    Result r;
    r.payload.assign(s.begin(), s.end());
    r.payload.push_back(0);
    return r;
}

bool hasStatusReply(uint8_t command) {
    switch (command) {
    case code::StartESP:
    case code::WriteESP:
    case code::EndESP:
    case code::DeleteESP:
    case code::StartUpdate:
    case code::Exit:
    case code::SetParam:
    case code::EndFileRead:
    case code::Format:
        return true;
    default:
        return false;
    }
}

}  // namespace

std::string nameField(const uint8_t* p, size_t width) {
    size_t n = 0;
    while (n < width && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

void CommandHandler::reset() {
    upload_ = Upload{};
    read_ = Read{};
}

Result CommandHandler::handle(uint8_t command, const std::vector<uint8_t>& p, bool inBootloader,
                              const ContentFaults& faults) {
    if (faults.refuse) {
        if (hasStatusReply(command)) return status(kStatusNok, "refused (injected fault)");
        Result r;
        r.payload = command == code::StartFileRead ? std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}
                                                   : std::vector<uint8_t>{kStatusNok};
        r.note = "refused (injected fault)";
        return r;
    }
    switch (command) {
    case code::Hello:
    case code::GetFWVersion:
        return text(inBootloader ? model_.bootloaderVersion : model_.firmwareVersion);
    case code::StartESP:
        return startUpload(p);
    case code::WriteESP:
        return writeChunk(p);
    case code::EndESP:
        return endUpload(faults.corruptUploads);
    case code::DeleteESP:
        return deleteFile(p);
    case code::SetID: {
        Result r;
        if (p.size() != 8) {
            r.note = "identifier must be 8 bytes";
        } else if (faults.keepIdentifier) {
            // Answers what a storing device would, so only a read-back shows the fault.
            r.payload.assign(p.begin(), p.end());
            r.note = "identifier not kept (injected fault)";
            return r;
        } else {
            model_.identifier = getLe64(p.data());
            r.stateChanged = true;
        }
        putLe64(r.payload, model_.identifier);
        return r;
    }
    case code::StartUpdate: {
        Result r = status(kStatusOk);
        r.action = Action::Restart;
        return r;
    }
    case code::Exit: {
        Result r = status(kStatusOk);
        if (inBootloader) r.action = Action::LeaveBootloader;
        return r;
    }
    case code::GetMAC: {
        Result r;
        r.payload.assign(model_.wifiMac.begin(), model_.wifiMac.end());
        r.payload.insert(r.payload.end(), model_.ethMac.begin(), model_.ethMac.end());
        return r;
    }
    case code::GetID: {
        Result r;
        putLe64(r.payload, model_.identifier);
        return r;
    }
    case code::GetMode: {
        Result r;
        putLe32(r.payload, model_.mode);
        return r;
    }
    case code::GetParam:
        return getParam(p);
    case code::SetParam:
        return setParam(p, faults.keepParams);
    case code::GetDiskInfo:
        return diskInfo();
    case code::GetFileDesc:
        return fileDescriptor(p);
    case code::StartFileRead:
        return startRead(p);
    case code::ReadFile:
        return readChunk(p, faults.shortReadFileBy);
    case code::EndFileRead: {
        const bool wasOpen = read_.active;
        read_ = Read{};
        return status(wasOpen ? kStatusOk : kStatusNok, wasOpen ? "" : "no file open for reading");
    }
    case code::GetFlash:
        return flashRead(p, faults);
    case code::Format: {
        reset();
        model_.fs.format();
        Result r = status(kStatusOk);
        r.stateChanged = true;
        return r;
    }
    default:
        return status(kStatusNok, "unknown command");
    }
}

Result CommandHandler::startUpload(const std::vector<uint8_t>& p) {
    upload_ = Upload{};
    if (p.size() != 4 + kUploadNameField) return status(kStatusNok, "bad SendStartESP payload");
    const uint32_t size = getLe32(p.data());
    const std::string path = nameField(p.data() + 4, kUploadNameField);
    std::string why;
    if (!model_.fs.canStore(path, size, &why)) return status(kStatusNok, path + ": " + why);
    upload_.active = true;
    upload_.path = path;
    upload_.size = size;
    upload_.data.reserve(size);
    return status(kStatusOk);
}

Result CommandHandler::writeChunk(const std::vector<uint8_t>& p) {
    if (!upload_.active) return status(kStatusNok, "no upload in progress");
    if (p.size() < 8) return status(kStatusNok, "bad SendWriteESP payload");
    const uint32_t offset = getLe32(p.data());
    const uint32_t count = getLe32(p.data() + 4);
    if (count != p.size() - 8) return status(kStatusNok, "chunk length differs from its data");
    if (offset != upload_.data.size()) {
        return status(kStatusNok, "chunk offset " + std::to_string(offset) + ", expected " +
                                      std::to_string(upload_.data.size()));
    }
    if (uint64_t(offset) + count > upload_.size) return status(kStatusNok, "chunk passes the file size");
    upload_.data.insert(upload_.data.end(), p.begin() + 8, p.end());
    return status(kStatusOk);
}

Result CommandHandler::endUpload(bool corrupt) {
    if (!upload_.active) return status(kStatusNok, "no upload in progress");
    Upload done = std::move(upload_);
    upload_ = Upload{};
    if (done.data.size() != done.size) {
        return status(kStatusNok, "file incomplete: " + std::to_string(done.data.size()) + " of " +
                                      std::to_string(done.size) + " bytes");
    }
    // Flash that went bad under the file: it is acknowledged whole, one byte reads back wrong.
    if (corrupt && !done.data.empty()) done.data[done.data.size() / 2] ^= 0x5A;
    std::string why;
    if (!model_.fs.store(done.path, std::move(done.data), &why)) return status(kStatusNok, why);
    Result r = status(kStatusOk);
    r.stateChanged = true;
    return r;
}

Result CommandHandler::deleteFile(const std::vector<uint8_t>& p) {
    if (p.size() != kUploadNameField) return status(kStatusNok, "bad SendDeleteESP payload");
    const std::string path = nameField(p.data(), kUploadNameField);
    if (!model_.fs.remove(path)) return status(kStatusNok, path + ": no such file");
    Result r = status(kStatusOk);
    r.stateChanged = true;
    return r;
}

Result CommandHandler::diskInfo() const {
    Result r;
    r.payload.assign(kDiskInfoSize, 0);
    const auto& dirs = model_.fs.directories();
    uint8_t* rec = r.payload.data();
    auto put32 = [](uint8_t* at, uint32_t v) {
        for (int i = 0; i < 4; ++i) at[i] = uint8_t(v >> (8 * i));
    };
    put32(rec, uint32_t(FlashFileSystem::kCapacity));
    rec[4] = uint8_t(dirs.size());
    rec[5] = uint8_t(dirs.size() >> 8);
    put32(rec + 6, uint32_t(model_.fs.usedBytes()));
    put32(rec + 10, uint32_t(model_.fs.fileCount()));
    for (size_t i = 0; i < dirs.size(); ++i) {
        const size_t at = 14 + 24 * i;
        const size_t room = std::min<size_t>(24, kDiskInfoSize - at);
        std::copy_n(dirs[i].name.begin(), std::min(dirs[i].name.size(), room), rec + at);
    }
    return r;
}

Result CommandHandler::fileDescriptor(const std::vector<uint8_t>& p) const {
    Result r;
    if (p.size() != 4) {
        r.note = "bad SendGetFileDesc payload";
        return r;
    }
    const size_t dir = getLe16(p.data());
    const size_t index = getLe16(p.data() + 2);
    const auto& dirs = model_.fs.directories();
    if (dir >= dirs.size()) {
        r.payload.assign(kFileDescSize, 0xFF);  // erased flash: no such directory
        return r;
    }
    r.payload.assign(kFileDescSize, 0);
    if (index < dirs[dir].files.size()) {
        const DeviceFile& f = dirs[dir].files[index];
        std::copy_n(f.name.begin(), std::min<size_t>(f.name.size(), 24), r.payload.begin());
        for (int i = 0; i < 4; ++i) r.payload[24 + size_t(i)] = uint8_t(f.data.size() >> (8 * i));
    }
    return r;
}

Result CommandHandler::startRead(const std::vector<uint8_t>& p) {
    read_ = Read{};
    Result r;
    int32_t size = -1;
    if (p.size() == 2 + kReadNameField) {
        const size_t dir = getLe16(p.data());
        const std::string name = nameField(p.data() + 2, kReadNameField);
        if (const DeviceFile* f = model_.fs.find(dir, name)) {
            read_.active = true;
            read_.data = f->data;
            size = int32_t(f->data.size());
        } else {
            r.note = "no such file";
        }
    } else {
        r.note = "bad SendStartFileRead payload";
    }
    putLe32(r.payload, uint32_t(size));
    return r;
}

Result CommandHandler::readChunk(const std::vector<uint8_t>& p, int shortBy) const {
    Result r;
    if (!read_.active || p.size() != 8) {
        r.note = read_.active ? "bad SendReadFile payload" : "no file open for reading";
        return r;
    }
    const uint32_t offset = getLe32(p.data());
    const size_t count = std::min<size_t>(getLe32(p.data() + 4), kMaxReplyPayload);
    if (offset >= read_.data.size()) return r;
    size_t n = std::min(count, read_.data.size() - offset);
    n -= std::min<size_t>(n, size_t(std::max(shortBy, 0)));
    r.payload.assign(read_.data.begin() + offset, read_.data.begin() + std::ptrdiff_t(offset + n));
    return r;
}

Result CommandHandler::flashRead(const std::vector<uint8_t>& p, const ContentFaults& faults) const {
    Result r;
    if (p.size() != 6) {
        r.note = "bad SendGetFlash payload";
        putLe16(r.payload, 0);
        return r;
    }
    const size_t offset = getLe32(p.data());
    const size_t asked = getLe16(p.data() + 4);
    const size_t flashSize = model_.flash.size();
    size_t m = offset < flashSize ? std::min(asked, flashSize - offset) : 0;
    m = std::min(m, kMaxReplyPayload - 2);
    if (faults.flashZeroCount) {
        m = 0;
    } else if (faults.flashCountSkew != 0) {
        const long skewed = long(m) + faults.flashCountSkew;
        m = size_t(std::clamp<long>(skewed, 0, long(kMaxReplyPayload - 2)));
    }
    putLe16(r.payload, uint16_t(m));
    for (size_t i = 0; i < m; ++i) {
        // Past the end (only when a fault asks for more) the flash reads as erased.
        r.payload.push_back(offset + i < flashSize ? model_.flash[offset + i] : 0xFF);
    }
    return r;
}

Result CommandHandler::getParam(const std::vector<uint8_t>& p) const {
    Result r;
    if (p.size() != 2) {
        r.note = "bad SendGetParam payload";
        return r;
    }
    r.payload = model_.param(getLe16(p.data()));
    return r;
}

Result CommandHandler::setParam(const std::vector<uint8_t>& p, bool keep) {
    if (p.size() < 2) return status(kStatusNok, "bad SendSetParam payload");
    const int id = getLe16(p.data());
    // Answers what a storing device would, so only a read-back shows the fault.
    if (keep) return status(kStatusOk, "parameter not kept (injected fault)");
    if (!model_.setParam(id, std::vector<uint8_t>(p.begin() + 2, p.end()))) {
        return status(kStatusNok, "parameter " + std::to_string(id) + " refused");
    }
    Result r = status(kStatusOk);
    r.stateChanged = true;
    return r;
}

}  // namespace orvane::sim
