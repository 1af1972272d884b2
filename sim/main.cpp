// device-sim: runs the simulated device until interrupted.
#include <csignal>
#include <cstdio>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <vector>

#include "ProgramVersions.h"
#include "SimArgs.h"
#include "Simulator.h"

int main(int argc, char** argv) {
    using namespace orvane::sim;
    SimOptions options;
    options.recordRequests = false;  // nobody reads the log of a standalone run
    std::string error;
    switch (parseSimArgs(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case ArgsOutcome::Help:
        std::fputs(simUsage().c_str(), stdout);
        return 0;
    case ArgsOutcome::Version:
        std::printf("device-sim %s\n", orvane::kAdminToolVersion);
        return 0;
    case ArgsOutcome::Error:
        std::fprintf(stderr, "device-sim: %s\n", error.c_str());
        return 2;
    case ArgsOutcome::Run:
        break;
    }

    // Signals are taken by sigwait below, so the port link is always removed on the way out.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // Several devices: one simulator each, every one on its own thread and port.
    if (options.count > 1 && !options.stateDir.empty()) ::mkdir(options.stateDir.c_str(), 0755);
    std::vector<std::unique_ptr<Simulator>> devices;
    for (const SimOptions& device : eachDevice(options)) {
        devices.push_back(std::make_unique<Simulator>(device));
        Simulator& sim = *devices.back();
        sim.setPortListener([](const std::string& path) {
            // One line each, whole, though several devices may announce at once.
            static std::mutex printing;
            std::lock_guard<std::mutex> hold(printing);
            std::printf("%s\n", path.c_str());
            std::fflush(stdout);
        });
        if (!sim.start(&error)) {
            std::fprintf(stderr, "device-sim: cannot create the port: %s\n", error.c_str());
            return 1;
        }
    }
    int signal = 0;
    sigwait(&stopSignals, &signal);
    for (auto& sim : devices) sim->stop();
    return 0;
}
