// Giving the device its identifier (serial number): the operator's entry turned into the
// 64-bit identifier, the write and the read-back. Widget-free, for the window and the tests.
#pragma once

#include <QtGlobal>

#include <functional>

class cUSB_CDC_Protocol;

namespace orvane {

// The entered value rounded to the nearest integer, halves upwards (2.5 gives 3). Values
// below 0 and non-numbers give 0; values beyond the 64-bit range give its largest value.
double roundHalfUp(double value);
quint64 identifierFromEntry(double value);

struct IdentifierWrite {
    bool written = false;   // SendSetID succeeded
    bool readBack = false;  // SendGetID succeeded after it
    quint64 id = 0;         // the identifier read back (as read, not compared)
};

// SendSetID with `id`; when it succeeds, `afterWrite` runs (the window shows its message
// and returns once the operator has closed it), then SendGetID reads the identifier back.
IdentifierWrite writeIdentifier(cUSB_CDC_Protocol& link, quint64 id,
                                const std::function<void()>& afterWrite = {});

}  // namespace orvane
