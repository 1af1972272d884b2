// admin-cli on three simulated devices at once: one document per device, numbering by
// --from, a flash that finds each restarted device by its identifier, a device lost mid-job
// while the others finish, output files that do not collide, and Ctrl-C.
#include <QDir>
#include <QJsonArray>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <thread>

#include "CliFixture.h"
#include "link/codec/CommandCodes.h"
#include "tests/support/SimHarness.h"

using orvane::test::CliRun;
using orvane::test::readBytes;
using orvane::test::runCli;
using orvane::test::SimHarness;
using orvane::test::someBytes;
using orvane::test::toBytes;
using orvane::test::writeBytes;
namespace cmd = orvane::cmd;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

constexpr quint64 kFirstId = 1000000017;

// sim0, sim1 and sim2 in one ports directory, with the identifiers and MAC addresses of
// device-sim --count 3.
class ThreeDevices {
public:
    explicit ThreeDevices(const std::function<void(int, orvane::sim::SimOptions&)>& adjust = {})
    {
        for (int k = 0; k < 3; ++k) {
            orvane::sim::SimOptions options;
            options.name = "sim" + std::to_string(k);
            options.deviceNumber = k;
            if (k > 0)
                options.portsDir = sims_.front()->portsDir();
            if (adjust)
                adjust(k, options);
            sims_.push_back(std::make_unique<SimHarness>(options));
            sims_.back()->start();
        }
    }
    ~ThreeDevices()
    {
        while (!sims_.empty())  // the first owns the directory: it goes last
            sims_.pop_back();
    }
    SimHarness& operator[](int k) { return *sims_.at(k); }
    // The device that answered with the identifier of a document.
    int indexOf(const QJsonObject& doc)
    {
        for (int k = 0; k < 3; ++k) {
            if (doc.value(s("id")).toString() == QString::number((*this)[k].identifier()))
                return k;
        }
        return -1;
    }

private:
    std::vector<std::unique_ptr<SimHarness>> sims_;
};

QList<QJsonObject> documents(const CliRun& run)
{
    QList<QJsonObject> docs;
    for (const QString& line : run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        docs.append(QJsonDocument::fromJson(line.toUtf8()).object());
    return docs;
}

}  // namespace

class CliSeveralTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(s("default.debug=false")); }

    void infoIdentifiersAndStop()
    {
        ThreeDevices sims;
        const CliRun json = runCli({s("--all"), s("--json"), s("info")});
        QCOMPARE(json.status, 0);
        const QList<QJsonObject> docs = documents(json);
        QCOMPARE(docs.size(), 3);
        QSet<int> seen;
        QSet<QString> macs;
        for (const QJsonObject& doc : docs) {
            const int k = sims.indexOf(doc);
            QVERIFY2(k >= 0, qPrintable(doc.value(s("id")).toString()));
            seen.insert(k);
            macs << doc.value(s("wifiMac")).toString() << doc.value(s("ethernetMac")).toString();
            QCOMPARE(doc.value(s("id")).toString(), QString::number(kFirstId + k));
            QCOMPARE(doc.value(s("port")).toString(), QString::fromStdString(sims[k].portPath()));
            QCOMPARE(doc.value(s("ok")).toBool(), true);
        }
        QCOMPARE(seen.size(), 3);
        QCOMPARE(macs.size(), 6);
        QVERIFY(json.err.endsWith(s("3 of 3 devices succeeded\n")));

        // Text: every line names its device.
        const CliRun text = runCli({s("--port"), s("sim2"), s("--port"), s("sim0"), s("info")});
        QCOMPARE(text.status, 0);
        QVERIFY(text.out.contains(s("sim2: Velmora ID: 1000000019\n")));
        for (const QString& line : (text.out + text.err).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            QVERIFY2(line.startsWith(s("sim0: ")) || line.startsWith(s("sim2: ")) ||
                         line == s("2 of 2 devices succeeded"),
                     qPrintable(line));

        // One identifier cannot go to several devices; --from numbers them in the order given.
        QCOMPARE(runCli({s("--all"), s("set-id"), s("5")}).status, 2);
        for (int k = 0; k < 3; ++k)
            QVERIFY(sims[k].received(cmd::SetID).empty());
        QCOMPARE(runCli({s("--port"), s("sim2"), s("--port"), s("sim0"), s("set-id"), s("--from"), s("500")})
                     .status, 0);
        QCOMPARE(sims[2].identifier(), quint64(500));
        QCOMPARE(sims[0].identifier(), quint64(501));
        QCOMPARE(sims[1].identifier(), kFirstId + 1);

        // Ctrl-C stops every job.
        QTemporaryDir out;
        std::atomic<bool> stop{true};
        const CliRun stopped = runCli({s("--all"), s("dump-flash"), s("-o"), out.path()}, false, &stop);
        QCOMPARE(stopped.status, 130);
        QVERIFY(stopped.err.endsWith(s("0 of 3 devices succeeded; failed: sim0, sim1, sim2\n")));
    }

    void flashFindsEachDeviceAgainByItsIdentifier()
    {
        // They come back in another order than they left, each under a new port name.
        const int delays[] = {700, 200, 450};
        ThreeDevices sims([&](int k, orvane::sim::SimOptions& o) { o.restartDelayMs = delays[k]; });
        QTemporaryDir local;
        const QString image = local.filePath(s("system.bin"));
        QVERIFY(writeBytes(image, QByteArray("image ORVANE-VERSION=Orvane 3.0.0\n") + someBytes(20000)));

        const CliRun run = runCli({s("--all"), s("--json"), s("--wait"), s("30"), s("flash"), image});
        QCOMPARE(run.status, 0);
        const QList<QJsonObject> docs = documents(run);
        QCOMPARE(docs.size(), 3);
        for (const QJsonObject& doc : docs) {
            const int k = sims.indexOf(doc);
            QVERIFY(k >= 0);
            QCOMPARE(sims[k].restartCount(), 1);
            QCOMPARE(doc.value(s("port")).toString(), QString::fromStdString(sims[k].portPath()));
            QCOMPARE(doc.value(s("firmware")).toString(), s("Orvane 3.0.0"));
            QCOMPARE(sims[k].firmwareVersion(), std::string("Orvane 3.0.0"));
        }
    }

    void aLostDeviceFailsAloneWhileTheOthersFinish()
    {
        ThreeDevices sims;
        sims[1].updateOptions([](orvane::sim::SimOptions& o) { o.noReplyOnNth[cmd::WriteESP] = 10; });
        QTemporaryDir local;
        const QString file = local.filePath(s("chime.mp3"));
        QVERIFY(writeBytes(file, someBytes(64 * 1024)));

        CliRun run;
        std::thread job([&] { run = runCli({s("--all"), s("upload"), file}); });
        // The cable of sim1 is pulled while it waits for the answer to chunk 10.
        QTRY_VERIFY_WITH_TIMEOUT(sims[1].received(cmd::WriteESP).size() >= 10, 20000);
        sims[1].stop();
        job.join();
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.endsWith(s("2 of 3 devices succeeded; failed: sim1\n")), qPrintable(run.err));
        for (int k : {0, 2})
            QCOMPARE(toBytes(sims[k].files().at("chime.mp3")), someBytes(64 * 1024));
        QVERIFY(run.out.contains(s("sim0: chime.mp3: 65536 bytes")));
    }

    void outputFilesDoNotCollide()
    {
        ThreeDevices sims;
        sims[2].setIdentifier(kFirstId);  // the same identifier as sim0
        for (int k = 0; k < 3; ++k)
            sims[k].putFile("Logs/boot.log", {uint8_t('0' + k)});
        QTemporaryDir out;

        // Each device's files in a folder of its own, named by its identifier (and its port,
        // when another device has the same identifier).
        const CliRun get = runCli({s("--all"), s("-q"), s("get"), s("Logs/boot.log"), s("-o"), out.path()});
        QCOMPARE(get.status, 0);
        QCOMPARE(readBytes(out.filePath(s("1000000017-sim0/boot.log"))), QByteArray("0"));
        QCOMPARE(readBytes(out.filePath(s("1000000018/boot.log"))), QByteArray("1"));
        QCOMPARE(readBytes(out.filePath(s("1000000017-sim2/boot.log"))), QByteArray("2"));

        // One file name for all is refused before any device is asked; a name with {id}
        // fails the second device of an identifier, not the first.
        QCOMPARE(runCli({s("--all"), s("dump-flash"), s("-o"), out.filePath(s("x.bin"))}).status, 2);
        QCOMPARE(runCli({s("--all"), s("dump-flash"), s("-o"), s("-")}).status, 2);
        const CliRun dump = runCli({s("--all"), s("-q"), s("dump-flash"), s("-o"), out.filePath(s("id-{id}.bin"))});
        QCOMPARE(dump.status, 2);
        QVERIFY2(dump.err.contains(s("is written for sim")), qPrintable(dump.err));
        QVERIFY(dump.err.contains(s("2 of 3 devices succeeded; failed: sim")));
        QCOMPARE(readBytes(out.filePath(s("id-1000000018.bin"))), toBytes(sims[1].flash()));
        QCOMPARE(readBytes(out.filePath(s("id-1000000017.bin"))).size(), 8 << 20);
    }
};

QTEST_GUILESS_MAIN(CliSeveralTest)
#include "cli_several_test.moc"
