#include "discovery/ConnectionSequence.h"

#include <QAbstractButton>
#include <QDebug>
#include <QSet>
#include <QTimer>

#include "device/connection/CandidateProbe.h"
#include "discovery/CandidatePorts.h"
#include "discovery/SearchPort.h"
#include "device/text/PrintableText.h"
#include "link/cUSB_CDC_Protocol.h"

namespace orvane {

ConnectionSequence::ConnectionSequence(cUSB_CDC_Protocol* link, QObject* window,
                                       QString searchMessage, ConnectionEffects effects)
    : QObject(window),
      link_(link),
      window_(window),
      searchMessage_(std::move(searchMessage)),
      effects_(std::move(effects))
{
    // Queued: the link may say it from inside an exchange, under its lock, or from its
    // watcher thread.
    QObject::connect(link_, &cUSB_CDC_Protocol::sigPortLost, this, &ConnectionSequence::deviceLost,
                     Qt::QueuedConnection);
}

ConnectionSequence::~ConnectionSequence()
{
    scanning = false;
    // The dialog has no parent: left alone it would outlive the window.
    dropDialog();
}

void ConnectionSequence::dropDialog()
{
    if (!searchDialog)
        return;
    QObject::disconnect(searchDialog, nullptr, window_, nullptr);
    QObject::disconnect(searchDialog, nullptr, this, nullptr);
    delete searchDialog;
    searchDialog = nullptr;
}

void ConnectionSequence::log(const QString& line) const
{
    if (effects_.log)
        effects_.log(line);
}

void ConnectionSequence::reportOpenFailure(const QString& port, const QString& reason)
{
    if (scanning)
        qDebug().noquote() << "Cannot open" << port << reason;
    if (openFailureLogged_)
        return;
    openFailureLogged_ = true;
    const QString line = QStringLiteral("Cannot open %1: %2").arg(port, reason);
    if (effects_.openFailure) {
        effects_.openFailure(line);
        return;
    }
    log(line);
    // Without the port's permissions the search would wait in vain: say what to do.
    if (link_->lastOpenResult().denied)
        log(QStringLiteral("%1: %2").arg(port, permissionHint()));
}

void ConnectionSequence::buttonClicked(QAbstractButton* button)
{
    if (button->text() == QLatin1String("Connect")) {
        button->setEnabled(false);
        connectDevice();
        return;
    }
    disconnectDevice(kDisconnectWaitMs);
    if (effects_.disconnected)
        effects_.disconnected();
}

void ConnectionSequence::connectDevice()
{
    openFailureLogged_ = false;
    log(QStringLiteral("Scanning for available COM ports"));
    listCandidatePorts(portsBefore);

    const bool skip = effects_.skipBootloader && effects_.skipBootloader();
    const ProbeResult result =
        tryCandidates(*link_, portsBefore, skip, [this](const QString& port, const QString& why) {
            reportOpenFailure(port, why);
        });
    if (result.found)
        foundDevice(QStringLiteral("Found the device connected to "), result.port, result.version);
    else
        startSearch();
}

void ConnectionSequence::startSearch()
{
    qDebug().noquote() << "COM ports before searching:";
    for (const QString& port : qAsConst(portsBefore))
        qDebug().noquote() << QStringLiteral("    ") + port;

    // A dialog hidden by Escape in an earlier search is replaced now.
    dropDialog();
    searchDialog = new SearchPort(searchMessage_, nullptr);
    // Closing the window ends the program even while the dialog waits.
    searchDialog->setAttribute(Qt::WA_QuitOnClose, false);
    bool connected = false;
    if (window_ && window_->metaObject()->indexOfSlot("slotSearchEnd(QString&,bool)") >= 0) {
        connected = QObject::connect(searchDialog, SIGNAL(SigExit(QString&, bool)), window_,
                                     SLOT(slotSearchEnd(QString&, bool)));
    } else {
        connected = static_cast<bool>(
            QObject::connect(searchDialog, &SearchPort::SigExit, this,
                             [this](QString& port, bool simple) { searchEnd(port, simple); }));
    }
    qDebug().noquote() << QStringLiteral("Connecting device waiting box signal result: ") +
                              (connected ? QStringLiteral("true") : QStringLiteral("false"));

    searchDialog->show();
    scanning = true;
    scheduleNextPass();
}

void ConnectionSequence::scheduleNextPass()
{
    if (window_ && window_->metaObject()->indexOfSlot("slotScanPorts()") >= 0)
        QTimer::singleShot(kScanIntervalMs, window_, SLOT(slotScanPorts()));
    else
        QTimer::singleShot(kScanIntervalMs, this, [this] { scanPass(); });
}

void ConnectionSequence::scanPass()
{
    if (!scanning)
        return;

    QStringList after;
    listCandidatePorts(after);
    const QSet<QString> before(portsBefore.begin(), portsBefore.end());
    QStringList fresh;
    for (const QString& port : qAsConst(after)) {
        if (!before.contains(port))
            fresh.append(port);
    }
    if (fresh.isEmpty()) {
        scheduleNextPass();
        return;
    }

    qDebug().noquote() << "COM ports after found something:";
    for (const QString& port : qAsConst(after))
        qDebug().noquote() << QStringLiteral("    ") + port;

    for (const QString& port : qAsConst(fresh)) {
        const bool skip = effects_.skipBootloader && effects_.skipBootloader();
        QString version;
        const NewPortOutcome outcome =
            probeNewPort(*link_, port, skip, version,
                         [this](const QString& p, const QString& why) { reportOpenFailure(p, why); });
        if (outcome == NewPortOutcome::Found) {
            foundDevice(QStringLiteral("Found device connected to "), port, version);
            return;
        }
        if (outcome == NewPortOutcome::Bootloader)
            break;
    }
    scheduleNextPass();
}

void ConnectionSequence::foundDevice(const QString& logPrefix, const QString& port,
                                     const QString& version)
{
    scanning = false;
    log(logPrefix + port);
    if (link_->versionKnown)
        log(QStringLiteral("Firmware version is ") + orvane::printableText(version));
    if (effects_.connected)
        effects_.connected();
    // Found by a pass: the dialog goes without a SigExit, so "Device not found" is not logged.
    dropDialog();
}

void ConnectionSequence::searchEnd(const QString& port, bool simple)
{
    scanning = false;
    if (port.isEmpty())
        log(QStringLiteral("Device not found"));
    else
        log(QStringLiteral("Found the Device on ") + port);
    if (effects_.searchGaveUp)
        effects_.searchGaveUp();
    if (!simple && searchDialog) {
        // We are inside the dialog's own signal: it goes once control is back in the loop.
        QObject::disconnect(searchDialog, nullptr, window_, nullptr);
        QObject::disconnect(searchDialog, nullptr, this, nullptr);
        searchDialog->deleteLater();
        searchDialog = nullptr;
    }
}

void ConnectionSequence::disconnectDevice(int waitMs)
{
    leaveDevice(*link_, waitMs);
}

void ConnectionSequence::deviceLost()
{
    if (!link_->opened || !link_->portLost())
        return;
    if (effects_.jobRunning && effects_.jobRunning())
        return;
    link_->CloseIfOpen();
    if (effects_.disconnected)
        effects_.disconnected();
}

}  // namespace orvane
