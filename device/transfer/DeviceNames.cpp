#include "DeviceNames.h"

#include "device/text/PrintableText.h"

namespace orvane::transfer {

const QList<QPair<QString, QString>>& firmwareFileNames() {
    static const QList<QPair<QString, QString>> table = {
        {QStringLiteral("system.bin"), QStringLiteral("nRF_Update_c.bin")},
        {QStringLiteral("drivers.bin"), QStringLiteral("ESP_Update_c.bin")},
        {QStringLiteral("interface.bin"), QStringLiteral("NRF_Bootloader_c.bin")},
    };
    return table;
}

QString localFileName(const QString& path) {
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString deviceFileName(const QString& path, bool toUpdates) {
    QString name = localFileName(path);
    for (const auto& entry : firmwareFileNames()) {
        if (entry.first == name) {
            name = entry.second;
            break;
        }
    }
    return toUpdates ? QStringLiteral("Updates/") + name : name;
}

bool fitsNameField(const QString& name, int fieldBytes) {
    return name.toUtf8().size() <= fieldBytes;
}

bool isSafeLocalFileName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        // Control characters in a file name would steer the terminal of whoever lists it.
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || isControlCharacter(c))
            return false;
    }
    return true;
}

}  // namespace orvane::transfer
