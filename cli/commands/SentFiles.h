// Files the command line sends to the device (upload, flash, the key and certificate files of
// config set): the checks made before connecting, the upload, the read-back that verifies each
// file, and the size, SHA-256 and verification of each on standard output and in JSON.
#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "device/transfer/FileChecksum.h"

namespace orvane::cli {

class CommandCall;

struct SentFile {
    QString path;        // as given
    QString deviceName;  // "Updates/nRF_Update_c.bin", "chime.mp3"
    transfer::FileChecksum sum;  // of the local file, taken before connecting
    enum Verification { NotChecked, Verified, Unlisted, Failed } verification = NotChecked;
    QString note;  // why it is not verified, or what verification found
};

// --verify, --no-verify: verified unless --no-verify; explicit --verify also fails the job
// for a file the device does not list.
struct VerifyChoice {
    bool verify = true;
    bool explicitly = false;
};

// Takes --verify and --no-verify out of the command's arguments; false (after usage()) when
// both are given.
bool takeVerifyChoice(CommandCall& call, VerifyChoice& choice, int& status);

// Checks the local files before connecting (missing, a folder, unreadable, over 4 GiB, a
// name not valid UTF-8 or too long for the device, two files for one device name) and takes
// their size and SHA-256. False after a message (exit status 2 in `status`).
bool checkFilesToSend(CommandCall& call, const QStringList& paths, bool toUpdates,
                      QList<SentFile>& files, int& status);

// Uploads the files in order with the window's job; true when each went out whole.
bool sendFiles(CommandCall& call, const QList<SentFile>& files);

// Reads each file back from the device, found through the listing, and compares it with the
// local file. Prints "Verification failed for NAME: ..." for each that differs or cannot be
// read. True when no file failed (a file the device does not list fails only with
// explicit --verify).
bool verifySentFiles(CommandCall& call, QList<SentFile>& files, const VerifyChoice& choice);

// One line a file on standard output (NAME: SIZE bytes, SHA-256 HEX, verified ...) and the
// JSON array of {file, deviceName, name, size, sha256, verified}.
QJsonArray reportSentFiles(CommandCall& call, const QList<SentFile>& files);

}  // namespace orvane::cli
