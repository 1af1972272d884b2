// The admin window opened on a simulated device, with its page state reachable and its log
// readable line by line, for the network and file system page tests.
#pragma once

#include <QStringList>
#include <QTextEdit>
#include <QToolBox>

#include <vector>

#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"
#include "link/cUSB_CDC_Protocol.h"
#include "tests/support/SimHarness.h"

namespace orvane::test {

class PageWindow : public MainWindow {
public:
    using MainWindow::diskInfo;
    using MainWindow::dirFiles;
    using MainWindow::securityMode;
};

struct PageFixture {
    SimHarness sim;
    PageWindow window;
    MainWindowForm* ui = window.form();

    PageFixture()
    {
        sim.start();
        if (window.link()->OpenPort(QString::fromStdString(sim.portPath())) != 0)
            qFatal("cannot open the simulated port");
        ui->toolBox->setEnabled(true);  // as the connection flow leaves it
        sim.clearReceived();
    }

    QStringList log() const
    {
        const QString text = ui->GLog->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
    void clearLog() { ui->GLog->clear(); }

    // Parameter ids of the requests of `command` the device received.
    QList<int> paramIds(uint8_t command) const
    {
        QList<int> ids;
        for (const auto& r : sim.received(command)) ids << (r.payload[0] | (r.payload[1] << 8));
        return ids;
    }
};

inline std::vector<uint8_t> bytes(const QByteArray& b) { return std::vector<uint8_t>(b.begin(), b.end()); }

}  // namespace orvane::test
