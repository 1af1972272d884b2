// How long the network page's read and write flows and the file system listing take against
// the simulated device, and the processor time a refresh costs while the device is silent.
#include "SimHarness.h"
#include "device/config/ConfigFlows.h"
#include "device/filesystem/FileSystemFlows.h"
#include "link/cUSB_CDC_Protocol.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

double nowMs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Median wall time and median thread processor time of `rounds` runs, in milliseconds.
void measure(const char* what, int rounds, const std::function<void()>& run)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < rounds; ++i) {
        const double w = nowMs(CLOCK_MONOTONIC), c = nowMs(CLOCK_THREAD_CPUTIME_ID);
        run();
        wall.push_back(nowMs(CLOCK_MONOTONIC) - w);
        cpu.push_back(nowMs(CLOCK_THREAD_CPUTIME_ID) - c);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-44s median %8.2f ms wall, %6.2f ms cpu (%d runs)\n", what, wall[wall.size() / 2],
                cpu[cpu.size() / 2], rounds);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    orvane::test::SimHarness sim;
    sim.start();
    cUSB_CDC_Protocol link;
    if (link.OpenPort(QString::fromStdString(sim.portPath())) != 0) {
        std::fprintf(stderr, "cannot open the simulated device\n");
        return 1;
    }
    const auto quiet = [](const QString&) {};

    orvane::config::NetworkConfig config;
    config.wifiEnabled = true;
    config.ethernetEnabled = true;
    config.security = orvane::config::Security::Wpa;
    config.ssid = "bench";
    config.password = "password";
    config.proxyEnabled = true;
    config.proxyUrl = "http://proxy";
    config.proxyPort = "8080";
    measure("write configuration (WPA, proxy: 10 params)", 50,
            [&] { orvane::config::writeNetworkConfig(&link, config, quiet, nullptr); });
    measure("read configuration (WPA, proxy: 10 params)", 50, [&] {
        orvane::config::NetworkConfig c;
        orvane::config::readNetworkConfig(&link, c, quiet);
    });

    // Every directory the device allows, each full.
    sim.removeAllFiles();
    int files = 0;
    for (int d = 0; d < 8; ++d) {
        for (int f = 0; f < 16; ++f) {
            try {
                sim.putFile("dir" + std::to_string(d) + "/file" + std::to_string(f), {uint8_t(f)});
                ++files;
            } catch (const std::exception&) {
                break;  // no room for another directory
            }
        }
    }
    const orvane::fs::Listing listing = orvane::fs::listFileSystem(&link, quiet);
    int listed = 0;
    for (const auto& dir : listing.directories) listed += dir.files.size();
    std::printf("listing: %d directories, %d files (%d put)\n", int(listing.directories.size()), listed, files);
    measure("refresh (the listing above)", 20, [&] { orvane::fs::listFileSystem(&link, quiet); });

    // The device stops answering: the refresh waits out one disk-information time-out.
    sim.updateOptions([](orvane::sim::SimOptions& o) { o.noReplyOnNth = {{orvane::cmd::GetDiskInfo, 1}}; });
    measure("refresh, device silent (500 ms time-out)", 1, [&] { orvane::fs::listFileSystem(&link, quiet); });
    return 0;
}
