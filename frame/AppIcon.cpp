#include "frame/AppIcon.h"

// The resource lives in a static library: it has to be registered by name.
static void registerIconResource()
{
    Q_INIT_RESOURCE(AppIcon);
}

namespace orvane {

QIcon appIcon()
{
    registerIconResource();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/48x48/orvane-service-tools.png"), QSize(48, 48));
    icon.addFile(QStringLiteral(":/icons/256x256/orvane-service-tools.png"), QSize(256, 256));
    return icon;
}

}  // namespace orvane
