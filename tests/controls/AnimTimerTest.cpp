#include "AnimTimer.h"
#include "TestMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

QList<TThreadMiser*> Guards() {
    return qApp->findChildren<TThreadMiser*>(Qt::FindDirectChildrenOnly);
}

// Waits until every worker that was told to stop has ended and removed its guard.
bool AllWorkersEnded(int timeoutMs = 3000) {
    return ProcessEventsUntil([] { return Guards().empty(); }, timeoutMs);
}

struct TickLog {
    std::vector<qint64> at;
    QElapsedTimer clock;
    TickLog() { clock.start(); }
    void Tick() { at.push_back(clock.elapsed()); }
    size_t Count() const { return at.size(); }
};

class AnimTimerTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(AllWorkersEnded()); }
};

TEST_F(AnimTimerTest, StartsTheWorkerOnlyOnceEnabledWithAHandler) {
    TAnimTimer timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 10u);
    EXPECT_FALSE(timer.HasWorker());
    ProcessEventsFor(30);
    EXPECT_TRUE(Guards().empty());

    TickLog log;
    timer.SetOnTimer([&](QObject* sender) {
        EXPECT_EQ(sender, &timer);
        log.Tick();
    });
    EXPECT_TRUE(timer.HasWorker());
    EXPECT_TRUE(ProcessEventsUntil([&] { return log.Count() >= 3; }, 2000));

    timer.SetEnabled(false);
    EXPECT_FALSE(timer.HasWorker());
    const size_t stopped = log.Count();
    ProcessEventsFor(60);
    EXPECT_EQ(log.Count(), stopped);
}

TEST_F(AnimTimerTest, ShorterIntervalCutsALongWaitShort) {
    TAnimTimer timer;
    timer.SetInterval(10000);
    TickLog log;
    timer.SetOnTimer([&](QObject*) { log.Tick(); });
    ASSERT_TRUE(ProcessEventsUntil([&] { return log.Count() >= 1; }, 5000));

    const qint64 changedAt = log.clock.elapsed();
    timer.SetInterval(10);
    ASSERT_TRUE(ProcessEventsUntil([&] { return log.Count() >= 12; }, 5000))
        << "the wake-up did not cut the 10 s wait";
    EXPECT_LT(log.at[1] - changedAt, 5000);
    EXPECT_GE(log.at[11] - log.at[1], 90) << "ticks came faster than the interval";
}

TEST_F(AnimTimerTest, IntervalSetByTheHandlerPacesTheVeryNextWait) {
    TAnimTimer timer;
    timer.SetInterval(0);
    TickLog log;
    timer.SetOnTimer([&](QObject*) {
        log.Tick();
        if (log.Count() == 1) timer.SetInterval(300);
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return log.Count() >= 2; }, 3000));
    EXPECT_GE(log.at[1] - log.at[0], 250);
}

TEST_F(AnimTimerTest, DisablingInsideTheHandlerStopsFurtherTicks) {
    TAnimTimer timer;
    timer.SetInterval(1);
    int ticks = 0;
    timer.SetOnTimer([&](QObject*) {
        if (++ticks == 3) timer.SetEnabled(false);
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return ticks >= 3; }, 2000));
    ProcessEventsFor(100);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer.HasWorker());
}

TEST_F(AnimTimerTest, QuickReenableStartsAFreshWorkerWhileTheOldOneEnds) {
    TAnimTimer timer;
    timer.SetInterval(10000);
    TickLog log;
    timer.SetOnTimer([&](QObject*) { log.Tick(); });
    ASSERT_TRUE(ProcessEventsUntil([&] { return log.Count() >= 1; }, 5000));

    timer.SetEnabled(false);
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.HasWorker());
    // The new worker ticks at once instead of waiting out the old one's 10 s.
    ASSERT_TRUE(ProcessEventsUntil([&] { return log.Count() >= 2; }, 5000));
    // The old worker has gone; only the current one keeps a guard.
    EXPECT_TRUE(ProcessEventsUntil([] { return Guards().size() == 1; }, 2000));
    timer.SetEnabled(false);
}

TEST_F(AnimTimerTest, ZeroIntervalTicksBackToBackAndKeepsTheWindowResponsive) {
    TAnimTimer timer;
    timer.SetInterval(0);
    int ticks = 0;
    timer.SetOnTimer([&](QObject*) { ++ticks; });
    ASSERT_TRUE(ProcessEventsUntil([&] { return ticks >= 10; }, 5000));
    // Another event arriving meanwhile is handled between two ticks.
    bool otherEventHandled = false;
    int ticksWhenHandled = 0;
    QTimer::singleShot(0, [&] {
        otherEventHandled = true;
        ticksWhenHandled = ticks;
    });
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return otherEventHandled && ticks > ticksWhenHandled + 10; }, 5000));
}

