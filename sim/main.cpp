// device-sim: runs the simulated device until interrupted.
#include <csignal>
#include <cstdio>
#include <pthread.h>

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

    Simulator sim(options);
    sim.setPortListener([](const std::string& path) {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
    });
    if (!sim.start(&error)) {
        std::fprintf(stderr, "device-sim: cannot create the port: %s\n", error.c_str());
        return 1;
    }
    int signal = 0;
    sigwait(&stopSignals, &signal);
    sim.stop();
    return 0;
}
