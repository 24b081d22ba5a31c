#pragma once

#include "CompiledModel.h"
#include "Equilibria.h"
#include "LimitCycles.h"
#include "PlaneRect.h"
#include "Separatrices.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// The search for limit cycles off the window thread, and after it for the
// separatrices of the saddles, which may end on the cycles found. One worker runs the
// latest search asked for, each on a model of its own (a Clone, since a
// compiled model serves one thread); asking while a search runs cancels it,
// and a search asked for but not yet begun is replaced. Each result comes
// back on the thread this object lives in, through its event loop, with the
// number its ask returned, so that the asker can tell a stale one from the
// latest. The worker is cancelled and joined when this object goes: it never
// waits on the window, so the join cannot hang on it.
class TCycleWorker : public QObject {
    Q_OBJECT

public:
    struct TRequest {
        std::unique_ptr<TCompiledModel> model;
        TPlaneRect box;
        TEquilibria equilibria;
        TCycleOptions options; // its cancel is the search's own
    };
    using TFinder =
        std::function<TLimitCycles(TCompiledModel& model, const TPlaneRect& box,
                                   const TEquilibria& equilibria, const TCycleOptions& options)>;

    explicit TCycleWorker(QObject* parent = nullptr);
    ~TCycleWorker() override;

    // Queues a search and returns its number, larger than any before.
    long long Ask(TRequest request);
    // Cancels the search running and drops the one queued: no result is
    // awaited any more.
    void Cancel();
    // A search asked for has not answered yet.
    bool Busy() const { return awaited_.has_value(); }

    // A result, on this object's thread: the search's number and what it
    // found (`cancelled` when it was cut short, and then no separatrices).
    // An exception in the search comes as `error`.
    std::function<void(long long number, TLimitCycles result,
                       std::vector<TSeparatrix> separatrices)>
        OnResult;

    // What runs a search: FindLimitCycles, or a stand-in that a test holds
    // back to put searches in a known order.
    void SetFinder(TFinder finder);

private:
    void Work();
    void Deliver(long long number, TLimitCycles result, std::vector<TSeparatrix> separatrices);

    std::mutex mutex_;
    std::condition_variable wake_;
    struct TQueued {
        long long number;
        TRequest request;
    };
    std::optional<TQueued> queued_;
    TFinder finder_;
    bool stop_ = false;
    std::atomic<bool> cancel_{false};

    long long asked_ = 0;              // the window thread's count of asks
    std::optional<long long> awaited_; // the last ask, until it answers
    std::thread worker_;               // last: starts once the rest is made
};
