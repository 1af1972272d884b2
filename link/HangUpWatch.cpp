// Noticing that the port went away while nobody talks to the device: one thread per open
// port, blocked in the serial layer's hang-up wait, so a window can show the loss at once.
#include "cUSB_CDC_Protocol.h"

void cUSB_CDC_Protocol::markLost() {
    if (!lost_.exchange(true)) emit sigPortLost();
}

void cUSB_CDC_Protocol::startHangUpWatch() {
    hangUpWatch_ = std::thread([this] {
        if (port_->waitForHangUp()) markLost();
    });
}

void cUSB_CDC_Protocol::stopHangUpWatch() {
    if (!hangUpWatch_.joinable()) return;
    port_->interruptHangUpWait();
    hangUpWatch_.join();
}
