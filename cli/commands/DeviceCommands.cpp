// ports, info and set-id: which ports there are, who the device is, and its identifier.
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include "cli/CommandTable.h"
#include "cli/Console.h"
#include "cli/DeviceChoice.h"
#include "device/connection/CandidateProbe.h"
#include "device/connection/DeviceIdentity.h"
#include "device/connection/IdentifierWrite.h"
#include "device/text/PrintableText.h"
#include "discovery/CandidatePorts.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane::cli {
namespace {

QString hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

bool parseIdentifier(const QString& text, quint64& id)
{
    // Digits only: toULongLong would also take signs, spaces and hexadecimal prefixes.
    if (text.isEmpty() || text.size() > 20)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    id = text.toULongLong(&ok, 10);
    return ok;
}

}  // namespace

int runPorts(CommandCall& call)
{
    QStringList extra;
    int status = 0;
    if (!call.operands(extra, 0, 0, status))
        return status;

    const QList<CandidatePort> ports = describeCandidatePorts();
    QJsonArray list;
    for (const CandidatePort& port : ports) {
        QJsonObject entry;
        entry.insert(QStringLiteral("name"), port.name);
        entry.insert(QStringLiteral("virtual"), port.isVirtual);
        const QString vendor = port.isVirtual ? QString() : hex4(port.vendorId);
        entry.insert(QStringLiteral("vendorId"), vendor.isEmpty() ? QJsonValue() : QJsonValue(vendor));

        // A bootloader is asked too, so that its version text shows.
        const PortCheck check = checkPort(call.link(), port.name, true);
        const bool answered = check.verdict == PortVerdict::Device;
        const bool bootloader = answered && isBootloaderVersion(check.version);
        entry.insert(QStringLiteral("reason"),
                     reasonCode(bootloader ? PortVerdict::Bootloader : check.verdict));
        if (answered) {
            entry.insert(QStringLiteral("version"), check.version);
            entry.insert(QStringLiteral("bootloader"), bootloader);
            // The leave command would send a bootloader on into the application: looking
            // must not change the device's state.
            if (bootloader)
                call.link().CloseIfOpen();
            else
                releaseDevice(call.link());
        } else {
            entry.insert(QStringLiteral("version"), QJsonValue());
            entry.insert(QStringLiteral("text"), reasonText(check));
            if (!check.systemReason.isEmpty())
                entry.insert(QStringLiteral("openError"), check.systemReason);
            if (check.holderPid > 0) {
                entry.insert(QStringLiteral("holderPid"), check.holderPid);
                entry.insert(QStringLiteral("holderName"), check.holderName);
            }
        }
        list.append(entry);
        call.console.line(QStringLiteral("%1  %2  %3")
                              .arg(port.name,
                                   port.isVirtual ? QStringLiteral("virtual") : QStringLiteral("vendor ") + vendor,
                                   reasonText(check)));
    }
    call.console.document().insert(QStringLiteral("ports"), list);
    if (ports.isEmpty())
        call.console.message(QStringLiteral("No candidate ports"));
    return ExitOk;
}

int runInfo(CommandCall& call)
{
    int status = 0;
    if (!call.noOperandsAndConnect(status))
        return status;

    DeviceIdentity identity;
    const bool complete = readDeviceIdentity(call.link(), identity);
    if (identity.modeRead)
        call.console.log(modeLine(identity.mode));

    QJsonObject& doc = call.console.document();
    doc.insert(QStringLiteral("port"), call.port());
    if (identity.idRead) {
        // A string: JSON numbers lose digits beyond 2^53.
        doc.insert(QStringLiteral("id"), identity.id);
        call.console.line(QStringLiteral("Velmora ID: ") + identity.id);
    }
    if (identity.macRead) {
        doc.insert(QStringLiteral("ethernetMac"), identity.ethMac);
        doc.insert(QStringLiteral("wifiMac"), identity.wifiMac);
        call.console.line(QStringLiteral("Ethernet MAC: ") + identity.ethMac);
        call.console.line(QStringLiteral("Wireless MAC: ") + identity.wifiMac);
    }
    if (identity.versionRead) {
        doc.insert(QStringLiteral("firmware"), identity.firmware);
        call.console.line(QStringLiteral("Firmware: ") + printableText(identity.firmware));
    }
    if (identity.modeRead) {
        doc.insert(QStringLiteral("mode"), static_cast<qint64>(identity.mode));
        call.console.line(QStringLiteral("Mode: ") + modeLine(identity.mode).section(QLatin1String(": "), 1));
    }
    if (!complete)
        return call.deviceFailed(QStringLiteral("The device did not answer every identity query"));
    return ExitOk;
}

int runSetId(CommandCall& call)
{
    // --from N: the first of the numbers the devices get in port order.
    QString from;
    bool fromGiven = false;
    for (int i = 0; i < call.args.size(); ++i) {
        const QString arg = call.args.at(i);
        if (arg == QLatin1String("--"))
            break;
        if (arg != QLatin1String("--from") && !arg.startsWith(QLatin1String("--from=")))
            continue;
        if (fromGiven)
            return call.usage(QStringLiteral("--from is given twice"));
        fromGiven = true;
        call.args.removeAt(i);
        if (arg != QLatin1String("--from")) {
            from = arg.mid(7);
        } else if (i < call.args.size()) {
            from = call.args.takeAt(i);
        }
        --i;
    }
    if (!fromGiven && call.severalDevices())
        return call.usage(QStringLiteral("one identifier cannot go to several devices: use --from N to "
                                         "give them N, N+1, ... in port order"));
    QStringList values;
    int status = 0;
    if (!call.operands(values, fromGiven ? 0 : 1, fromGiven ? 0 : 1, status))
        return status;
    const QString text = fromGiven ? from : values.first();
    quint64 wanted = 0;
    if (!parseIdentifier(text, wanted))
        return call.usage(QStringLiteral("\"%1\" is not an identifier (a decimal number from 0 to "
                                         "18446744073709551615)")
                              .arg(text));
    if (!call.connect())
        return call.noDevice();
    if (call.slot) {
        const quint64 index = static_cast<quint64>(call.slot->index);
        if (wanted > ~quint64(0) - index)
            return call.badInput(QStringLiteral("%1 + %2 is beyond the largest identifier").arg(text).arg(index));
        wanted += index;
    }

    QJsonObject& doc = call.console.document();
    doc.insert(QStringLiteral("port"), call.port());
    doc.insert(QStringLiteral("written"), QString::number(wanted));
    const IdentifierWrite write = writeIdentifier(call.link(), wanted, [&call] {
        call.console.log(QStringLiteral("The serial number has been written successfully"));
    });
    if (!write.written)
        return call.deviceFailed(QStringLiteral("An error occurred during writing the serial number"));
    if (!write.readBack)
        return call.deviceFailed(QStringLiteral("An error occurred during checking the serial number"));
    const quint64 readBack = write.id;
    doc.insert(QStringLiteral("id"), QString::number(readBack));
    call.console.line(QStringLiteral("Velmora ID: ") + QString::number(readBack));
    if (readBack != wanted)
        return call.deviceFailed(QStringLiteral("The device reports the identifier %1 after %2 was written")
                                     .arg(readBack)
                                     .arg(wanted));
    return ExitOk;
}

}  // namespace orvane::cli
