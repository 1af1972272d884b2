#include "device/config/ParamCodec.h"

namespace orvane::config {

QByteArray encodeFlag(bool on) { return QByteArray(1, on ? char(1) : char(0)); }

bool decodeFlag(const QByteArray& value) { return !value.isEmpty() && value.at(0) != 0; }

QByteArray encodeText(const QString& text) { return text.toUtf8(); }

QString decodeText(const QByteArray& value)
{
    const int zero = value.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? value : value.left(zero));
}

QByteArray encodeOpenPassword() { return QByteArray(1, '\0'); }

bool decodeEapInUse(const QByteArray& value) { return value.size() == 1 && value.at(0) == 1; }

quint16 parseProxyPort(const QString& text)
{
    bool ok = false;
    const qulonglong n = text.toULongLong(&ok, 10);
    return ok ? quint16(n & 0xFFFF) : 0;
}

QByteArray encodeProxyPort(const QString& text)
{
    const quint16 port = parseProxyPort(text);
    QByteArray out(2, '\0');
    out[0] = char(port & 0xFF);
    out[1] = char(port >> 8);
    return out;
}

quint16 decodeProxyPort(const QByteArray& value)
{
    const quint8 lo = value.size() > 0 ? quint8(value.at(0)) : 0;
    const quint8 hi = value.size() > 1 ? quint8(value.at(1)) : 0;
    return quint16(lo | (hi << 8));
}

}  // namespace orvane::config