TEST_F(AnimTimerTest, ReservedRepliesStopTheWorkerOrTickAtOnce) {
    TAnimTimer timer;
    timer.SetInterval(TAnimTimer::kStopItself);
    int ticks = 0;
    timer.SetOnTimer([&](QObject*) { ++ticks; });
    ASSERT_TRUE(ProcessEventsUntil([&] { return !timer.HasWorker(); }, 2000));
    ProcessEventsFor(50);
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_TRUE(AllWorkersEnded());

    timer.SetInterval(TAnimTimer::kTickAtOnce);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    EXPECT_TRUE(ProcessEventsUntil([&] { return ticks >= 50; }, 2000));
    timer.SetEnabled(false);
}

TEST_F(AnimTimerTest, AFailingHandlerDoesNotStallTheWorker) {
    gCaughtErrors.clear();
    TAnimTimer timer;
    timer.SetInterval(1);
    int ticks = 0;
    timer.SetOnTimer([&](QObject*) {
        if (++ticks == 1) throw std::runtime_error("handler failed");
    });
    EXPECT_TRUE(ProcessEventsUntil([&] { return ticks >= 5; }, 2000));
    ASSERT_EQ(gCaughtErrors.size(), 1u);
    EXPECT_EQ(gCaughtErrors[0], "handler failed");
    timer.SetEnabled(false);
}

TEST_F(AnimTimerTest, DestroyingTheTimerReleasesAWorkerBlockedInItsHandOff) {
    auto* timer = new TAnimTimer;
    timer->SetInterval(0);
    int ticks = 0;
    timer->SetOnTimer([&](QObject*) { ++ticks; });
    ASSERT_TRUE(ProcessEventsUntil([&] { return ticks >= 1; }, 2000));
    // The window thread does not listen: the worker's next tick waits in the queue.
    std::this_thread::sleep_for(30ms);
    const int ticksBefore = ticks;
    delete timer;
    EXPECT_TRUE(AllWorkersEnded());
    EXPECT_EQ(ticks, ticksBefore) << "the tick left in the queue must not reach a freed timer";
}

TEST_F(AnimTimerTest, ApplicationEndWhileTheTimerRunsFinishesPromptly) {
    QPointer<TAnimTimer> timer = new TAnimTimer;
    timer->SetInterval(60000);
    int ticks = 0;
    timer->SetOnTimer([&](QObject*) { ++ticks; });
    ASSERT_TRUE(ProcessEventsUntil([&] { return ticks >= 1; }, 2000));
    // A second worker that was told to stop but has not run since.
    timer->SetEnabled(false);
    timer->SetEnabled(true);
    std::this_thread::sleep_for(30ms);

    // What the application object does at the end: free the guards still attached.
    QElapsedTimer clock;
    clock.start();
    const auto guards = Guards();
    ASSERT_FALSE(guards.empty());
    for (TThreadMiser* guard : guards)
        delete guard;
    EXPECT_LT(clock.elapsed(), 1000) << "a worker sat out its 60 s wait";
    EXPECT_TRUE(timer.isNull()) << "the guard stops the worker by freeing its timer";
}

#ifdef __linux__
int NiceOfThreadNamed(const QString& name) {
    const QString tasks = QStringLiteral("/proc/self/task");
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks + "/" + tid + "/comm");
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != name.toUtf8()) continue;
        QFile stat(tasks + "/" + tid + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) continue;
        // Fields after the command's closing parenthesis; the nice value is field 19.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        return fields.value(16).toInt();
    }
    return 1000;
}

TEST_F(AnimTimerTest, WorkerRunsOneStepBelowTheWindowThread) {
    TAnimTimer timer;
    timer.SetInterval(5);
    int ticks = 0;
    timer.SetOnTimer([&](QObject*) { ++ticks; });
    ASSERT_TRUE(ProcessEventsUntil([&] { return ticks >= 2; }, 2000));
    QFile self(QStringLiteral("/proc/thread-self/stat"));
    ASSERT_TRUE(self.open(QIODevice::ReadOnly));
    const QByteArray line = self.readAll();
    const int mine = line.mid(line.lastIndexOf(')') + 2).split(' ').value(16).toInt();
    EXPECT_EQ(NiceOfThreadNamed(QStringLiteral("AnimTimer")), std::min(mine + 1, 19));
    timer.SetEnabled(false);
}
#endif

} // namespace
