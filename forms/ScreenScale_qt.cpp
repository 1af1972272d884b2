#include "forms/ScreenScale.h"

#include <QGuiApplication>
#include <QScreen>

namespace orvane {
namespace {

class QtScreenScale : public ScreenScale {
public:
    double logicalDpiX() const override
    {
        const QScreen* screen = QGuiApplication::primaryScreen();
        // Without a screen there is nothing to fit: keep the layout as designed.
        return screen ? screen->logicalDotsPerInchX() : 96.0;
    }
};

}  // namespace

std::unique_ptr<ScreenScale> makePlatformScreenScale()
{
    return std::make_unique<QtScreenScale>();
}

}  // namespace orvane
