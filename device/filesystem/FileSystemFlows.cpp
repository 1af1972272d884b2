#include "device/filesystem/FileSystemFlows.h"

#include "link/cUSB_CDC_Protocol.h"

namespace orvane::fs {

namespace {
void say(const LogFn& log, const char* line)
{
    if (log) log(QString::fromUtf8(line));
}
}  // namespace

Listing listFileSystem(cUSB_CDC_Protocol* link, const LogFn& log)
{
    Listing out;
    say(log, "Getting the files structure...");
    DiskInfo record{};
    if (link->SendGetDiskInfo(record.data())) {
        say(log, "Error occured while getting the disk info");
        out.status = Listing::DiskInfoFailed;
        return out;
    }
    out.record = record;
    const int count = listedDirectoryCount(record);
    for (int i = 0; i < count; ++i) {
        out.directories.append(Directory{directoryName(record, i), {}});
        QStringList& files = out.directories.last().files;
        for (int j = 0; j < kMaxFilesPerDir; ++j) {
            FileDesc desc{};
            if (link->SendGetFileDesc(quint16(i), quint16(j), desc.data())) {
                say(log, "Error occured while getting the file descriptor");
                out.status = Listing::FileDescFailed;
                return out;
            }
            if (isEmptyDescriptor(desc)) break;
            files.append(fileName(desc));
        }
    }
    say(log, "Structure is ready");
    out.status = Listing::Complete;
    return out;
}

bool deleteFiles(cUSB_CDC_Protocol* link, const QString& directory, const QStringList& files,
                 const LogFn& log)
{
    if (files.isEmpty()) {
        say(log, "No file selected");
        return false;
    }
    say(log, "Wait for clearing...");
    for (const QString& file : files) {
        const QString path = directory + QLatin1Char('/') + file;
        // The device takes 32 name bytes; a cut path could name, and delete, another file.
        if (path.toUtf8().size() > cUSB_CDC_Protocol::kUploadNameField) {
            if (log)
                log(QStringLiteral("The path %1 is longer than the device's %2-byte name field")
                        .arg(path)
                        .arg(cUSB_CDC_Protocol::kUploadNameField));
            say(log, "An error occurred while deleting");
            return false;
        }
        if (link->SendDeleteESP(path)) {
            say(log, "An error occurred while deleting");
            return false;
        }
    }
    say(log, "Selected files were deleted successfully");
    return true;
}

bool formatFlash(cUSB_CDC_Protocol* link, const LogFn& log)
{
    if (link->SendFormat()) {
        say(log, "Error while flash formatting");
        return false;
    }
    say(log, "Flash memory has been formatted successfully");
    return true;
}

}  // namespace orvane::fs
