// How a transfer tells its caller what happens: log lines for the user, per-file progress,
// and a stop request the transfer honours between two exchanges with the device.
#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

namespace orvane::transfer {

struct TransferReport {
    std::function<void(const QString&)> log;  // one user-visible line
    std::function<void(int)> progress;        // percent of the current file
    // Bytes done of the current file and its size, at its start and after every chunk, for
    // callers that show rates and time left (the command line's progress bar).
    std::function<void(uint64_t done, uint64_t total)> bytes;
    const std::atomic<bool>* stop = nullptr;  // set by another thread to end the job early
    // The line that says why the job failed (it is also logged), for callers that report the
    // cause on its own (the command line's error).
    std::function<void(const QString&)> failure;

    void line(const QString& text) const {
        if (log) log(text);
    }
    // Logs the line that ends the job with a failure.
    void fail(const QString& text) const {
        line(text);
        if (failure) failure(text);
    }
    void percent(int value) const {
        if (progress) progress(value);
    }
    void counted(uint64_t done, uint64_t total) const {
        if (bytes) bytes(done, total);
    }
    bool stopRequested() const { return stop && stop->load(); }
};

// Logged when a stop request ends a transfer before its data is complete.
inline QString stoppedLine() { return QStringLiteral("The transfer was stopped"); }

}  // namespace orvane::transfer
