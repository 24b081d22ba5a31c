#include "CycleWorker.h"

#include "ErrorText.h"

#include <exception>

TCycleWorker::TCycleWorker(QObject* parent)
    : QObject(parent), finder_(&FindLimitCycles), worker_([this] { Work(); }) {}

TCycleWorker::~TCycleWorker() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        queued_.reset();
        cancel_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void TCycleWorker::SetFinder(TFinder finder) {
    std::lock_guard lock(mutex_);
    finder_ = std::move(finder);
}

long long TCycleWorker::Ask(TRequest request) {
    const long long number = ++asked_;
    {
        std::lock_guard lock(mutex_);
        queued_ = TQueued{number, std::move(request)};
        // The one running, if any, is of an older ask; the worker clears the
        // flag as it takes the new one.
        cancel_ = true;
    }
    wake_.notify_all();
    awaited_ = number;
    return number;
}

void TCycleWorker::Cancel() {
    {
        std::lock_guard lock(mutex_);
        queued_.reset();
        cancel_ = true;
    }
    awaited_.reset();
}

void TCycleWorker::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || queued_; });
        if (stop_) return;
        TQueued job = std::move(*queued_);
        queued_.reset();
        cancel_ = false;
        const TFinder finder = finder_;
        lock.unlock();

        job.request.options.cancel = &cancel_;
        TLimitCycles result;
        std::vector<TSeparatrix> separatrices;
        try {
            result = finder(*job.request.model, job.request.box, job.request.equilibria,
                            job.request.options);
            if (!result.cancelled && result.error.empty()) {
                TSeparatrixOptions options;
                options.cycles = result.cycles;
                options.cancel = &cancel_;
                separatrices = FindSeparatrices(*job.request.model, job.request.box,
                                                job.request.equilibria, options);
                result.cancelled = cancel_;
            }
        } catch (const std::exception& e) {
            result = TLimitCycles();
            result.box = job.request.box;
            result.error = ErrorMessage(e);
            separatrices.clear();
        }
        // Posted, never waited on: the window may be joining this thread.
        QMetaObject::invokeMethod(
            this,
            [this, number = job.number, found = std::move(result),
             lines = std::move(separatrices)]() mutable {
                Deliver(number, std::move(found), std::move(lines));
            },
            Qt::QueuedConnection);
        lock.lock();
    }
}

void TCycleWorker::Deliver(long long number, TLimitCycles result,
                           std::vector<TSeparatrix> separatrices) {
    if (awaited_ == number) awaited_.reset();
    if (OnResult) OnResult(number, std::move(result), std::move(separatrices));
}
