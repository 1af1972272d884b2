// How a transfer tells its caller what happens: log lines for the user, per-file progress,
// and a stop request the transfer honours between two exchanges with the device.
#pragma once

#include <QString>

#include <atomic>
#include <functional>

namespace orvane::transfer {

struct TransferReport {
    std::function<void(const QString&)> log;  // one user-visible line
    std::function<void(int)> progress;        // percent of the current file
    const std::atomic<bool>* stop = nullptr;  // set by another thread to end the job early

    void line(const QString& text) const {
        if (log) log(text);
    }
    void percent(int value) const {
        if (progress) progress(value);
    }
    bool stopRequested() const { return stop && stop->load(); }
};

// Logged when a stop request ends a transfer before its data is complete.
inline QString stoppedLine() { return QStringLiteral("The transfer was stopped"); }

}  // namespace orvane::transfer
