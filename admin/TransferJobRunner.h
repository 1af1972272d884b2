// Starts the window's transfer jobs, one at a time, each on a fresh thread with a fresh
// FileLoader; tears both down when the job ends and stops a running job when the window closes.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <functional>

class FileLoader;

class TransferJobRunner : public QObject {
    Q_OBJECT
public:
    using JobSlot = void (FileLoader::*)();

    explicit TransferJobRunner(QObject* parent = nullptr);
    ~TransferJobRunner() override;  // stops a running job and waits for it

    static QString busyLine();  // "A transfer is already running"

    // True (and "A transfer is already running" logged) when a job runs; callers check this
    // before they prepare the window for a new job.
    bool refuseIfBusy();
    // Runs `job` of `worker` (taken over) on a new thread. The worker's lines and progress
    // come out of sigLog/sigProgress; `finished` runs on this thread after the job's last
    // line. `configuredLine` is the diagnostic line written before the thread starts.
    // Returns false, deleting the worker, when a job is already running.
    bool start(FileLoader* worker, JobSlot job, std::function<void()> finished,
               const char* configuredLine);

    bool busy() const { return !worker_.isNull(); }
    // Whether the last finished job reached its end without a failure.
    bool lastJobSucceeded() const { return lastJobSucceeded_; }

    // Asks the running job to stop after its current exchange and waits for its thread to
    // end; its finish callback does not run. Harmless when idle.
    void stopAndWait();

signals:
    void sigLog(QString line);
    void sigProgress(int percent);
    void busyChanged(bool busy);

private:
    void onFinished();

    QPointer<QThread> thread_;
    QPointer<FileLoader> worker_;
    std::function<void()> finished_;
    bool lastJobSucceeded_ = false;
};
