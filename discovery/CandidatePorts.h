// The device's candidate serial ports: USB ports of the device's two vendor identifiers,
// then the virtual ports a simulator publishes in $ORVANE_VIRTUAL_PORTS.
#pragma once

#include <QStringList>
#include <QtGlobal>

namespace orvane {

constexpr quint16 kVendorIdPrimary = 0x2C0D;
constexpr quint16 kVendorIdSecondary = 0x1915;

// Empties `out`, then appends the names of the enumerated ports whose vendor identifier is
// one of the device's, in enumeration order, then every entry of the virtual ports
// directory whose name does not begin with ".", in name order, as absolute paths. The
// directory is read afresh at each call. Opens nothing.
void listCandidatePorts(QStringList& out);

// The virtual ports alone (empty when the variable is unset or names no directory).
QStringList virtualPorts();

}  // namespace orvane
