#include "device/connection/DeviceIdentity.h"

#include "link/cUSB_CDC_Protocol.h"

namespace orvane {

QString formatMac(const uint8_t mac[6])
{
    QString text = QStringLiteral("%1:%2:%3:%4:%5:%6");
    for (int i = 0; i < 6; ++i)
        text = text.arg(mac[i], 2, 16, QLatin1Char('0'));
    return text.toUpper();
}

QString modeLine(quint32 mode)
{
    const QChar shown(static_cast<ushort>((mode & 0xFFu) + 0x30u));
    return QStringLiteral("Current device mode : ") + shown;
}

bool readDeviceIdentity(cUSB_CDC_Protocol& link, DeviceIdentity& identity)
{
    uint8_t wifi[6] = {};
    uint8_t eth[6] = {};
    if (link.SendGetMAC(wifi, eth))
        return false;
    identity.macRead = true;
    identity.wifiMac = formatMac(wifi);
    identity.ethMac = formatMac(eth);

    quint64 id = 0;
    if (link.SendGetID(id))
        return false;
    identity.idRead = true;
    identity.id = QString::number(id, 10);

    QString version;
    if (link.SendGetFWVersion(version))
        return false;
    identity.versionRead = true;
    identity.firmware = version;

    quint32 mode = 0;
    if (link.SendGetMode(mode) || mode == 0)
        return false;
    identity.modeRead = true;
    identity.mode = mode;
    return true;
}

}  // namespace orvane
