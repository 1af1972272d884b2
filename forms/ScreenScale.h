// The screen's scale factor for the fixed 96-DPI layouts, read through a small platform
// interface (Qt's primary screen here, GDI on Windows) that tests may replace.
#pragma once

#include <memory>

namespace orvane {

class ScreenScale {
public:
    virtual ~ScreenScale() = default;
    // The screen's horizontal logical dots per inch.
    virtual double logicalDpiX() const = 0;
};

// The platform's screen.
std::unique_ptr<ScreenScale> makePlatformScreenScale();

// Replaces the screen the factor is read from; nullptr restores the platform's.
void setScreenScale(std::unique_ptr<ScreenScale> scale);

// Pins the factor for the lifetime of the object (for tests).
class ScopedScreenScale {
public:
    explicit ScopedScreenScale(double factor);
    ~ScopedScreenScale();
    ScopedScreenScale(const ScopedScreenScale&) = delete;
    ScopedScreenScale& operator=(const ScopedScreenScale&) = delete;
};

}  // namespace orvane

// The screen's horizontal logical DPI divided by 96.
double screenScaleFactor();
