// Opening and closing the link's serial port.
#include "cUSB_CDC_Protocol.h"

cUSB_CDC_Protocol::cUSB_CDC_Protocol(int setParamTimeoutMs,
                                     std::unique_ptr<orvane::SerialPort> port)
    : QObject(nullptr),
      port_(port ? std::move(port) : orvane::makePlatformSerialPort()),
      setParamTimeoutMs_(setParamTimeoutMs) {}

cUSB_CDC_Protocol::~cUSB_CDC_Protocol() { CloseIfOpen(); }

int cUSB_CDC_Protocol::OpenPort(const QString& portName) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (opened) {
        lastOpen_ = orvane::SerialOpenResult();
        lastOpen_.busy = true;
        lastOpen_.reason = "The port is already open";
        return 1;
    }
    lastOpen_ = port_->open(portName.toStdString());
    if (!lastOpen_.ok) return 1;
    lost_ = false;
    splitter_.clear();
    opened = true;
    startHangUpWatch();
    return 0;
}

void cUSB_CDC_Protocol::ClosePort() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    // The watcher waits on the port's handle: it must be gone before the handle is.
    stopHangUpWatch();
    port_->close();
    splitter_.clear();
    opened = false;
}

void cUSB_CDC_Protocol::CloseIfOpen() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (opened) ClosePort();
}

QString cUSB_CDC_Protocol::lastOpenError() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return QString::fromStdString(lastOpen_.reason);
}

bool cUSB_CDC_Protocol::lastOpenWasBusy() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return lastOpen_.busy;
}

orvane::SerialOpenResult cUSB_CDC_Protocol::lastOpenResult() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return lastOpen_;
}

bool cUSB_CDC_Protocol::portLost() const {
    // Read without the lock: the GUI may ask while a worker is inside a long exchange.
    return lost_;
}
