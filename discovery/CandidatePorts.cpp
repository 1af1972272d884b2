#include "discovery/CandidatePorts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <time.h>
#endif

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

namespace {

QList<CandidatePort> enumerateUsbCandidates()
{
    QList<CandidatePort> ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        if (!info.hasVendorIdentifier())
            continue;
        const quint16 vendor = info.vendorIdentifier();
        if (vendor == kVendorIdPrimary || vendor == kVendorIdSecondary)
            ports.append({info.portName(), vendor, false});
    }
    return ports;
}

QStringList enumerateUsbPorts()
{
    QStringList names;
    for (const CandidatePort& port : enumerateUsbCandidates())
        names.append(port.name);
    return names;
}

// The directory's modification time, or -1 when it cannot be trusted: unreadable, or changed
// in the last second (file time stamps are coarse, so a second change within the same tick
// could keep the stamp; only a directory that has been quiet for a while is taken as is).
qint64 settledStampNs(const QString& dir)
{
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(dir).constData(), &st) != 0)
        return -1;
    const qint64 stamp = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 nowNs = qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    return nowNs - stamp > 1000000000 ? stamp : -1;
#else
    Q_UNUSED(dir);
    return -1;
#endif
}

}  // namespace

PortEnumerationCache::PortEnumerationCache(QString deviceDir, Enumerate enumerate)
    : deviceDir_(std::move(deviceDir)), enumerate_(std::move(enumerate))
{
}

QStringList PortEnumerationCache::ports()
{
    const qint64 stamp = settledStampNs(deviceDir_);
    if (valid_ && stamp == stampNs_ && stamp >= 0)
        return ports_;
    ports_ = enumerate_();
    stampNs_ = stamp;
    valid_ = true;
    return ports_;
}

QList<CandidatePort> describeCandidatePorts()
{
    QList<CandidatePort> ports = enumerateUsbCandidates();
    for (const QString& path : virtualPorts())
        ports.append({path, 0, true});
    return ports;
}

void listCandidatePorts(QStringList& out)
{
#ifdef Q_OS_UNIX
    static PortEnumerationCache cache(QStringLiteral("/dev"), enumerateUsbPorts);
    out = cache.ports();
#else
    out = enumerateUsbPorts();
#endif
    out.append(virtualPorts());
}

}  // namespace orvane
