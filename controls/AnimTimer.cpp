#include "AnimTimer.h"

#include <QCoreApplication>
#include <QEvent>

#include <chrono>
#include <condition_variable>
#include <mutex>

#ifdef __linux__
#include <cerrno>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

using Clock = std::chrono::steady_clock;

// What the window thread and one worker share. Everything in it is read and
// written under `lock`; `signal` wakes the worker for a quit, a wake-up or a
// reply to its tick.
struct TWorkerRecord {
    enum class TickState { Idle, Pending, Replied, Cancelled };

    std::mutex lock;
    std::condition_variable signal;
    bool running = true;
    bool quitPosted = false;
    bool wakeSignalled = false;
    bool finished = false;
    TickState tick = TickState::Idle;
    std::uint32_t reply = 0;
    // Cleared when the hidden window goes; the worker posts nothing after that.
    QObject* window = nullptr;
    TThreadMiser* guard = nullptr;
    int windowThreadNice = 0;
    bool hasWindowThreadNice = false;

    void PostQuit() {
        running = false;
        quitPosted = true;
        signal.notify_all();
    }
};

namespace {

const QEvent::Type kTickEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kStopRequestEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// One tick on its way to the window thread. However the event ends (handled,
// or thrown away with its receiver), the waiting worker gets an answer, so a
// worker can never stay blocked on a window that no longer listens.
class TTickEvent : public QEvent {
public:
    explicit TTickEvent(std::shared_ptr<TWorkerRecord> record)
        : QEvent(kTickEvent), record_(std::move(record)) {}
    ~TTickEvent() override { Finish(TWorkerRecord::TickState::Cancelled, 0); }

    void Reply(std::uint32_t interval) { Finish(TWorkerRecord::TickState::Replied, interval); }

private:
    void Finish(TWorkerRecord::TickState state, std::uint32_t interval) {
        // Once answered, the record's hand-off may already belong to the next tick.
        if (answered_) return;
        answered_ = true;
        std::lock_guard guard(record_->lock);
        if (record_->tick != TWorkerRecord::TickState::Pending) return;
        record_->tick = state;
        record_->reply = interval;
        // The reply carries every interval set up to now, the handler's own
        // included, so no earlier wake-up may also cut the next wait. One that
        // comes after this, while the worker has yet to take the reply, stays.
        record_->wakeSignalled = false;
        record_->signal.notify_all();
    }

    std::shared_ptr<TWorkerRecord> record_;
    bool answered_ = false;
};

class TStopRequestEvent : public QEvent {
public:
    explicit TStopRequestEvent(std::shared_ptr<TWorkerRecord> record)
        : QEvent(kStopRequestEvent), record(std::move(record)) {}
    std::shared_ptr<TWorkerRecord> record;
};

#ifdef __linux__
int CurrentThreadId() {
    return static_cast<int>(::syscall(SYS_gettid));
}
#endif

// The worker runs one step below the window thread so that back-to-back ticks
// never starve the user interface. Where the platform refuses, it simply runs
// at the same level.
void LowerWorkerPriority(const TWorkerRecord& record) {
#ifdef __linux__
    pthread_setname_np(pthread_self(), "AnimTimer");
    if (record.hasWindowThreadNice) {
        const int nice = std::min(record.windowThreadNice + 1, 19);
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId()), nice);
    }
#else
    (void)record;
#endif
}

void WorkerMain(std::shared_ptr<TWorkerRecord> r) {
    using State = TWorkerRecord::TickState;
    LowerWorkerPriority(*r);
    bool quit = false;
    bool stopping = false;
    while (!quit) {
        std::uint32_t reply = 0;
        Clock::time_point t0;
        {
            std::unique_lock lock(r->lock);
            // A worker that asked to be stopped, or whose running flag is
            // already cleared, has nothing to do but wait for its quit.
            if (stopping || !r->running) r->signal.wait(lock, [&] { return r->quitPosted; });
            if (r->quitPosted || r->window == nullptr) break;

            t0 = Clock::now();
            r->tick = State::Pending;
            QCoreApplication::postEvent(r->window, new TTickEvent(r));
            r->signal.wait(lock, [&] { return r->tick != State::Pending; });
            const bool cancelled = r->tick == State::Cancelled;
            reply = r->reply;
            r->tick = State::Idle;
            if (cancelled) break;

            if (reply == TAnimTimer::kStopItself) {
                stopping = true;
                if (r->window != nullptr)
                    QCoreApplication::postEvent(r->window, new TStopRequestEvent(r));
                continue;
            }
            if (reply == TAnimTimer::kTickAtOnce) continue;
        }
        const Clock::time_point due = t0 + std::chrono::milliseconds(reply);
        if (Clock::now() >= due) {
            std::this_thread::yield();
            continue;
        }
        // A wake-up (new interval) or a quit cuts the wait short.
        std::unique_lock lock(r->lock);
        r->signal.wait_until(lock, due, [&] { return r->wakeSignalled || r->quitPosted; });
        r->wakeSignalled = false;
    }

    std::lock_guard lock(r->lock);
    r->finished = true;
    if (r->guard != nullptr) {
        // Detach the guard: it has nothing left to guard at shutdown.
        r->guard->deleteLater();
        r->guard = nullptr;
    }
    r->signal.notify_all();
}

} // namespace

