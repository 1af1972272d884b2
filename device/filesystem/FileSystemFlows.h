// Listing the device's directories and files, deleting files and formatting the flash, with
// the log lines the user sees. Shared by the admin window, the command line and tests.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

#include "device/filesystem/DiskRecords.h"

class cUSB_CDC_Protocol;

namespace orvane::fs {

using LogFn = std::function<void(const QString& line)>;

struct Directory {
    QString name;
    QStringList files;  // in the order the device gave them
};

struct Listing {
    enum Status {
        Complete,          // "Structure is ready"
        DiskInfoFailed,    // nothing was read: keep whatever was shown before
        FileDescFailed,    // `directories` holds those reached, the last one partly read
    };
    Status status = DiskInfoFailed;
    DiskInfo record{};  // valid unless DiskInfoFailed
    QList<Directory> directories;
};

// Asks for the disk information, then per directory (at most 8) for file descriptors 0 to
// 15 until an empty one. The first failing request ends the listing.
Listing listFileSystem(cUSB_CDC_Protocol* link, const LogFn& log);

// Deletes `files` of `directory` (paths "directory/file") in order; stops at the first
// failure. True when every file was deleted. No files: "No file selected", nothing sent.
bool deleteFiles(cUSB_CDC_Protocol* link, const QString& directory, const QStringList& files,
                 const LogFn& log);

// Formats the flash. True on success.
bool formatFlash(cUSB_CDC_Protocol* link, const LogFn& log);

}  // namespace orvane::fs
