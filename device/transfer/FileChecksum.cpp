#include "FileChecksum.h"

#include <QCryptographicHash>
#include <QFile>

namespace orvane::transfer {

FileChecksum fileChecksum(const QString& path) {
    FileChecksum sum;
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) {
        sum.error = file.errorString();
        return sum;
    }
    sum.ok = true;
    sum.size = file.size();
    sum.sha256 = hash.result().toHex();
    return sum;
}

}  // namespace orvane::transfer
