// Shared by the fuzz targets: the link's debug traces are dropped (they would cost most of
// the time), and a finding aborts with the broken expectation.
#pragma once

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace orvane::fuzz {

inline void quietQt() {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

// A broken expectation is a finding like a crash: libFuzzer keeps the input.
inline void expect(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::abort();
}

}  // namespace orvane::fuzz
