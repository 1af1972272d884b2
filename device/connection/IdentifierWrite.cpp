#include "device/connection/IdentifierWrite.h"

#include <cmath>

#include "link/cUSB_CDC_Protocol.h"

namespace orvane {

double roundHalfUp(double value)
{
    // floor(value + 0.5) would round 0.49999999999999994 up: the sum is exactly 1.0.
    const double whole = std::floor(value);
    return value - whole >= 0.5 ? whole + 1.0 : whole;
}

quint64 identifierFromEntry(double value)
{
    const double rounded = roundHalfUp(value);
    if (!(rounded > 0.0))  // also NaN
        return 0;
    // 2^64 is the first double past the range; the cast is undefined from there on.
    if (rounded >= 18446744073709551616.0)
        return ~quint64(0);
    return static_cast<quint64>(rounded);
}

IdentifierWrite writeIdentifier(cUSB_CDC_Protocol& link, quint64 id,
                                const std::function<void()>& afterWrite)
{
    IdentifierWrite result;
    quint64 answer = id;  // SendSetID hands the device's answer back in its argument
    if (link.SendSetID(answer))
        return result;
    result.written = true;
    if (afterWrite)
        afterWrite();
    quint64 readBack = 0;
    if (link.SendGetID(readBack))
        return result;
    result.readBack = true;
    result.id = readBack;
    return result;
}

}  // namespace orvane
