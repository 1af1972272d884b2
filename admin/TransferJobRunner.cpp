#include "TransferJobRunner.h"

#include <QDebug>

#include "FileLoader.h"

TransferJobRunner::TransferJobRunner(QObject* parent) : QObject(parent) {}

TransferJobRunner::~TransferJobRunner() { stopAndWait(); }

QString TransferJobRunner::busyLine() { return QStringLiteral("A transfer is already running"); }

bool TransferJobRunner::refuseIfBusy() {
    if (!busy()) return false;
    emit sigLog(busyLine());
    return true;
}

bool TransferJobRunner::start(FileLoader* worker, JobSlot job, std::function<void()> finished,
                              const char* configuredLine) {
    if (refuseIfBusy()) {
        delete worker;
        return false;
    }
    auto* thread = new QThread;
    worker->moveToThread(thread);
    // Queued across the threads, so lines, progress and the end arrive in emission order.
    connect(worker, &FileLoader::sigLog, this, &TransferJobRunner::sigLog);
    connect(worker, &FileLoader::sigProgress, this, &TransferJobRunner::sigProgress);
    connect(worker, &FileLoader::sigFinish, this, &TransferJobRunner::onFinished);
    connect(thread, &QThread::started, worker, job);
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);

    thread_ = thread;
    worker_ = worker;
    finished_ = std::move(finished);
    qDebug() << configuredLine;
    thread->start(QThread::InheritPriority);
    emit busyChanged(true);
    return true;
}

void TransferJobRunner::onFinished() {
    if (!worker_) return;
    lastJobSucceeded_ = worker_->succeeded();
    // The worker's thread has nothing more to do: let it end, which deletes both.
    thread_->quit();
    thread_ = nullptr;
    worker_ = nullptr;
    auto finished = std::move(finished_);
    finished_ = nullptr;
    emit busyChanged(false);
    if (finished) finished();
}

void TransferJobRunner::stopAndWait() {
    if (!worker_) return;
    worker_->disconnect(this);
    worker_->requestStop();
    QThread* thread = thread_;
    thread_ = nullptr;
    worker_ = nullptr;
    finished_ = nullptr;
    lastJobSucceeded_ = false;
    // The job slot returns after its current exchange; the thread's event loop then ends,
    // deleting the worker on the way out.
    thread->quit();
    thread->wait();
    delete thread;
    emit busyChanged(false);
}
