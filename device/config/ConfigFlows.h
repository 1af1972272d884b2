// Reading the network configuration from the device and writing it back, step by step,
// with the log lines the user sees. Shared by the admin window, the command line and tests.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "device/config/NetworkConfig.h"

class cUSB_CDC_Protocol;

namespace orvane::config {

using LogFn = std::function<void(const QString& line)>;
// Starts the upload of the key and certificate files (local paths, in that order) into the
// device's root. It may return before the upload ends: the link's lock keeps its exchanges
// apart from the parameter writes that follow.
using UploadFn = std::function<void(const QStringList& localPaths)>;

// Which parts of the value a read has filled. A failing read stops where it failed and
// leaves the rest untouched, so the caller updates only what is marked here.
enum ReadField : unsigned {
    FieldChannels = 1u << 0,  // wifiEnabled and ethernetEnabled
    FieldSecurity = 1u << 1,
    FieldSsid = 1u << 2,
    FieldUserName = 1u << 3,
    FieldPassword = 1u << 4,
    FieldProxyUrl = 1u << 5,
    FieldProxyPort = 1u << 6,
    FieldProxyUserName = 1u << 7,
    FieldProxyPassword = 1u << 8,
    FieldProxyEnabled = 1u << 9,
};

struct ReadOutcome {
    bool completed = false;  // every step succeeded ("Reading was done")
    unsigned filled = 0;     // ReadField bits
    bool has(ReadField f) const { return (filled & f) != 0; }
};

// Reads the configuration into `config`. Key and certificate paths are never touched, and
// with Wi-Fi off the Wi-Fi fields keep what they held.
ReadOutcome readNetworkConfig(cUSB_CDC_Protocol* link, NetworkConfig& config, const LogFn& log);

// Writes the configuration. In WPA2-Enterprise mode the key and certificate files that are
// named go to `startUpload`. True when every step succeeded ("Writing was done"); a failure
// stops the flow and leaves the parameters already written in place.
bool writeNetworkConfig(cUSB_CDC_Protocol* link, const NetworkConfig& config, const LogFn& log,
                        const UploadFn& startUpload);

// A proxy port read back, shown as the page shows it (unsigned decimal).
QString proxyPortText(quint16 port);

}  // namespace orvane::config
