// The device's candidate serial ports: USB ports of the device's two vendor identifiers,
// then the virtual ports a simulator publishes in $ORVANE_VIRTUAL_PORTS.
#pragma once

#include <QList>
#include <QStringList>
#include <QString>
#include <QtGlobal>

#include <functional>

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

// The candidates as listCandidatePorts gives them, with what is known of each, from one
// enumeration of the system's ports (for listing them; the search uses the names alone).
struct CandidatePort {
    QString name;
    quint16 vendorId = 0;  // 0 for a virtual port
    bool isVirtual = false;
};
QList<CandidatePort> describeCandidatePorts();

// Enumerating the system's serial ports walks every tty device the system knows (tens of
// milliseconds); the search repeats it every 100 ms. This keeps the last result for as long
// as the device directory is unchanged: a port cannot appear, vanish or change its device
// without a node being added to or removed from it, which changes the directory's time stamp.
class PortEnumerationCache {
public:
    using Enumerate = std::function<QStringList()>;
    PortEnumerationCache(QString deviceDir, Enumerate enumerate);
    QStringList ports();

private:
    QString deviceDir_;
    Enumerate enumerate_;
    bool valid_ = false;
    qint64 stampNs_ = 0;
    QStringList ports_;
};

}  // namespace orvane
