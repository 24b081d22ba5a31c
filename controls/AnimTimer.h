#pragma once

#include "NotifyEvent.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

struct TWorkerRecord;
class TTickWindow;

// A timer whose ticks are paced by a worker thread and run, one at a time, on
// the thread that owns the timer (the window thread). The worker hands each
// tick over and waits until the handler has returned, so ticks never queue up;
// the handler's reply is the interval for the next wait, measured from the
// start of one tick to the start of the next.
//
// Two interval values are reserved: kStopItself makes the worker ask to be
// stopped (it then idles until the timer stops it), kTickAtOnce makes it tick
// again without yielding.
class TAnimTimer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(unsigned Interval READ Interval WRITE SetInterval)

public:
    static constexpr std::uint32_t kStopItself = 4294967294u;
    static constexpr std::uint32_t kTickAtOnce = 4294967295u;

    explicit TAnimTimer(QObject* owner = nullptr);
    ~TAnimTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t value);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent handler);

    // True while a current worker is attached (enabled with a handler, and the
    // worker has not asked to be stopped).
    bool HasWorker() const { return current_ != nullptr; }

protected:
    virtual void StartWorker();
    virtual void StopWorker();
    virtual void WakeWorker();
    virtual void UpdateTimer();
    virtual void Timer();

private:
    friend class TTickWindow;
    // What the hidden window does with the worker's requests.
    std::uint32_t HandleTick();
    void HandleStopRequest(const std::shared_ptr<TWorkerRecord>& record);

    bool enabled_ = true;
    std::uint32_t interval_ = 10;
    TNotifyEvent onTimer_;
    TTickWindow* window_ = nullptr;
    std::shared_ptr<TWorkerRecord> current_;
    // Every record this timer started, so that none can reach the hidden
    // window after it is gone.
    std::vector<std::weak_ptr<TWorkerRecord>> records_;
};

// The shutdown guard of one worker thread, owned by the application object.
// When the application ends while the worker still runs, the guard stops the
// timer and waits for the worker, at most kShutdownWaitMs; the worker deletes
// its guard itself when it ends earlier.
class TThreadMiser : public QObject {
    Q_OBJECT

public:
    static constexpr int kShutdownWaitMs = 5000;

    TThreadMiser(std::shared_ptr<TWorkerRecord> record, TAnimTimer* timer);
    ~TThreadMiser() override;

    // True when the worker ended within the wait (or had ended before).
    bool WorkerJoined() const { return joined_; }

private:
    friend class TAnimTimer;
    std::shared_ptr<TWorkerRecord> record_;
    std::thread thread_;
    QPointer<TAnimTimer> timer_;
    bool joined_ = false;
};
