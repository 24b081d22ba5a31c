// Ticks per second at interval 0: the animation timer next to the floor of a
// bare condition-variable ping-pong between two threads and to a zero-interval
// QTimer. A 1 ms QTimer runs beside the animation timer to show that the
// window thread keeps handling other events between ticks.
#include "AnimTimer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr int kTicksPerIteration = 1000;

void AnimTimerTicks(benchmark::State& state) {
    TAnimTimer timer;
    timer.SetInterval(0);
    QEventLoop loop;
    int ticks = 0;
    int otherEvents = 0;
    QTimer other;
    other.setInterval(1);
    QObject::connect(&other, &QTimer::timeout, [&] { ++otherEvents; });
    other.start();
    timer.SetOnTimer([&](QObject*) {
        if (++ticks == kTicksPerIteration) loop.quit();
    });
    for (auto _ : state) {
        ticks = 0;
        loop.exec();
    }
    timer.SetEnabled(false);
    state.SetItemsProcessed(state.iterations() * kTicksPerIteration);
    state.counters["other_events_per_second"] =
        benchmark::Counter(otherEvents, benchmark::Counter::kIsRate);
}

void CondvarFloorTicks(benchmark::State& state) {
    std::mutex lock;
    std::condition_variable signal;
    bool request = false;
    bool quit = false;
    std::thread worker([&] {
        std::unique_lock held(lock);
        while (true) {
            signal.wait(held, [&] { return request || quit; });
            if (quit) return;
            request = false;
            signal.notify_all();
        }
    });
    for (auto _ : state) {
        for (int i = 0; i < kTicksPerIteration; ++i) {
            std::unique_lock held(lock);
            request = true;
            signal.notify_all();
            signal.wait(held, [&] { return !request; });
        }
    }
    {
        std::lock_guard held(lock);
        quit = true;
    }
    signal.notify_all();
    worker.join();
    state.SetItemsProcessed(state.iterations() * kTicksPerIteration);
}

void QTimerTicks(benchmark::State& state) {
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(0);
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == kTicksPerIteration) loop.quit();
    });
    timer.start();
    for (auto _ : state) {
        ticks = 0;
        loop.exec();
    }
    timer.stop();
    state.SetItemsProcessed(state.iterations() * kTicksPerIteration);
}

} // namespace

BENCHMARK(AnimTimerTicks)->Name("ticks/animtimer")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(CondvarFloorTicks)
    ->Name("ticks/condvar_floor")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(QTimerTicks)->Name("ticks/qtimer")->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
