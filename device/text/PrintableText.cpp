#include "device/text/PrintableText.h"

namespace orvane {

bool isControlCharacter(QChar c)
{
    const ushort u = c.unicode();
    if (c.category() == QChar::Other_Control)  // C0, DEL, C1
        return true;
    return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

QString printableText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (!isControlCharacter(c)) {
            out.append(c);
            continue;
        }
        const ushort u = c.unicode();
        out.append(u < 0x100 ? QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'))
                             : QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0')));
    }
    return out;
}

}  // namespace orvane
