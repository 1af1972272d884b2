// Times the transfers the admin window runs (upload 1 MiB, read it back, read the 8 MiB flash
// image) against a device-sim process on a pseudo-terminal, and compares each with a bare
// peer: a bare-peer device process answering the same number of requests of the same request
// and reply sizes, and a client in this process with no protocol work (bench/bare). Product
// (A) and bare peer (B) run interleaved, A B A B, for several rounds; each job reports the
// medians and the ratio of medians with the spread of the per-round ratios.
// Usage: transfer-bench [rounds]   (default 5)
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BarePeer.h"
#include "device/transfer/FileDownload.h"
#include "device/transfer/FileUpload.h"
#include "device/transfer/FlashImage.h"
#include "link/cUSB_CDC_Protocol.h"
#include "link/platform/Deadline.h"

namespace {

using orvane::monotonicMs;

struct Job {
    const char* what;
    double bytes;
    long exchanges;      // the bare peer's round trips: the job's main exchanges
    size_t requestBytes;  // as on the wire, END included
    size_t replyBytes;
    std::function<bool()> run;
};

struct Measured {
    std::string barePort;
    std::vector<double> productMs, bareMs;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

bool waitFor(const QString& path) {
    for (int i = 0; i < 100; ++i) {
        if (QFileInfo::exists(path)) return true;
        orvane::sleepMs(50);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The transfers' diagnostic lines would drown the figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString portsDir = dir.filePath("ports");
    QDir().mkpath(portsDir);

    // Both peers are processes of their own, started the same way.
    std::vector<std::unique_ptr<QProcess>> peers;
    auto startPeer = [&](const QString& program, const QStringList& args, const QString& link) {
        peers.push_back(std::make_unique<QProcess>());
        peers.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        peers.back()->start(program, args);
        return waitFor(link);
    };
    const QString simPort = portsDir + "/sim0";
    if (!startPeer(DEVICE_SIM, {"--ports-dir", portsDir, "--name", "sim0"}, simPort)) return 1;

    const int size = 1 << 20;
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i) data[i] = char(i * 7 + i / 4099);
    const QString local = dir.filePath("bench.bin");
    QFile f(local);
    f.open(QIODevice::WriteOnly);
    f.write(data);
    f.close();

    cUSB_CDC_Protocol link;
    orvane::transfer::TransferReport quiet;
    auto withLink = [&](const std::function<bool()>& job) {
        if (link.OpenPort(simPort) != 0) return false;
        const bool ok = job();
        link.ClosePort();
        return ok;
    };
    const QString back = dir.filePath("back.bin");
    // Request and reply sizes as the link and device-sim put them on the wire.
    std::vector<Job> jobs{
        {"upload 1 MiB", double(size), size / 512, 524, 5,
         [&] { return withLink([&] { return orvane::transfer::uploadFile(&link, local, false, quiet); }); }},
        {"read back 1 MiB", double(size), size / 256, 12, 263,
         [&] {
             const bool ok = withLink(
                 [&] { return orvane::transfer::readDeviceFile(&link, back, 0, "bench.bin", quiet); });
             QFile b(back);
             return ok && b.open(QIODevice::ReadOnly) && b.readAll() == data;
         }},
        {"flash image 8 MiB", double(orvane::transfer::kFlashImageSize),
         long(orvane::transfer::kFlashImageSize / 256), 10, 263,
         [&] {
             return withLink([&] {
                 return orvane::transfer::readFlashImage(&link, dir.filePath("flashimage.bin"),
                                                         orvane::transfer::kFlashImageSize, quiet);
             });
         }},
    };
    std::vector<Measured> measured(jobs.size());
    for (size_t j = 0; j < jobs.size(); ++j) {
        const QString barePort = dir.filePath(QString("bare%1").arg(j));
        if (!startPeer(BARE_PEER, {"serve", barePort, QString::number(jobs[j].replyBytes)}, barePort))
            return 1;
        measured[j].barePort = barePort.toStdString();
    }

    bool failed = false;
    for (int round = 1; round <= rounds; ++round) {
        for (size_t j = 0; j < jobs.size(); ++j) {
            const Job& job = jobs[j];
            Measured& m = measured[j];
            const int64_t t = monotonicMs();
            if (!job.run()) {
                std::printf("%s: FAILED in round %d\n", job.what, round);
                failed = true;
            }
            m.productMs.push_back(double(monotonicMs() - t));
            const double bare = orvane::bench::askBare(m.barePort, job.requestBytes, job.exchanges);
            if (bare < 0) {
                std::printf("%s: the bare peer did not answer\n", job.what);
                return 1;
            }
            m.bareMs.push_back(bare);
        }
    }

    for (size_t j = 0; j < jobs.size(); ++j) {
        const Job& job = jobs[j];
        const Measured& m = measured[j];
        std::vector<double> ratios;
        for (size_t i = 0; i < m.productMs.size(); ++i)
            ratios.push_back(m.productMs[i] / std::max(m.bareMs[i], 0.001));
        const double a = median(m.productMs), b = median(m.bareMs);
        std::printf("%-18s %8.0f ms %7.0f KiB/s; bare peer %6.0f ms for %ld round trips of %zu/%zu "
                    "bytes; ratio of medians %.2f (per-round %.2f to %.2f, %d rounds)\n",
                    job.what, a, job.bytes / 1024.0 / (a > 0 ? a / 1000 : 1), b, job.exchanges,
                    job.requestBytes, job.replyBytes, b > 0 ? a / b : 0.0,
                    *std::min_element(ratios.begin(), ratios.end()),
                    *std::max_element(ratios.begin(), ratios.end()), rounds);
    }
    for (auto& peer : peers) {
        peer->terminate();
        peer->waitForFinished(3000);
    }
    return failed ? 1 : 0;
}
