// The serial-number writer's main window: owns the form and the one device link, connects
// through the shared connection sequence, and writes the identifier the operator enters.
#pragma once

#include <QString>

#include <functional>

#include "ProgramVersions.h"
#include "frame/DeviceWindow.h"

class QMessageBox;

namespace snwriter {

class MainWindowForm;

class MainWindow : public orvane::DeviceWindow {
    Q_OBJECT

public:
    static constexpr const char* kVersion = orvane::kSnWriterVersion;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;  // then the frame leaves the device if connected

    // clear = true empties lineID; otherwise queries the device (MAC addresses, identifier,
    // firmware version, mode, stopping at the first failure) and shows the identifier in
    // lineID when it was read. 0 = every query succeeded.
    int showDeviceInfo(bool clear);

    // Where the window's messages go (Set's outcomes, a port that cannot be opened). By
    // default each is shown in a parentless message box and waited for; a test installs its
    // own so nothing waits on a modal box. Called in the order the messages appear; the work
    // goes on once it returns.
    using MessagePresenter = std::function<void(const QString& text)>;
    void setMessagePresenter(MessagePresenter presenter) { presenter_ = std::move(presenter); }

    MainWindowForm* form() const { return ui; }

public slots:
    void on_ButtonConnect_clicked();
    void on_ButtonSet_clicked();
    void on_lineID_new_valueChanged(double arg1);
    // The search's: its timer and the dialog's SigExit are aimed at these.
    void slotSearchEnd(QString& port, bool Simple);
    void slotScanPorts();

protected:
    MainWindowForm* ui;

private:
    void enterConnectedState();
    void enterDisconnectedState();
    void showMessage(QMessageBox& box, const QString& text);

    MessagePresenter presenter_;
};

}  // namespace snwriter
