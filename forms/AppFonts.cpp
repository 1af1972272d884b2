#include "forms/AppFonts.h"

#include <QFont>
#include <QStringList>

namespace orvane {

void installFontSubstitutions()
{
#ifndef Q_OS_WIN
    // Liberation Sans has Arial's metrics; the dialog font of the layouts is close enough
    // to it that every text of the forms fits its rectangle.
    const QStringList family{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                             QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Shell Dlg 2"), family);
    QFont::insertSubstitutions(QStringLiteral("Arial"), family);
#endif
}

}  // namespace orvane
