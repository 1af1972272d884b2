#include "forms/ScreenScale.h"

#include <windows.h>

namespace orvane {
namespace {

class GdiScreenScale : public ScreenScale {
public:
    double logicalDpiX() const override
    {
        HDC screen = GetDC(nullptr);
        if (!screen)
            return 96.0;
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        return dpi > 0 ? dpi : 96.0;
    }
};

}  // namespace

std::unique_ptr<ScreenScale> makePlatformScreenScale()
{
    return std::make_unique<GdiScreenScale>();
}

}  // namespace orvane
