// The device's identity as the windows show it: the queries in their order and the texts
// (decimal identifier, upper-case MAC addresses, firmware text, the mode line).
#pragma once

#include <QString>

#include <cstdint>

class cUSB_CDC_Protocol;

namespace orvane {

struct DeviceIdentity {
    // How far the queries got: each step runs only when the ones before it succeeded.
    bool macRead = false;
    bool idRead = false;
    bool versionRead = false;
    bool modeRead = false;
    QString wifiMac;
    QString ethMac;
    QString id;
    QString firmware;
    quint32 mode = 0;
};

// SendGetMAC, SendGetID, SendGetFWVersion, SendGetMode, stopping at the first failure. A
// mode of 0 counts as a failure. Returns true when every query succeeded.
bool readDeviceIdentity(cUSB_CDC_Protocol& link, DeviceIdentity& identity);

// "0A:1B:2C:3D:4E:5F".
QString formatMac(const uint8_t mac[6]);
// "Current device mode : " and the character whose code is the mode's low byte plus 0x30.
QString modeLine(quint32 mode);

}  // namespace orvane
