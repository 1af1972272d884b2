// Device file paths as the user types them ("Audio/bell.mp3", "/config.json", "config.json")
// matched against the device's listing, for ls, get and rm.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "device/filesystem/FileSystemFlows.h"

namespace orvane::cli {

class CommandCall;

struct DeviceFile {
    int dirIndex = -1;
    QString dirName;  // as the device names it
    QString name;
};

// Splits at the last "/": "Audio/bell.mp3" -> ("Audio", "bell.mp3"); a bare name or "/name"
// has an empty directory (the root).
void splitDevicePath(const QString& path, QString& dir, QString& name);

// The index of directory `dir` in `listing`: its exact name, "" or "/" for the root
// (directory 0), or the name without a leading "/". -1 when there is none.
int findDirectory(const fs::Listing& listing, const QString& dir);

// Reads the listing for a command; false (after the message) when the device did not give
// the whole of it.
bool readListing(CommandCall& call, fs::Listing& listing);

// Resolves `paths`; false after a message naming the first path whose directory or file the
// device does not have.
bool resolveDeviceFiles(CommandCall& call, const fs::Listing& listing, const QStringList& paths,
                        QList<DeviceFile>& files);

// Finds the device, reads its listing and resolves `paths`: ExitOk, or the status of the
// command after its message.
int locateDeviceFiles(CommandCall& call, const QStringList& paths, QList<DeviceFile>& files);

// The files in runs of the same directory, in the order given (one job or deletion a run).
QList<QList<DeviceFile>> runsByDirectory(const QList<DeviceFile>& files);

}  // namespace orvane::cli
