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
        try {
            result = finder(*job.request.model, job.request.box, job.request.equilibria,
                            job.request.options);
        } catch (const std::exception& e) {
            result = TLimitCycles();
            result.box = job.request.box;
            result.error = ErrorMessage(e);
        }
        // Posted, never waited on: the window may be joining this thread.
        QMetaObject::invokeMethod(
            this,
            [this, number = job.number, found = std::move(result)]() mutable {
                Deliver(number, std::move(found));
            },
            Qt::QueuedConnection);
        lock.lock();
    }
}

void TCycleWorker::Deliver(long long number, TLimitCycles result) {
    if (awaited_ == number) awaited_.reset();
    if (OnResult) OnResult(number, std::move(result));
}
