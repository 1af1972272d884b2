// bare-peer: the bare device and client of the benches as a program (see BarePeer.h).
//   bare-peer serve LINK REPLY_BYTES          serve until SIGTERM or SIGINT
//   bare-peer ask PORT REQUEST_BYTES COUNT    print the milliseconds of COUNT round trips
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BarePeer.h"

namespace {
std::atomic<bool> stopping{false};
extern "C" void onSignal(int) { stopping = true; }
}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "serve") == 0) {
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
        return orvane::bench::serveBare(argv[2], std::strtoul(argv[3], nullptr, 10), stopping) ? 0 : 1;
    }
    if (argc == 5 && std::strcmp(argv[1], "ask") == 0) {
        const double ms = orvane::bench::askBare(argv[2], std::strtoul(argv[3], nullptr, 10),
                                                 std::strtol(argv[4], nullptr, 10));
        if (ms < 0) {
            std::fprintf(stderr, "bare-peer: no answer on %s\n", argv[2]);
            return 1;
        }
        std::printf("%.3f\n", ms);
        return 0;
    }
    std::fprintf(stderr,
                 "Usage: bare-peer serve LINK REPLY_BYTES | bare-peer ask PORT REQUEST_BYTES COUNT\n");
    return 2;
}
