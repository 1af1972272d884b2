// The device's side of every command: a decoded request in, the reply payload out, applied
// to the device model. Knows nothing of timing or the transport.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DeviceModel.h"
#include "link/codec/CommandCodes.h"

namespace orvane::sim {

namespace code = orvane::cmd;

constexpr uint8_t kStatusOk = 0;
constexpr uint8_t kStatusNok = 1;
constexpr size_t kDiskInfoSize = 200;
constexpr size_t kFileDescSize = 32;
constexpr size_t kUploadNameField = 32;
constexpr size_t kReadNameField = 24;
// The host's reply buffers hold 1019 payload bytes, so no reply carries more.
constexpr size_t kMaxReplyPayload = 1019;

// Faults that change what a reply says (the transport handles those that change timing).
struct ContentFaults {
    bool refuse = false;       // answer NOK and change nothing
    int shortReadFileBy = 0;   // SendReadFile answers this many bytes fewer
    int flashCountSkew = 0;    // SendGetFlash m off by this
    bool flashZeroCount = false;
    bool keepIdentifier = false;  // SendSetID echoes the new identifier without storing it
    bool corruptUploads = false;  // SendEndESP stores the file with one byte changed
    bool keepParams = false;      // SendSetParam answers OK without storing the value
};

class CommandHandler {
public:
    enum class Action { None, Restart, LeaveBootloader };

    struct Result {
        std::vector<uint8_t> payload;  // the reply payload (the reply carries the request's code)
        bool reply = true;             // false: the device stays silent
        bool stateChanged = false;     // something worth saving changed
        Action action = Action::None;  // what the device does once the reply is out
        std::string note;              // why a request was refused (for the verbose log)
    };

    explicit CommandHandler(DeviceModel& model) : model_(model) {}

    // Handles one request. `inBootloader` selects the bootloader's version text.
    Result handle(uint8_t command, const std::vector<uint8_t>& payload, bool inBootloader,
                  const ContentFaults& faults = {});

    // Forgets an upload or read in progress (the device restarted).
    void reset();

    bool uploadInProgress() const { return upload_.active; }

private:
    Result startUpload(const std::vector<uint8_t>& p);
    Result writeChunk(const std::vector<uint8_t>& p);
    Result endUpload(bool corrupt);
    Result deleteFile(const std::vector<uint8_t>& p);
    Result diskInfo() const;
    Result fileDescriptor(const std::vector<uint8_t>& p) const;
    Result startRead(const std::vector<uint8_t>& p);
    Result readChunk(const std::vector<uint8_t>& p, int shortBy) const;
    Result flashRead(const std::vector<uint8_t>& p, const ContentFaults& faults) const;
    Result getParam(const std::vector<uint8_t>& p) const;
    Result setParam(const std::vector<uint8_t>& p, bool keep);

    DeviceModel& model_;
    struct Upload {
        bool active = false;
        std::string path;
        uint32_t size = 0;
        std::vector<uint8_t> data;
    } upload_;
    struct Read {
        bool active = false;
        std::vector<uint8_t> data;  // a copy, so a delete during the read cannot disturb it
    } read_;
};

// Text of a fixed-width name field: up to the first zero byte or the field's end.
std::string nameField(const uint8_t* p, size_t width);

}  // namespace orvane::sim
