#include "device/config/ConfigFlows.h"

#include <QDebug>

#include "device/config/ParamCodec.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane::config {

namespace {

// Each step logs its own failure message and ends the flow on failure.
class Steps {
public:
    Steps(cUSB_CDC_Protocol* link, const LogFn& log) : link_(link), log_(log) {}

    void say(const QString& line) const
    {
        if (log_) log_(line);
    }

    bool get(quint16 id, QByteArray& value, const char* failure)
    {
        value.clear();
        if (link_->SendGetParam(id, value)) {
            say(QString::fromUtf8(failure));
            return false;
        }
        return true;
    }

    bool set(quint16 id, const QByteArray& value, const char* failure)
    {
        // The link cannot carry a longer value; cutting it would store a wrong one.
        if (value.size() > cUSB_CDC_Protocol::kMaxParamValue) {
            say(QStringLiteral("Value of parameter %1 is too long: %2 bytes, the device takes at most %3")
                    .arg(id)
                    .arg(value.size())
                    .arg(cUSB_CDC_Protocol::kMaxParamValue));
            say(QString::fromUtf8(failure));
            return false;
        }
        if (link_->SendSetParam(id, value)) {
            say(QString::fromUtf8(failure));
            return false;
        }
        return true;
    }

private:
    cUSB_CDC_Protocol* link_;
    const LogFn& log_;
};

bool readWifi(Steps& s, NetworkConfig& c, ReadOutcome& out)
{
    QByteArray v;
    if (!s.get(param::EapInUse, v, "Error while getting WiFi EAP TLS usage")) return false;
    const char* apnError = "Error while getting WiFi APN";
    if (decodeEapInUse(v)) {
        c.security = Security::Wpa2Enterprise;
        out.filled |= FieldSecurity;
        if (!s.get(param::Ssid, v, apnError)) return false;
        c.ssid = decodeText(v);
        out.filled |= FieldSsid;
        if (!s.get(param::EapUserName, v, apnError)) return false;
        c.userName = decodeText(v);
        out.filled |= FieldUserName;
        if (!s.get(param::EapPassword, v, apnError)) return false;
        c.password = decodeText(v);
        out.filled |= FieldPassword;
        return true;
    }
    if (!s.get(param::Ssid, v, apnError)) return false;
    c.ssid = decodeText(v);
    out.filled |= FieldSsid;
    if (!s.get(param::WifiPassword, v, apnError)) return false;
    // An open network is written as one zero byte; a device that keeps that byte returns
    // it, and WPA has no empty passwords, so an empty text means Open as an empty value does.
    c.password = decodeText(v);
    c.security = c.password.isEmpty() ? Security::Open : Security::Wpa;
    out.filled |= FieldSecurity | FieldPassword;
    return true;
}

bool readProxy(Steps& s, NetworkConfig& c, ReadOutcome& out)
{
    QByteArray v;
    const char* urlError = "Error while getting Proxy URL";
    if (!s.get(param::ProxyUrl, v, urlError)) return false;
    c.proxyUrl = decodeText(v);
    out.filled |= FieldProxyUrl;
    if (!s.get(param::ProxyPort, v, urlError)) return false;
    c.proxyPort = proxyPortText(decodeProxyPort(v));
    out.filled |= FieldProxyPort;
    if (!s.get(param::ProxyUserName, v, urlError)) return false;
    c.proxyUserName = decodeText(v);
    out.filled |= FieldProxyUserName;
    if (!s.get(param::ProxyPassword, v, urlError)) return false;
    c.proxyPassword = decodeText(v);
    out.filled |= FieldProxyPassword;
    if (!s.get(param::ProxyEnable, v, "Error while setting Proxy enable")) return false;
    c.proxyEnabled = decodeFlag(v);
    out.filled |= FieldProxyEnabled;
    return true;
}

bool writeWifi(Steps& s, const NetworkConfig& c, const UploadFn& startUpload)
{
    const char* apnError = "Error while setting WiFi APN";
    switch (c.security) {
    case Security::Open:
        return s.set(param::EapInUse, encodeFlag(false), "Error while clearing flag EAP usage") &&
               s.set(param::Ssid, encodeText(c.ssid), apnError) &&
               s.set(param::WifiPassword, encodeOpenPassword(), "Error while setting WiFi password");
    case Security::Wpa:
        return s.set(param::EapInUse, encodeFlag(false), "Error while clearing flag using EAP") &&
               s.set(param::Ssid, encodeText(c.ssid), apnError) &&
               s.set(param::WifiPassword, encodeText(c.password), "Error while setting WiFi password");
    case Security::Wpa2Enterprise:
        break;
    }
    if (!(s.set(param::EapInUse, encodeFlag(true), "Error while setting WiFi usage") &&
          s.set(param::Ssid, encodeText(c.ssid), apnError) &&
          s.set(param::EapUserName, encodeText(c.userName), "Error while setting WiFi EAP username") &&
          s.set(param::EapPassword, encodeText(c.password), "Error while setting WiFi EAP passwoed")))
        return false;
    QStringList files;
    if (!c.keyPath.isEmpty()) files << c.keyPath;
    if (!c.certPath.isEmpty()) files << c.certPath;
    if (files.isEmpty())
        s.say(QStringLiteral("No parameters to update found"));
    else if (!startUpload)
        s.say(QStringLiteral("Key and certificate files cannot be uploaded from here"));
    else
        startUpload(files);
    return true;
}

}  // namespace

