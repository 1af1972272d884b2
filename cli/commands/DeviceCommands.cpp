// ports, info and set-id: which ports there are, who the device is, and its identifier.
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSerialPortInfo>

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

    QStringList ports;
    listCandidatePorts(ports);
    const QStringList virtuals = virtualPorts();
    const QList<QSerialPortInfo> serial = QSerialPortInfo::availablePorts();

    QJsonArray list;
    for (const QString& port : qAsConst(ports)) {
        QJsonObject entry;
        entry.insert(QStringLiteral("name"), port);
        const bool isVirtual = virtuals.contains(port);
        entry.insert(QStringLiteral("virtual"), isVirtual);
        QString vendor;
        for (const QSerialPortInfo& info : serial) {
            if (info.portName() == port && info.hasVendorIdentifier())
                vendor = hex4(info.vendorIdentifier());
        }
        entry.insert(QStringLiteral("vendorId"), vendor.isEmpty() ? QJsonValue() : QJsonValue(vendor));

        QString openError;
        const ProbeResult probe = tryCandidates(
            call.link(), {port}, false,
            [&](const QString&, const QString& reason) { openError = reason; });
        QString answer;
        if (probe.found) {
            entry.insert(QStringLiteral("version"), probe.version);
            entry.insert(QStringLiteral("bootloader"), isBootloaderVersion(probe.version));
            answer = probe.version.isEmpty() ? QStringLiteral("answers") : printableText(probe.version);
            // The leave command would send a bootloader on into the application: looking
            // must not change the device's state.
            if (isBootloaderVersion(probe.version))
                call.link().CloseIfOpen();
            else
                releaseDevice(call.link());
        } else {
            // The probe reports no busy port: another program (an open admin-tool) has it.
            if (openError.isEmpty() && call.link().lastOpenWasBusy())
                openError = QStringLiteral("in use by another program");
            entry.insert(QStringLiteral("version"), QJsonValue());
            answer = openError.isEmpty() ? QStringLiteral("no answer")
                                         : QStringLiteral("cannot open: ") + openError;
            if (!openError.isEmpty())
                entry.insert(QStringLiteral("openError"), openError);
        }
        list.append(entry);
        call.console.line(QStringLiteral("%1  %2  %3")
                              .arg(port, isVirtual ? QStringLiteral("virtual")
                                                   : QStringLiteral("vendor ") + (vendor.isEmpty() ? QStringLiteral("?") : vendor),
                                   answer));
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
    QStringList values;
    int status = 0;
    if (!call.operands(values, 1, 1, status))
        return status;
    quint64 wanted = 0;
    if (!parseIdentifier(values.first(), wanted))
        return call.usage(QStringLiteral("\"%1\" is not an identifier (a decimal number from 0 to "
                                         "18446744073709551615)")
                              .arg(values.first()));
    if (!call.connect())
        return call.noDevice();

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
