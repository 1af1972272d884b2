// What a traced link reports: every frame it sends and receives, and its diagnostic lines.
// A link without a hook skips all of it at the cost of one test per frame.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace orvane {

struct LinkTraceEvent {
    enum Kind { Sent, Received, Diagnostic };
    Kind kind = Diagnostic;
    uint8_t command = 0;             // the frame's command byte (0 when it could not be decoded)
    const uint8_t* bytes = nullptr;  // the frame as on the wire (a received one without its ENDs)
    size_t size = 0;
    QString text;                    // Diagnostic: the line, as Qt's debug output shows it
};

using LinkTraceHook = std::function<void(const LinkTraceEvent&)>;

}  // namespace orvane
