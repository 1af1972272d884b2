// Starts the admin window's transfer jobs, one at a time, each on a fresh thread with a fresh
// FileLoader; ends and frees both when the job is over and stops a running job when the
// window closes. One runner per window, found with TransferJobRunner::of(window).
#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>

class FileLoader;
class MainWindow;

class TransferJobRunner : public QObject {
    Q_OBJECT
public:
    using JobSlot = void (FileLoader::*)();
    using FinishSlot = void (MainWindow::*)();

    static TransferJobRunner* of(MainWindow* window);

    // True, with "A transfer is already running" in the log, when a job runs; pages check it
    // before they ask for files or prepare the window.
    static bool refuseIfBusy(MainWindow* window);

    // Sets the window's progress bar to 0 and shows it, then runs `job` of `worker` (taken
    // over) on a new thread: the worker's lines and progress go
    // to the window's slotLog and slotProgress, and `finish` runs on the GUI thread after the
    // job's last line, once the window knows the job is over. `configuredLine` is written
    // to the debug output before the thread starts. When a job already runs, logs
    // "A transfer is already running", deletes the worker and returns false.
    bool start(FileLoader* worker, JobSlot job, FinishSlot finish, const char* configuredLine);

    bool busy() const { return !worker_.isNull(); }
    // The running job's worker (null when idle); it lives on the job's thread.
    FileLoader* currentWorker() const { return worker_; }
    // Whether the last finished job reached its end without a failure.
    bool lastJobSucceeded() const { return lastJobSucceeded_; }

    // Asks the running job to stop after its current exchange and waits for its thread to
    // end; its finish slot does not run. Harmless when idle.
    void stopAndWait();

    ~TransferJobRunner() override;

private:
    explicit TransferJobRunner(MainWindow* window);
    void onFinished();

    MainWindow* window_;
    QPointer<QThread> thread_;
    QPointer<FileLoader> worker_;
    FinishSlot finish_ = nullptr;
    bool lastJobSucceeded_ = false;
};
