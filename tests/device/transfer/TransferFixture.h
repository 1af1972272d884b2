// Shared by the transfer tests: a simulated device on a pseudo-terminal with the link opened
// on it, and a recorder of the lines and progress a transfer reports.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "device/transfer/TransferReport.h"
#include "link/cUSB_CDC_Protocol.h"
#include "tests/support/SimHarness.h"

namespace orvane::test {

struct Recorder {
    QStringList lines;
    QStringList failures;  // the lines given as the job's failure
    QList<int> progress;
    std::atomic<bool> stop{false};

    transfer::TransferReport report() {
        transfer::TransferReport r;
        r.log = [this](const QString& line) { lines << line; };
        r.progress = [this](int p) { progress << p; };
        r.failure = [this](const QString& line) { failures << line; };
        r.stop = &stop;
        return r;
    }
};

// The simulator started, and a link opened on its port.
struct SimDevice {
    explicit SimDevice(sim::SimOptions options = {}) : sim(std::move(options)) {
        sim.start();
        opened = link.OpenPort(QString::fromStdString(sim.portPath())) == 0;
    }
    SimHarness sim;
    cUSB_CDC_Protocol link;
    bool opened = false;
};

// The index of device directory `name` as the device lists it, -1 when it has none.
inline int directoryIndex(cUSB_CDC_Protocol& link, const char* name) {
    uint8_t record[cUSB_CDC_Protocol::kDiskInfoSize] = {};
    if (link.SendGetDiskInfo(record)) return -1;
    const int count = record[4] | record[5] << 8;
    for (int i = 0; i < count && 14 + 24 * i < cUSB_CDC_Protocol::kDiskInfoSize; ++i) {
        if (QByteArray(reinterpret_cast<const char*>(record + 14 + 24 * i)) == name) return i;
    }
    return -1;
}

inline QByteArray pattern(int size, int seed = 7) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) bytes[i] = char((i * 31 + seed + i / 251) & 0xFF);
    return bytes;
}

inline std::vector<uint8_t> toVector(const QByteArray& bytes) {
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

inline QByteArray toBytes(const std::vector<uint8_t>& v) {
    return QByteArray(reinterpret_cast<const char*>(v.data()), int(v.size()));
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline uint32_t le32(const std::vector<uint8_t>& v, size_t at) {
    return uint32_t(v[at]) | uint32_t(v[at + 1]) << 8 | uint32_t(v[at + 2]) << 16 |
           uint32_t(v[at + 3]) << 24;
}

}  // namespace orvane::test