// The hidden window: the receiver of the workers' requests on the window thread.
class TTickWindow : public QObject {
public:
    explicit TTickWindow(TAnimTimer* timer) : timer_(timer) {}

    bool event(QEvent* e) override {
        if (e->type() == kTickEvent) {
            auto* tick = static_cast<TTickEvent*>(e);
            try {
                tick->Reply(timer_->HandleTick());
            } catch (...) {
                // The worker must not wait for ever on a handler that failed.
                tick->Reply(timer_->Interval());
                throw;
            }
            return true;
        }
        if (e->type() == kStopRequestEvent) {
            timer_->HandleStopRequest(static_cast<TStopRequestEvent*>(e)->record);
            return true;
        }
        return QObject::event(e);
    }

private:
    TAnimTimer* timer_;
};

TAnimTimer::TAnimTimer(QObject* owner) : QObject(owner), window_(new TTickWindow(this)) {
    UpdateTimer();
}

TAnimTimer::~TAnimTimer() {
    enabled_ = false;
    UpdateTimer();
    for (const auto& weak : records_)
        if (auto record = weak.lock()) {
            std::lock_guard lock(record->lock);
            record->window = nullptr;
        }
    // Deleting the window throws away any tick still queued for it, which
    // answers the worker that sent it.
    delete window_;
    window_ = nullptr;
}

void TAnimTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    UpdateTimer();
}

void TAnimTimer::SetInterval(std::uint32_t value) {
    if (value == interval_) return;
    interval_ = value;
    WakeWorker();
}

void TAnimTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TAnimTimer::UpdateTimer() {
    if (window_ == nullptr) return;
    StopWorker();
    if (enabled_ && onTimer_) StartWorker();
}

void TAnimTimer::StartWorker() {
    if (window_ == nullptr || current_ != nullptr) return;
    auto record = std::make_shared<TWorkerRecord>();
    record->window = window_;
#ifdef __linux__
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId()));
    record->hasWindowThreadNice = errno == 0;
    record->windowThreadNice = nice;
#endif
    std::erase_if(records_, [](const auto& weak) { return weak.expired(); });
    records_.push_back(record);
    current_ = record;

    auto* guard = new TThreadMiser(record, this);
    {
        std::lock_guard lock(record->lock);
        record->guard = guard;
    }
    guard->thread_ = std::thread(WorkerMain, record);
}

void TAnimTimer::StopWorker() {
    if (current_ == nullptr) return;
    {
        std::lock_guard lock(current_->lock);
        current_->PostQuit();
    }
    current_.reset();
}

void TAnimTimer::WakeWorker() {
    if (current_ == nullptr) return;
    std::lock_guard lock(current_->lock);
    current_->wakeSignalled = true;
    current_->signal.notify_all();
}

void TAnimTimer::Timer() {
    if (onTimer_) onTimer_(this);
}

std::uint32_t TAnimTimer::HandleTick() {
    if (current_ != nullptr) Timer();
    // Read after the handler ran, so that the handler sets the next wait.
    return interval_;
}

void TAnimTimer::HandleStopRequest(const std::shared_ptr<TWorkerRecord>& record) {
    // Only the worker that asked is stopped; a newer worker started meanwhile
    // keeps running.
    {
        std::lock_guard lock(record->lock);
        record->PostQuit();
    }
    if (current_ == record) current_.reset();
}

TThreadMiser::TThreadMiser(std::shared_ptr<TWorkerRecord> record, TAnimTimer* timer)
    : QObject(QCoreApplication::instance()), record_(std::move(record)), timer_(timer) {}

TThreadMiser::~TThreadMiser() {
    bool attached = false;
    {
        std::lock_guard lock(record_->lock);
        attached = record_->guard == this;
        record_->guard = nullptr;
    }
    // Still attached means the worker runs while the application ends: stop
    // it through its timer, then give it a bounded time to finish.
    if (attached && timer_) delete timer_.data();
    if (!thread_.joinable()) return;
    bool finished = false;
    {
        std::unique_lock lock(record_->lock);
        finished = record_->signal.wait_for(lock, std::chrono::milliseconds(kShutdownWaitMs),
                                            [&] { return record_->finished; });
    }
    if (finished) {
        thread_.join();
        joined_ = true;
    } else {
        // It only holds its own record; leaving it behind is safe.
        thread_.detach();
    }
}
