// Device file names turned into local paths: a name the host accepts as a local file name
// lands directly in the folder it was read into, and shows without control characters.
#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cstdint>

#include "FuzzSupport.h"
#include "device/text/PrintableText.h"
#include "device/transfer/DeviceNames.h"

using namespace orvane;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    const QString shown = printableText(name);
    for (const QChar c : shown)
        fuzz::expect(!isControlCharacter(c), "a printable text holds a control character");

    transfer::fitsNameField(name, 24);
    transfer::deviceFileName(name, true);
    if (!transfer::isSafeLocalFileName(name)) return 0;
    // The job builds the local path as folder + "/" + name.
    const QString folder = QStringLiteral("/work/folder");
    const QString path = QDir::cleanPath(folder + QLatin1Char('/') + name);
    fuzz::expect(QFileInfo(path).path() == folder, "a safe name leaves its folder");
    fuzz::expect(QFileInfo(path).fileName() == name, "a safe name is changed on its way to disk");
    fuzz::expect(shown == name, "a safe name holds characters that are shown escaped");
    return 0;
}
