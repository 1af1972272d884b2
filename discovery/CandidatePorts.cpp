#include "discovery/CandidatePorts.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace orvane {

QStringList virtualPorts()
{
    QStringList ports;
    const QString dirName = qEnvironmentVariable("ORVANE_VIRTUAL_PORTS");
    if (dirName.isEmpty())
        return ports;
    const QDir dir(dirName);
    if (!dir.exists())
        return ports;
    // System and Hidden keep dangling links and device nodes; hidden names are dropped below
    // because a simulator uses them for files that are not ports.
    QStringList names = dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                          QDir::NoDotAndDotDot,
                                      QDir::Unsorted);
    std::sort(names.begin(), names.end());
    for (const QString& name : names) {
        if (!name.startsWith(QLatin1Char('.')))
            ports.append(dir.absoluteFilePath(name));
    }
    return ports;
}

void listCandidatePorts(QStringList& out)
{
    out.clear();
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        if (!info.hasVendorIdentifier())
            continue;
        const quint16 vendor = info.vendorIdentifier();
        if (vendor == kVendorIdPrimary || vendor == kVendorIdSecondary)
            out.append(info.portName());
    }
    out.append(virtualPorts());
}

}  // namespace orvane
