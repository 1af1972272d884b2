// The command byte of every request the device understands. Plain C++ with no Qt, shared
// by the host link and the device simulator so the two sides cannot drift apart.
#pragma once

#include <cstdint>

namespace orvane::cmd {
enum : uint8_t {
    Hello = 1,
    StartESP = 2,
    WriteESP = 3,
    EndESP = 4,
    DeleteESP = 5,
    SetID = 6,
    StartUpdate = 8,
    Exit = 9,
    GetMAC = 10,
    GetID = 11,
    GetFWVersion = 12,
    GetMode = 13,
    GetParam = 14,
    SetParam = 15,
    GetDiskInfo = 16,
    GetFileDesc = 17,
    StartFileRead = 18,
    ReadFile = 19,
    EndFileRead = 20,
    GetFlash = 21,
    Format = 126,
};

// The command's name as above ("GetFlash"), or nullptr for a code the device does not know.
inline const char* name(uint8_t command) {
    switch (command) {
    case Hello: return "Hello";
    case StartESP: return "StartESP";
    case WriteESP: return "WriteESP";
    case EndESP: return "EndESP";
    case DeleteESP: return "DeleteESP";
    case SetID: return "SetID";
    case StartUpdate: return "StartUpdate";
    case Exit: return "Exit";
    case GetMAC: return "GetMAC";
    case GetID: return "GetID";
    case GetFWVersion: return "GetFWVersion";
    case GetMode: return "GetMode";
    case GetParam: return "GetParam";
    case SetParam: return "SetParam";
    case GetDiskInfo: return "GetDiskInfo";
    case GetFileDesc: return "GetFileDesc";
    case StartFileRead: return "StartFileRead";
    case ReadFile: return "ReadFile";
    case EndFileRead: return "EndFileRead";
    case GetFlash: return "GetFlash";
    case Format: return "Format";
    }
    return nullptr;
}
}  // namespace orvane::cmd
