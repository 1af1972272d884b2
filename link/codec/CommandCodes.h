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
}  // namespace orvane::cmd
