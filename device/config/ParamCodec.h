// How configuration values travel as parameter bytes: flags, texts, the open-network
// password and the proxy port, in both directions.
#pragma once

#include <QByteArray>
#include <QString>

namespace orvane::config {

// One byte, 1 or 0.
QByteArray encodeFlag(bool on);
// A flag read back is on when its first byte is not 0 (an empty value is off).
bool decodeFlag(const QByteArray& value);

// UTF-8 bytes without a terminator.
QByteArray encodeText(const QString& text);
// Up to the value's length or its first zero byte, whichever comes first, as UTF-8.
QString decodeText(const QByteArray& value);

// An open network's password: one zero byte (an empty value would mean something else).
QByteArray encodeOpenPassword();

// EAP is in use only when the value is exactly one byte equal to 1.
bool decodeEapInUse(const QByteArray& value);

// The decimal port text as 16 bits: text that is not a number gives 0, larger numbers are
// cut to their low 16 bits (70000 -> 4464).
quint16 parseProxyPort(const QString& text);
QByteArray encodeProxyPort(const QString& text);
// Two bytes little-endian; missing bytes count as 0.
quint16 decodeProxyPort(const QByteArray& value);

}  // namespace orvane::config
