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

QString permissionHint()
{
    return QStringLiteral(
        "your user may not open it: add it to the dialout group (sudo usermod -aG dialout USER, "
        "then log in again) or install the udev rule packaging/60-orvane.rules (see the README)");
}

PortCheck checkPort(cUSB_CDC_Protocol& link, const QString& port, bool takeBootloader)
{
    PortCheck check;
    check.port = port;
    if (link.OpenPort(port) != 0) {
        const orvane::SerialOpenResult open = link.lastOpenResult();
        check.systemReason = QString::fromStdString(open.reason);
        check.verdict = open.busy     ? PortVerdict::Busy
                        : open.denied ? PortVerdict::Denied
                                      : PortVerdict::CannotOpen;
        check.holderPid = open.holder.pid;
        check.holderName = QString::fromStdString(open.holder.name);
        return check;
    }
    if (link.SendHello(check.version)) {
        link.ClosePort();
        check.verdict = PortVerdict::NoAnswer;
        return check;
    }
    if (!takeBootloader && isBootloaderVersion(check.version)) {
        link.ClosePort();
        check.verdict = PortVerdict::Bootloader;
        return check;
    }
    check.verdict = PortVerdict::Device;
    return check;
}

ProbeResult tryCandidates(cUSB_CDC_Protocol& link, const QStringList& ports, bool skipBootloader,
                          const OpenFailureHandler& onOpenFailure)
{
    ProbeResult result;
    for (const QString& port : ports) {
        const PortCheck check = checkPort(link, port, !skipBootloader);
        if ((check.verdict == PortVerdict::Denied || check.verdict == PortVerdict::CannotOpen) &&
            onOpenFailure)
            onOpenFailure(port, check.systemReason);
        if (check.verdict != PortVerdict::Device)
            continue;
        result.found = true;
        result.port = port;
        result.version = check.version;
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
