#include "cli/DeviceSlot.h"

namespace orvane::cli {

bool OutputClaims::claim(const QString& path, const QString& device, QString& owner)
{
    std::lock_guard<std::mutex> hold(lock_);
    const auto it = owners_.constFind(path);
    if (it != owners_.constEnd() && it.value() != device) {
        owner = it.value();
        return false;
    }
    owners_.insert(path, device);
    return true;
}

}  // namespace orvane::cli
