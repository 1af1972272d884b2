// The frame both programs' main windows are built on: the one device link, the connection
// sequence with its search state, and the orderly leave when the window goes.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QStringList>

class SearchPort;
class cUSB_CDC_Protocol;

namespace orvane {

class ConnectionSequence;

// A window built on this frame must declare the slots slotScanPorts() and
// slotSearchEnd(QString&, bool) forwarding to `connection` (see ConnectionSequence), and
// give the sequence its effects in its constructor.
class DeviceWindow : public QMainWindow {
    Q_OBJECT

public:
    // Ends a running search (its dialog goes with it); when the port is open, sends the
    // leave command, waits 100 ms and closes the port.
    ~DeviceWindow() override;

    cUSB_CDC_Protocol* link() const { return protocol; }

protected:
    // The link's SendSetParam waits `setParamTimeoutMs` (the two programs differ).
    DeviceWindow(QWidget* parent, int setParamTimeoutMs);

    cUSB_CDC_Protocol* protocol;
    ConnectionSequence* connection;  // Connect, the search, Disconnect
    // The search state lives in `connection`; these name it as the window's own.
    SearchPort*& searchDialog;
    QStringList& portsBefore;
    bool& scanning;
    QList<QWidget*> scaledWidgets;  // what the scaling pass moves and resizes
};

}  // namespace orvane
