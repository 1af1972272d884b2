// The device's network configuration as one plain value: channels, Wi-Fi security and
// credentials, key and certificate files, web proxy. Windows and the command line map it.
#pragma once

#include <QString>

namespace orvane::config {

// Configuration parameter ids of the device.
namespace param {
enum : quint16 {
    EthernetEnable = 3,
    WifiEnable = 4,
    Ssid = 5,
    WifiPassword = 7,
    EapInUse = 8,
    EapUserName = 9,
    EapPassword = 10,
    ProxyEnable = 11,
    ProxyUrl = 12,
    ProxyPort = 13,
    ProxyUserName = 14,
    ProxyPassword = 15,
};
}  // namespace param

enum class Security { Open = 0, Wpa = 1, Wpa2Enterprise = 2 };

struct NetworkConfig {
    bool wifiEnabled = false;
    bool ethernetEnabled = false;
    Security security = Security::Open;
    QString ssid;
    QString userName;  // EAP user name (WPA2-Enterprise)
    QString password;  // WPA password or EAP password
    QString keyPath;   // local EAP key file, uploaded by the write flow
    QString certPath;  // local certificate file, uploaded by the write flow
    bool proxyEnabled = false;
    QString proxyUrl;
    QString proxyPort;  // decimal text as the user typed it
    QString proxyUserName;
    QString proxyPassword;
};

}  // namespace orvane::config
