#include "cli/DeviceChoice.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include "cli/Console.h"
#include "cli/ExitStatus.h"
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
#ifdef _WIN32
    if (port.contains(QLatin1Char('/')) || port.contains(QLatin1Char('\\')))
        return port;
#else
    if (port.contains(QLatin1Char('/')))
        return QDir::cleanPath(QFileInfo(port).absoluteFilePath());
#endif
    for (const QString& path : virtualPorts()) {
        if (QFileInfo(path).fileName() == port)
            return path;
    }
    return port;
}

QString reasonText(const PortCheck& check)
{
    switch (check.verdict) {
    case PortVerdict::Device:
        return check.version.isEmpty() ? QStringLiteral("answers") : printableText(check.version);
    case PortVerdict::Bootloader:
        return QStringLiteral("answers from its bootloader (\"%1\"): use --bootloader to work with a "
                              "device in its bootloader")
            .arg(printableText(check.version));
    case PortVerdict::Denied:
        return QStringLiteral("permission denied: ") + permissionHint();
    case PortVerdict::Busy:
        if (check.holderPid > 0)
            return QStringLiteral("held by another program (%1, process %2)")
                .arg(check.holderName.isEmpty() ? QStringLiteral("name unknown") : check.holderName)
                .arg(check.holderPid);
        return QStringLiteral("held by another program");
    case PortVerdict::CannotOpen:
        return QStringLiteral("cannot open: ") + check.systemReason;
    case PortVerdict::NoAnswer:
        break;
    }
    return QStringLiteral("no answer: not the device, or it does not respond");
}

QString reasonCode(PortVerdict verdict)
{
    switch (verdict) {
    case PortVerdict::Device: return QStringLiteral("device");
    case PortVerdict::Bootloader: return QStringLiteral("bootloader");
    case PortVerdict::Denied: return QStringLiteral("permissionDenied");
    case PortVerdict::Busy: return QStringLiteral("busy");
    case PortVerdict::CannotOpen: return QStringLiteral("cannotOpen");
    case PortVerdict::NoAnswer: break;
    }
    return QStringLiteral("noAnswer");
}

DeviceFound findDevice(cUSB_CDC_Protocol& link, Console& console, const DeviceSearch& search,
                       const std::atomic<bool>* stop)
{
    console.log(QStringLiteral("Scanning for available COM ports"));
    const Deadline deadline(search.waitMs);
    DeviceFound found;
    for (;;) {
        QStringList ports;
        if (!search.port.isEmpty())
            ports.append(resolvePortName(search.port));
        if (search.port.isEmpty() || search.alsoCandidates) {
            QStringList candidates;
            listCandidatePorts(candidates);
            for (const QString& candidate : qAsConst(candidates)) {
                if (!ports.contains(candidate))
                    ports.append(candidate);
            }
        }
        found.tried.clear();
        for (const QString& port : qAsConst(ports)) {
            const PortCheck check = checkPort(link, port, search.takeBootloader);
            if (check.verdict != PortVerdict::Device) {
                found.tried.append(check);
                continue;
            }
            quint64 id = 0;
            if (search.matchIdentifier && (link.SendGetID(id) || id != search.identifier)) {
                // Another device (its own job is looking for it too): left as it was found.
                link.CloseIfOpen();
                continue;
            }
            found.found = true;
            found.port = port;
            found.version = check.version;
            found.tried.clear();
            console.log(search.foundPrefix + port);
            if (link.versionKnown)
                console.log(QStringLiteral("Firmware version is ") + printableText(check.version));
            return found;
        }
        if (deadline.expired() || (stop && *stop))
            return found;
        sleepMs(static_cast<int>(std::min<int64_t>(kPollMs, deadline.remainingMs())));
    }
}

int reportNoDevice(Console& console, const QList<PortCheck>& tried)
{
    const QString text = QStringLiteral("No device found");
    console.setError(text);
    QStringList lines{text};
    QJsonArray list;
    bool onlyDenied = !tried.isEmpty();
    for (const PortCheck& check : tried) {
        lines.append(QStringLiteral("  %1: %2").arg(check.port, reasonText(check)));
        onlyDenied = onlyDenied && check.verdict == PortVerdict::Denied;
        QJsonObject entry;
        entry.insert(QStringLiteral("port"), check.port);
        entry.insert(QStringLiteral("reason"), reasonCode(check.verdict));
        entry.insert(QStringLiteral("text"), reasonText(check));
        if (check.holderPid > 0) {
            entry.insert(QStringLiteral("holderPid"), check.holderPid);
            entry.insert(QStringLiteral("holderName"), check.holderName);
        }
        list.append(entry);
    }
    if (tried.isEmpty())
        lines.append(QStringLiteral("  no candidate ports: no USB serial port with the device's vendor "
                                    "identifier (2C0D or 1915), and no virtual port"));
    console.document().insert(QStringLiteral("candidates"), list);
    console.message(lines.join(QLatin1Char('\n')));
    return onlyDenied ? ExitAccessDenied : ExitNoDevice;
}

void releaseDevice(cUSB_CDC_Protocol& link)
{
    if (!link.opened)
        return;
    // The exchange waits for the device's answer, so the port can be closed right after it.
    link.SendExit();
    link.CloseIfOpen();
}

void traceLink(cUSB_CDC_Protocol& link, Console& console)
{
    link.setTraceHook([&console](const LinkTraceEvent& event) {
        if (event.kind == LinkTraceEvent::Diagnostic) {
            console.trace(QStringLiteral("link: ") + event.text);
            return;
        }
        const char* name = cmd::name(event.command);
        const QByteArray bytes(reinterpret_cast<const char*>(event.bytes), int(event.size));
        console.trace(QStringLiteral("%1 %2 (%3 bytes): %4")
                          .arg(event.kind == LinkTraceEvent::Sent ? QStringLiteral("sent")
                                                                   : QStringLiteral("received"),
                               name ? QLatin1String(name) : QLatin1String("?"))
                          .arg(event.size)
                          .arg(QString::fromLatin1(bytes.toHex(' '))));
    });
}

}  // namespace orvane::cli