QString proxyPortText(quint16 port) { return QString::number(port); }

ReadOutcome readNetworkConfig(cUSB_CDC_Protocol* link, NetworkConfig& config, const LogFn& log)
{
    ReadOutcome out;
    Steps s(link, log);
    s.say(QStringLiteral("Reading parameters..."));
    QByteArray eth, wifi;
    if (!s.get(param::EthernetEnable, eth, "Error: cannot get Ethernet enabling")) return out;
    if (!s.get(param::WifiEnable, wifi, "Error: cannot get Wi-Fi enabling")) return out;
    config.wifiEnabled = decodeFlag(wifi);
    config.ethernetEnabled = decodeFlag(eth);
    out.filled |= FieldChannels;
    if (config.wifiEnabled && !readWifi(s, config, out)) return out;
    if (!readProxy(s, config, out)) return out;
    s.say(QStringLiteral("Reading was done"));
    out.completed = true;
    return out;
}

bool writeNetworkConfig(cUSB_CDC_Protocol* link, const NetworkConfig& config, const LogFn& log,
                        const UploadFn& startUpload)
{
    Steps s(link, log);
    s.say(QStringLiteral("Updating parameters..."));
    if (!s.set(param::WifiEnable, encodeFlag(config.wifiEnabled), "Error while setting WiFi enable"))
        return false;
    if (config.wifiEnabled && !writeWifi(s, config, startUpload)) return false;
    if (!s.set(param::EthernetEnable, encodeFlag(config.ethernetEnabled),
               "Error while setting Ethernet enable"))
        return false;
    if (config.proxyEnabled &&
        !(s.set(param::ProxyUrl, encodeText(config.proxyUrl), "Error while setting Proxy URL") &&
          s.set(param::ProxyPort, encodeProxyPort(config.proxyPort), "Error while setting Proxy Port") &&
          s.set(param::ProxyUserName, encodeText(config.proxyUserName),
                "Error while setting Proxy Username") &&
          s.set(param::ProxyPassword, encodeText(config.proxyPassword),
                "Error while setting Proxy Password")))
        return false;
    if (!s.set(param::ProxyEnable, encodeFlag(config.proxyEnabled), "Error while setting Proxy enable"))
        return false;
    s.say(QStringLiteral("Writing was done"));
    return true;
}

}  // namespace orvane::config
