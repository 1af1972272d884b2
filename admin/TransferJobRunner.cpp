#include "TransferJobRunner.h"

#include <QDebug>
#include <QProgressBar>

#include "FileLoader.h"
#include "admin/MainWindow.h"
#include "admin/MainWindowForm.h"

TransferJobRunner::TransferJobRunner(MainWindow* window) : QObject(window), window_(window) {
    setObjectName(QStringLiteral("transferJobRunner"));
}

TransferJobRunner::~TransferJobRunner() { stopAndWait(); }

TransferJobRunner* TransferJobRunner::of(MainWindow* window) {
    auto* runner = window->findChild<TransferJobRunner*>(QStringLiteral("transferJobRunner"),
                                                         Qt::FindDirectChildrenOnly);
    return runner ? runner : new TransferJobRunner(window);
}

bool TransferJobRunner::refuseIfBusy(MainWindow* window) {
    if (!window->jobRunning()) return false;
    window->slotLog(QStringLiteral("A transfer is already running"));
    return true;
}

bool TransferJobRunner::start(FileLoader* worker, JobSlot job, FinishSlot finish,
                              const char* configuredLine) {
    if (busy()) {
        window_->slotLog(QStringLiteral("A transfer is already running"));
        delete worker;
        return false;
    }
    if (!window_->beginJob([this] { stopAndWait(); })) {
        delete worker;
        return false;
    }
    window_->form()->progressStatus->setValue(0);
    window_->form()->progressStatus->show();
    auto* thread = new QThread;
    worker->moveToThread(thread);
    // Queued across the threads, so the window gets lines, progress and the end in the
    // order the job emitted them.
    connect(worker, &FileLoader::sigLog, window_, &MainWindow::slotLog);
    connect(worker, &FileLoader::sigProgress, window_, &MainWindow::slotProgress);
    connect(worker, &FileLoader::sigFinish, this, &TransferJobRunner::onFinished);
    connect(thread, &QThread::started, worker, job);
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);

    thread_ = thread;
    worker_ = worker;
    finish_ = finish;
    qDebug() << configuredLine;
    thread->start(QThread::InheritPriority);
    return true;
}

void TransferJobRunner::onFinished() {
    if (!worker_) return;
    lastJobSucceeded_ = worker_->succeeded();
    // The thread has nothing more to do: ending it frees the worker and the thread.
    thread_->quit();
    thread_ = nullptr;
    worker_ = nullptr;
    const FinishSlot finish = finish_;
    finish_ = nullptr;
    window_->endJob();
    if (finish) (window_->*finish)();
    window_->jobHasSaidItsLast();
}

void TransferJobRunner::stopAndWait() {
    if (!worker_) return;
    worker_->disconnect(this);
    worker_->requestStop();
    QThread* thread = thread_;
    thread_ = nullptr;
    worker_ = nullptr;
    finish_ = nullptr;
    lastJobSucceeded_ = false;
    // The job returns after its current exchange; the thread's loop then ends and frees the
    // worker on the way out.
    thread->quit();
    thread->wait();
    delete thread;
}
