#pragma once

#include "CompiledModel.h"
#include "Fit.h"
#include "ObservedData.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

// A fit off the window thread: each run fits a model of its own (a Clone of
// the window's) on a thread of its own, Fit spreading its starts over every
// core. Progress and the result come back on the thread this object lives
// in, through its event loop, and only from the latest run: a new run
// cancels the one before and drops whatever it still sends. The threads
// never wait on the window, so the destructor, which cancels and joins them,
// cannot hang on it.
class TFitWorker : public QObject {
    Q_OBJECT

public:
    explicit TFitWorker(QObject* parent = nullptr);
    ~TFitWorker() override;

    // `options.cancel` and `options.progress` are the worker's own.
    void Run(std::unique_ptr<TCompiledModel> model, TObservedData data, TFitOptions options);
    // The latest run stops where its starts are and sends the best so far.
    void Cancel();
    // The latest run has not sent its result yet.
    bool Busy() const;

    // After each start of the latest run: the starts done and the least SSR.
    std::function<void(int done, double bestSsr)> OnProgress;
    std::function<void(const TFitResult& result)> OnResult;

private:
    struct TJob {
        long long number = 0;
        std::unique_ptr<TCompiledModel> model;
        TObservedData data;
        TFitOptions options;
        std::atomic<bool> cancel{false};
        std::thread thread;
    };

    void Deliver(long long number, const TFitResult& result);

    long long latest_ = 0;
    bool awaited_ = false;
    // Last: asked to stop and joined before the rest goes.
    std::vector<std::unique_ptr<TJob>> jobs_;
};
