#include "FitWorker.h"

#include <QMetaObject>

#include <exception>

TFitWorker::TFitWorker(QObject* parent) : QObject(parent) {}

TFitWorker::~TFitWorker() {
    for (const auto& job : jobs_)
        job->cancel = true;
    for (const auto& job : jobs_)
        if (job->thread.joinable()) job->thread.join();
}

void TFitWorker::Run(std::unique_ptr<TCompiledModel> model, TObservedData data,
                     TFitOptions options) {
    for (const auto& job : jobs_)
        job->cancel = true;
    auto job = std::make_unique<TJob>();
    job->number = ++latest_;
    job->model = std::move(model);
    job->data = std::move(data);
    job->options = std::move(options);
    job->options.cancel = &job->cancel;
    const long long number = job->number;
    job->options.progress = [this, number](int done, double bestSsr) {
        QMetaObject::invokeMethod(
            this,
            [this, number, done, bestSsr] {
                if (number == latest_ && awaited_ && OnProgress) OnProgress(done, bestSsr);
            },
            Qt::QueuedConnection);
    };
    TJob* work = job.get();
    work->thread = std::thread([this, work] {
        auto result = std::make_shared<TFitResult>();
        try {
            *result = Fit(*work->model, work->data, work->options);
        } catch (const std::exception& error) {
            result->error = error.what();
        }
        QMetaObject::invokeMethod(
            this, [this, number = work->number, result] { Deliver(number, *result); },
            Qt::QueuedConnection);
    });
    jobs_.push_back(std::move(job));
    awaited_ = true;
}

void TFitWorker::Cancel() {
    if (!jobs_.empty()) jobs_.back()->cancel = true;
}

bool TFitWorker::Busy() const {
    return awaited_;
}

void TFitWorker::Deliver(long long number, const TFitResult& result) {
    for (auto it = jobs_.begin(); it != jobs_.end(); ++it)
        if ((*it)->number == number) {
            // It has posted its last: the join waits for its return only.
            (*it)->thread.join();
            jobs_.erase(it);
            break;
        }
    if (number != latest_) return;
    awaited_ = false;
    if (OnResult) OnResult(result);
}
