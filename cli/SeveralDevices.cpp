#include "cli/SeveralDevices.h"

#include <QCollator>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "cli/DeviceChoice.h"
#include "cli/DeviceSlot.h"
#include "cli/SharedOutput.h"
#include "discovery/CandidatePorts.h"
#include "link/cUSB_CDC_Protocol.h"
#include "link/platform/Deadline.h"

namespace orvane::cli {
namespace {

constexpr int kPollMs = 250;

// One port of the run: its link, its console and what it turned out to be.
struct Device {
    DeviceSlot slot;
    PortCheck check;
    std::unique_ptr<cUSB_CDC_Protocol> link = std::make_unique<cUSB_CDC_Protocol>();
    std::unique_ptr<Console> console;
    int status = ExitOk;
};

using Devices = std::vector<std::unique_ptr<Device>>;

// Runs `work(i)` for every i below `count`, each on a thread of its own, and waits for all.
void onEachThread(size_t count, const std::function<void(size_t)>& work)
{
    std::vector<std::thread> threads;
    threads.reserve(count);
    for (size_t i = 0; i < count; ++i)
        threads.emplace_back(work, i);
    for (std::thread& thread : threads)
        thread.join();
}

bool stopped(const std::atomic<bool>* stop)
{
    return stop && stop->load();
}

// Asks the port as Connect does, again every 250 ms until `waitMs` has passed; the device
// found is left open with its identifier read.
void probe(Device& device, bool takeBootloader, int64_t waitMs, const std::atomic<bool>* stop)
{
    const Deadline deadline(waitMs);
    for (;;) {
        device.check = checkPort(*device.link, device.slot.port, takeBootloader);
        if (device.check.verdict == PortVerdict::Device) {
            device.slot.version = device.check.version;
            device.slot.idKnown = !device.link->SendGetID(device.slot.id);
            return;
        }
        if (deadline.expired() || stopped(stop))
            return;
        sleepMs(static_cast<int>(std::min<int64_t>(kPollMs, deadline.remainingMs())));
    }
}

// A console per port, all writing through `shared`, each line after the port's short name.
Devices devicesFor(const QStringList& ports, const Invocation& invocation, QTextStream& out,
                   QTextStream& err, const ConsoleOptions& options, SharedOutput& shared)
{
    int width = 0;
    for (const QString& port : ports)
        width = std::max(width, QFileInfo(port).fileName().size());
    Devices devices;
    for (const QString& port : ports) {
        auto device = std::make_unique<Device>();
        device->slot.port = port;
        device->slot.name = QFileInfo(port).fileName();
        device->slot.index = static_cast<int>(devices.size());
        ConsoleOptions own = options;
        own.prefix = QStringLiteral("%1 ").arg(device->slot.name + QLatin1Char(':'), -(width + 1));
        own.shared = &shared;
        own.slot = device->slot.index;
        device->console = std::make_unique<Console>(out, err, own);
        device->console->document().insert(QStringLiteral("command"), invocation.command);
        if (invocation.trace)
            traceLink(*device->link, *device->console);
        devices.push_back(std::move(device));
    }
    return devices;
}

// The candidate ports in port order: ttyACM2 before ttyACM10.
QStringList candidatesInOrder()
{
    QStringList ports;
    listCandidatePorts(ports);
    QCollator order;
    order.setNumericMode(true);
    std::stable_sort(ports.begin(), ports.end(),
                     [&order](const QString& a, const QString& b) { return order.compare(a, b) < 0; });
    return ports;
}

// The name of each device's own file in a shared folder: its identifier, with the port's
// name added when another device of the run answers with the same one.
void nameFiles(Devices& devices)
{
    QHash<quint64, int> seen;
    for (const auto& device : devices) {
        if (device->slot.idKnown)
            ++seen[device->slot.id];
    }
    for (auto& device : devices) {
        DeviceSlot& slot = device->slot;
        if (!slot.idKnown)
            slot.key = slot.name;
        else if (seen.value(slot.id) > 1)
            slot.key = QStringLiteral("%1-%2").arg(slot.id).arg(slot.name);
        else
            slot.key = QString::number(slot.id);
    }
}

}  // namespace

int runOnSeveralDevices(const Command& command, const Invocation& invocation, QTextStream& out,
                        QTextStream& err, const ConsoleOptions& options,
                        const std::atomic<bool>* stop)
{
    // The arguments and local files once, before any device is asked: wrong usage is said
    // once, not once per device.
    {
        QString checkedOut, checkedErr;
        QTextStream checkOut(&checkedOut), checkErr(&checkedErr);
        ConsoleOptions quietly = options;
        quietly.terminal = false;
        Console console(checkOut, checkErr, quietly);
        console.document().insert(QStringLiteral("command"), invocation.command);
        cUSB_CDC_Protocol link;
        CommandCall call(invocation, console, link, stop);
        call.checkOnly = true;
        const int status = command.run(call);
        if (!call.reachedDevice()) {
            console.finish(status);
            checkOut.flush();
            checkErr.flush();
            out << checkedOut;
            out.flush();
            err << checkedErr;
            err.flush();
            return status;
        }
    }

    SharedOutput shared(out, err, options.terminal && !options.quiet);
    const int64_t waitMs =
        invocation.waitGiven ? static_cast<int64_t>(invocation.waitSeconds * 1000.0) : 0;
    Devices devices;
    if (invocation.all) {
        // Every candidate that answers; with --wait, until at least one does.
        const Deadline deadline(waitMs);
        for (;;) {
            devices = devicesFor(candidatesInOrder(), invocation, out, err, options, shared);
            onEachThread(devices.size(), [&](size_t i) {
                probe(*devices[i], invocation.bootloader, 0, stop);
            });
            const bool any = std::any_of(devices.begin(), devices.end(), [](const auto& d) {
                return d->check.verdict == PortVerdict::Device;
            });
            if (any || deadline.expired() || stopped(stop))
                break;
            sleepMs(static_cast<int>(std::min<int64_t>(kPollMs, deadline.remainingMs())));
        }
        QList<PortCheck> passedOver;
        Devices taken;
        for (auto& device : devices) {
            if (device->check.verdict == PortVerdict::Device)
                taken.push_back(std::move(device));
            else
                passedOver.append(device->check);
        }
        if (taken.empty()) {
            Console console(out, err, options);
            console.document().insert(QStringLiteral("command"), invocation.command);
            const int status = stopped(stop) ? ExitInterrupted : reportNoDevice(console, passedOver);
            if (status == ExitInterrupted)
                console.message(QStringLiteral("Interrupted"));
            console.finish(status);
            return status;
        }
        if (!options.quiet) {
            for (const PortCheck& check : qAsConst(passedOver))
                shared.writeErr(QStringLiteral("Passed over %1: %2\n").arg(check.port, reasonText(check)));
        }
        devices = std::move(taken);
        for (size_t i = 0; i < devices.size(); ++i)
            devices[i]->slot.index = static_cast<int>(i);
    } else {
        QStringList ports;
        for (const QString& port : invocation.ports)
            ports.append(resolvePortName(port));
        devices = devicesFor(ports, invocation, out, err, options, shared);
        onEachThread(devices.size(), [&](size_t i) {
            probe(*devices[i], invocation.bootloader, waitMs, stop);
        });
    }
    nameFiles(devices);

    OutputClaims claims;
    onEachThread(devices.size(), [&](size_t i) {
        Device& device = *devices[i];
        Console& console = *device.console;
        device.slot.claims = &claims;
        if (device.check.verdict != PortVerdict::Device) {
            device.status = reportNoDevice(console, {device.check});
        } else {
            CommandCall call(invocation, console, *device.link, stop);
            call.slot = &device.slot;
            device.status = runCommand(command, call);
        }
        // The document of one device is the single device's, with its port and identifier.
        QJsonObject& doc = console.document();
        if (!doc.contains(QStringLiteral("port")))
            doc.insert(QStringLiteral("port"), device.slot.port);
        if (!doc.contains(QStringLiteral("id")) && device.slot.idKnown)
            doc.insert(QStringLiteral("id"), QString::number(device.slot.id));
        console.finish(device.status);
    });

    int worst = ExitOk;
    int succeeded = 0;
    QStringList failed;
    for (const auto& device : devices) {
        worst = std::max(worst, device->status);
        if (device->status == ExitOk)
            ++succeeded;
        else
            failed.append(device->slot.name);
    }
    QString summary = QStringLiteral("%1 of %2 devices succeeded").arg(succeeded).arg(devices.size());
    if (!failed.isEmpty())
        summary += QStringLiteral("; failed: ") + failed.join(QStringLiteral(", "));
    shared.writeErr(summary + QLatin1Char('\n'));
    return worst;
}

}  // namespace orvane::cli
