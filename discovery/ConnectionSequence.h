// Connect, the device search and Disconnect, written once for both programs: each window
// supplies its own effects (log lines, what gets enabled) and forwards its slots here.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAbstractButton;
class SearchPort;
class cUSB_CDC_Protocol;

namespace orvane {

struct ConnectionEffects {
    // A line for the user (the admin tool's log pane); empty = the window has no log.
    std::function<void(const QString&)> log;
    // Whether "Skip the Bootloader" is checked, read at every probe.
    std::function<bool()> skipBootloader;
    // The device answered and its port is open: show the connected state.
    std::function<void()> connected;
    // The search was given up: make Connect usable again.
    std::function<void()> searchGaveUp;
    // Disconnect has closed the port: show the disconnected state.
    std::function<void()> disconnected;
    // A port exists but cannot be opened (not merely busy): the line naming it and the
    // system's reason, once per Connect. Empty = the line goes to `log`.
    std::function<void(const QString&)> openFailure;
    // A job is using the link right now: a lost device is let go only once the job has
    // ended with its own lines (the window then calls deviceLost() again). Empty = never.
    std::function<bool()> jobRunning;
};

// The window given to the constructor must have the slots slotScanPorts() and
// slotSearchEnd(QString&, bool), forwarding to scanPass() and searchEnd(): the search's
// timer and the dialog's SigExit are aimed at them.
class ConnectionSequence : public QObject {
    Q_OBJECT

public:
    static constexpr int kScanIntervalMs = 100;
    static constexpr int kDisconnectWaitMs = 5;  // after the leave command, before closing

    ConnectionSequence(cUSB_CDC_Protocol* link, QObject* window, QString searchMessage,
                       ConnectionEffects effects = {});
    ~ConnectionSequence() override;  // ends a running search and frees its dialog

    void setEffects(ConnectionEffects effects) { effects_ = std::move(effects); }

    // The Connect/Disconnect button's click: with the text "Connect" exactly it disables the
    // button and connects; with any other text it disconnects (the leave command, 5 ms,
    // the port closed) and runs the `disconnected` effect.
    void buttonClicked(QAbstractButton* button);
    // Connect: logs "Scanning for available COM ports", tries the candidates, and either
    // connects or starts the search. The window disables its Connect button first.
    void connectDevice();
    // One polling pass of the search.
    void scanPass();
    // The dialog finished: stop the search and log the outcome.
    void searchEnd(const QString& port, bool simple);
    // Sends the leave command, waits `waitMs` and closes the port.
    void disconnectDevice(int waitMs);
    // The connected device went away (the link said so): closes the port and shows the
    // disconnected state, as Disconnect does but with nothing sent. Harmless when the port
    // was closed or opened anew since.
    void deviceLost();

    // The search state, named as the windows name it.
    SearchPort* searchDialog = nullptr;
    QStringList portsBefore;
    bool scanning = false;

private:
    void startSearch();
    void foundDevice(const QString& logPrefix, const QString& port, const QString& version);
    void dropDialog();
    void reportOpenFailure(const QString& port, const QString& reason);
    void scheduleNextPass();
    void log(const QString& line) const;

    cUSB_CDC_Protocol* link_;
    QObject* window_;
    QString searchMessage_;
    ConnectionEffects effects_;
    bool openFailureLogged_ = false;  // one such line per Connect
};

}  // namespace orvane
