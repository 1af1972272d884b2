#include "device/connection/CandidateProbe.h"

#include "link/cUSB_CDC_Protocol.h"
#include "link/platform/Deadline.h"

namespace orvane {
namespace {

bool openPort(cUSB_CDC_Protocol& link, const QString& port, const OpenFailureHandler& onFailure)
{
    if (link.OpenPort(port) == 0)
        return true;
    if (onFailure && !link.lastOpenWasBusy())
        onFailure(port, link.lastOpenError());
    return false;
}

}  // namespace

bool isBootloaderVersion(const QString& version)
{
    return version.contains(QLatin1String("Bootloader"), Qt::CaseSensitive);
}

ProbeResult tryCandidates(cUSB_CDC_Protocol& link, const QStringList& ports, bool skipBootloader,
                          const OpenFailureHandler& onOpenFailure)
{
    ProbeResult result;
    for (const QString& port : ports) {
        if (!openPort(link, port, onOpenFailure))
            continue;
        QString version;
        if (link.SendHello(version)) {
            link.ClosePort();
            continue;
        }
        if (skipBootloader && isBootloaderVersion(version)) {
            link.ClosePort();
            continue;
        }
        result.found = true;
        result.port = port;
        result.version = version;
        break;
    }
    return result;
}

NewPortOutcome probeNewPort(cUSB_CDC_Protocol& link, const QString& port, bool skipBootloader,
                            QString& version, const OpenFailureHandler& onOpenFailure)
{
    version.clear();
    if (!openPort(link, port, onOpenFailure))
        return NewPortOutcome::NoDevice;
    if (link.SendGetFWVersion(version)) {
        link.ClosePort();
        return NewPortOutcome::NoDevice;
    }
    if (skipBootloader && isBootloaderVersion(version)) {
        leaveDevice(link, 100);
        return NewPortOutcome::Bootloader;
    }
    return NewPortOutcome::Found;
}

void leaveDevice(cUSB_CDC_Protocol& link, int waitMs)
{
    link.SendExit();
    sleepMs(waitMs);
    link.CloseIfOpen();
}

}  // namespace orvane
