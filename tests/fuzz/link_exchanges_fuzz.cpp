// Every command of the link and every device flow built on it, with the device's replies
// taken from the fuzzer's bytes (see FuzzPort.h). The first byte picks the command or flow;
// the flows that read files write them into a private folder and nowhere else.
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

#include "FuzzPort.h"
#include "FuzzSupport.h"
#include "device/config/ConfigFlows.h"
#include "device/config/NetworkConfig.h"
#include "device/connection/CandidateProbe.h"
#include "device/connection/DeviceIdentity.h"
#include "device/connection/IdentifierWrite.h"
#include "device/filesystem/FileSystemFlows.h"
#include "device/firmware/FirmwareUpdate.h"
#include "device/transfer/FileDownload.h"
#include "device/transfer/FileUpload.h"
#include "device/transfer/FlashImage.h"
#include "device/transfer/TransferJobs.h"
#include "link/cUSB_CDC_Protocol.h"

using namespace orvane;

namespace {

QTemporaryDir* workDir = nullptr;  // the folder the flows may write to
QString uploadPath;                // a local file to upload
QString readFolder;                // where device files are read into

void noLog(const QString&) {}

// Whatever the replies said, nothing was written outside the read folder, and the folder is
// emptied for the next input.
void checkAndClearReadFolder() {
    const QStringList outside =
        QDir(workDir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    fuzz::expect(outside == QStringList({QStringLiteral("read"), QStringLiteral("upload.bin")}),
                 "a flow wrote outside its folder");
    QDir read(readFolder);
    QDirIterator it(readFolder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    while (it.hasNext()) {
        const QString path = it.next();
        fuzz::expect(QFileInfo(path).isFile(), "a flow made a folder");
        QFile::remove(path);
    }
}

void runOperation(uint8_t op, cUSB_CDC_Protocol& link) {
    QString text;
    QByteArray value;
    uint8_t mac1[6], mac2[6];
    uint8_t record[cUSB_CDC_Protocol::kDiskInfoSize];
    uint8_t desc[cUSB_CDC_Protocol::kFileDescKept];
    uint8_t chunk[512];
    quint64 id = 42;
    quint32 mode = 0, size = 0;
    quint16 count = 300;
    transfer::TransferReport report;
    report.log = noLog;
    switch (op % 34) {
    case 0: link.SendHello(text); break;
    case 1: link.SendGetFWVersion(text); break;
    case 2: link.SendGetMAC(mac1, mac2); break;
    case 3: link.SendGetID(id); break;
    case 4: link.SendSetID(id); break;
    case 5: link.SendGetMode(mode); break;
    case 6: link.SendGetParam(5, value); break;
    case 7: link.SendSetParam(5, QByteArray("ssid")); break;
    case 8: link.SendStartESP(QStringLiteral("Updates/a.bin"), 100); break;
    case 9: link.SendWriteESP(0, chunk, sizeof chunk); break;
    case 10: link.SendEndESP(); break;
    case 11: link.SendDeleteESP(QStringLiteral("a.bin")); break;
    case 12: link.SendGetDiskInfo(record); break;
    case 13: link.SendGetFileDesc(1, 2, desc); break;
    case 14: link.SendStartFileRead(0, QStringLiteral("a.bin"), size); break;
    case 15: link.SendReadFile(0, chunk, 256, text); break;
    case 16: link.SendEndFileRead(); break;
    case 17: {
        link.SendGetFlash(0, chunk, count);
        fuzz::expect(count <= 300, "SendGetFlash gave more than asked");
        break;
    }
    case 18: link.SendFormat(); break;
    case 19: link.SendStartUpdate(); break;
    case 20: link.SendExit(); break;
    case 21: {
        DeviceIdentity identity;
        readDeviceIdentity(link, identity);
        break;
    }
    case 22: fs::listFileSystem(&link, noLog); break;
    case 23: {
        config::NetworkConfig config;
        config::readNetworkConfig(&link, config, noLog);
        break;
    }
    case 24: {
        config::NetworkConfig config;
        config::writeNetworkConfig(&link, config, noLog, [](const QStringList&) {});
        break;
    }
    case 25: transfer::uploadFile(&link, uploadPath, true, report); break;
    case 26:
        transfer::readDeviceFile(&link, readFolder + QStringLiteral("/a.bin"), 0,
                                 QStringLiteral("a.bin"), report);
        break;
    case 27:
        transfer::readFlashImage(&link, readFolder + QStringLiteral("/flash.bin"), 4096, report);
        break;
    case 28: writeIdentifier(link, 1234); break;
    case 29: {
        link.ClosePort();
        tryCandidates(link, {QStringLiteral("a"), QStringLiteral("b")}, true);
        break;
    }
    case 30: firmware::startFirmwareUpdate(&link, noLog); break;
    case 31: firmware::clearUpdateHistory(&link, noLog); break;
    case 32: fs::deleteFiles(&link, QStringLiteral("Audio"), {QStringLiteral("a.mp3")}, noLog); break;
    default: {
        // What a user's "get everything" does: the names the device lists become local
        // file names in the read folder.
        const fs::Listing listing = fs::listFileSystem(&link, noLog);
        for (int d = 0; d < listing.directories.size(); ++d) {
            TransferItems items;
            for (const QString& name : listing.directories.at(d).files)
                items.append(TransferItem{name, false});
            transfer::runReadFilesJob(&link, items, readFolder, quint16(d), report);
        }
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietQt();
    workDir = new QTemporaryDir;
    uploadPath = workDir->filePath(QStringLiteral("upload.bin"));
    QFile upload(uploadPath);
    if (!upload.open(QIODevice::WriteOnly) || upload.write(QByteArray(1500, 'u')) != 1500) abort();
    readFolder = workDir->filePath(QStringLiteral("read"));
    QDir().mkpath(readFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    auto port = std::make_unique<fuzz::FuzzPort>(data + 1, size - 1);
    cUSB_CDC_Protocol link(cUSB_CDC_Protocol::kSetParamTimeoutAdmin, std::move(port));
    link.OpenPort(QStringLiteral("fuzz"));
    runOperation(data[0], link);
    checkAndClearReadFolder();
    return 0;
}
