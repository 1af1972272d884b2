// The size and SHA-256 of a local file, as printed beside every file sent or received.
#pragma once

#include <QByteArray>
#include <QString>

namespace orvane::transfer {

struct FileChecksum {
    bool ok = false;
    qint64 size = 0;
    QByteArray sha256;  // lower-case hexadecimal
    QString error;      // why the file could not be read
};

FileChecksum fileChecksum(const QString& path);

}  // namespace orvane::transfer
