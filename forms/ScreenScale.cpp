#include "forms/ScreenScale.h"

namespace orvane {
namespace {

std::unique_ptr<ScreenScale>& currentScale()
{
    static std::unique_ptr<ScreenScale> scale;
    return scale;
}

class FixedScreenScale : public ScreenScale {
public:
    explicit FixedScreenScale(double factor) : factor_(factor) {}
    double logicalDpiX() const override { return factor_ * 96.0; }

private:
    double factor_;
};

}  // namespace

void setScreenScale(std::unique_ptr<ScreenScale> scale)
{
    currentScale() = std::move(scale);
}

ScopedScreenScale::ScopedScreenScale(double factor)
{
    setScreenScale(std::make_unique<FixedScreenScale>(factor));
}

ScopedScreenScale::~ScopedScreenScale()
{
    setScreenScale(nullptr);
}

}  // namespace orvane

double screenScaleFactor()
{
    auto& scale = orvane::currentScale();
    if (!scale)
        scale = orvane::makePlatformScreenScale();
    return scale->logicalDpiX() / 96.0;
}
