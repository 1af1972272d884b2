// connect-bench: how long Connect, the identity display and Disconnect take against the
// simulated device, how soon a search notices a device that appears, and what an idle
// search costs in processor time. Prints figures; asserts nothing.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "device/connection/CandidateProbe.h"
#include "device/connection/DeviceIdentity.h"
#include "discovery/CandidatePorts.h"
#include "discovery/ConnectionSequence.h"
#include "forms/ScreenScale.h"
#include "link/cUSB_CDC_Protocol.h"
#include "tests/support/SimHarness.h"

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void connectAndDisconnect(int rounds)
{
    orvane::test::SimHarness sim;
    sim.start();
    cUSB_CDC_Protocol link;
    std::vector<double> probe, identity, leave;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        QStringList ports;
        orvane::listCandidatePorts(ports);
        const orvane::ProbeResult found = orvane::tryCandidates(link, ports, true);
        probe.push_back(t.nsecsElapsed() / 1e6);
        if (!found.found) {
            std::printf("connect: device not found\n");
            return;
        }
        t.restart();
        orvane::DeviceIdentity id;
        orvane::readDeviceIdentity(link, id);
        identity.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        orvane::leaveDevice(link, 5);
        leave.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("connect (list + open + SendHello), median of %d: %.2f ms\n", rounds,
                median(probe));
    std::printf("identity display (4 queries), median of %d:    %.2f ms\n", rounds,
                median(identity));
    std::printf("disconnect (SendExit + 5 ms + close), median:   %.2f ms\n", median(leave));
}

void searchReaction(int rounds)
{
    std::vector<double> reaction;
    for (int i = 0; i < rounds; ++i) {
        orvane::test::SimHarness sim;
        cUSB_CDC_Protocol link;
        QEventLoop loop;
        QElapsedTimer sinceAppeared;
        double ms = -1;
        orvane::ConnectionSequence sequence(
            &link, nullptr, QString(),
            {nullptr, [] { return true; },
             [&] {
                 ms = sinceAppeared.nsecsElapsed() / 1e6;
                 loop.quit();
             },
             [&] { loop.quit(); },
             nullptr,
             nullptr,
             nullptr});
        sequence.connectDevice();
        QTimer::singleShot(250 + 37 * i, [&] {
            sim.start();
            sinceAppeared.start();
        });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        if (ms >= 0)
            reaction.push_back(ms);
        link.CloseIfOpen();
    }
    std::printf("search: device appears -> connected, median of %zu: %.1f ms (passes every %d ms)\n",
                reaction.size(), median(reaction), orvane::ConnectionSequence::kScanIntervalMs);
}

void idleSearchCost(int seconds)
{
    orvane::test::SimHarness sim;  // an empty ports directory: nothing ever appears
    cUSB_CDC_Protocol link;
    orvane::ConnectionSequence sequence(&link, nullptr, QString(), {});
    sequence.connectDevice();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const double elapsed = wall.nsecsElapsed() / 1e9;
    std::printf("idle search for %.1f s: %.3f s of processor time (%.2f%% of a core)\n", elapsed,
                cpu, 100.0 * cpu / elapsed);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    orvane::ScopedScreenScale pin(1.0);
    connectAndDisconnect(20);
    searchReaction(7);
    idleSearchCost(5);
    return 0;
}
