#include "frame/DeviceWindow.h"

#include "device/connection/CandidateProbe.h"
#include "discovery/ConnectionSequence.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane {

DeviceWindow::DeviceWindow(QWidget* parent, int setParamTimeoutMs)
    : QMainWindow(parent),
      protocol(new cUSB_CDC_Protocol(setParamTimeoutMs)),
      connection(new ConnectionSequence(
          protocol, this, QStringLiteral("Connect the Device to Computer using USB"))),
      searchDialog(connection->searchDialog),
      portsBefore(connection->portsBefore),
      scanning(connection->scanning)
{
}

DeviceWindow::~DeviceWindow()
{
    delete connection;
    connection = nullptr;
    if (protocol->opened)
        leaveDevice(*protocol, 100);
    delete protocol;
}

}  // namespace orvane
