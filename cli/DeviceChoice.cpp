#include "cli/DeviceChoice.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "cli/Console.h"
#include "device/connection/CandidateProbe.h"
#include "device/text/PrintableText.h"
#include "discovery/CandidatePorts.h"
#include "link/cUSB_CDC_Protocol.h"
#include "link/platform/Deadline.h"

namespace orvane::cli {
namespace {
constexpr int kPollMs = 250;
}  // namespace

QString resolvePortName(const QString& port)
{
    if (port.contains(QLatin1Char('/')) || port.contains(QLatin1Char('\\')))
        return port;
    for (const QString& path : virtualPorts()) {
        if (QFileInfo(path).fileName() == port)
            return path;
    }
    return port;
}

DeviceFound findDevice(cUSB_CDC_Protocol& link, Console& console, const QString& port,
                       bool alsoCandidates, int64_t waitMs, const QString& foundPrefix,
                       const std::atomic<bool>* stop)
{
    console.log(QStringLiteral("Scanning for available COM ports"));
    QSet<QString> reported;
    const auto openFailed = [&](const QString& name, const QString& reason) {
        if (reported.contains(name))
            return;
        reported.insert(name);
        console.log(QStringLiteral("Cannot open %1: %2").arg(name, reason));
    };

    const Deadline deadline(waitMs);
    DeviceFound found;
    for (;;) {
        QStringList ports;
        if (!port.isEmpty())
            ports.append(resolvePortName(port));
        if (port.isEmpty() || alsoCandidates) {
            QStringList candidates;
            listCandidatePorts(candidates);
            for (const QString& candidate : qAsConst(candidates)) {
                if (!ports.contains(candidate))
                    ports.append(candidate);
            }
        }
        // One port at a time, so that a port another program holds can be named.
        ProbeResult result;
        for (const QString& candidate : qAsConst(ports)) {
            result = tryCandidates(link, {candidate}, true, openFailed);
            if (result.found)
                break;
            if (link.lastOpenWasBusy())
                openFailed(candidate, QStringLiteral("in use by another program"));
        }
        if (result.found) {
            found.found = true;
            found.port = result.port;
            found.version = result.version;
            console.log(foundPrefix + result.port);
            if (link.versionKnown)
                console.log(QStringLiteral("Firmware version is ") + printableText(result.version));
            return found;
        }
        if (deadline.expired() || (stop && *stop))
            return found;
        sleepMs(static_cast<int>(std::min<int64_t>(kPollMs, deadline.remainingMs())));
    }
}

void releaseDevice(cUSB_CDC_Protocol& link)
{
    if (link.opened)
        leaveDevice(link, 5);
}

}  // namespace orvane::cli
