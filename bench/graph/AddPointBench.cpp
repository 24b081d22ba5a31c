// Cost of adding points to a series while drawing is held, and the bytes
// held per point at the program's point limit.
#include "PlotGraph.h"
#include "Series.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <random>

#ifdef TARNIVELL_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

// Live heap bytes of the process, counted by the global allocation functions.
namespace {
std::atomic<long long> liveBytes{0};
}

void* operator new(std::size_t n) {
    void* p = std::malloc(n == 0 ? 1 : n);
    if (!p) throw std::bad_alloc();
    liveBytes += static_cast<long long>(malloc_usable_size(p));
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    liveBytes -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

constexpr int kPoints = 30000;

// Heap bytes that filling one store with kPoints points in x order adds.
template <typename Fill> double BytesPerPoint(Fill fill) {
    const long long before = liveBytes.load();
    const long long held = fill();
    return static_cast<double>(held - before) / kPoints;
}

struct HeldSeries {
    TPlotGraph graph;
    TSeries& series = graph.GetSeries(1);
    HeldSeries() {
        series.SetPointLimit(0);
        series.SetHold(true);
    }
};

void AddPointAppend(benchmark::State& state) {
    HeldSeries g;
    double x = 0;
    for (auto _ : state) {
        g.series.AddPoint(x, x * 0.5);
        x += 1;
        if (g.series.Count() == kPoints) {
            state.PauseTiming();
            g.series.Clear();
            state.ResumeTiming();
        }
    }
    state.counters["bytes_per_point"] = BytesPerPoint([] {
        auto* h = new HeldSeries;
        for (int i = 0; i < kPoints; ++i)
            h->series.AddPoint(i, i);
        const long long held = liveBytes.load();
        delete h;
        return held;
    });
}
BENCHMARK(AddPointAppend)->Name("addpoint/append");

void AddPointInsert(benchmark::State& state) {
    HeldSeries g;
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> any(0, 1);
    for (auto _ : state) {
        g.series.AddPoint(any(random), 1);
        if (g.series.Count() == kPoints) {
            state.PauseTiming();
            g.series.Clear();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(AddPointInsert)->Name("addpoint/insert");

#ifdef TARNIVELL_HAVE_QCUSTOMPLOT
void PeerQCustomPlotAppend(benchmark::State& state) {
    QCustomPlot plot;
    QCPGraph* graph = plot.addGraph();
    double x = 0;
    for (auto _ : state) {
        graph->addData(x, x * 0.5);
        x += 1;
        if (graph->dataCount() == kPoints) {
            state.PauseTiming();
            graph->data()->clear();
            state.ResumeTiming();
        }
    }
    state.counters["bytes_per_point"] = BytesPerPoint([] {
        auto* plot = new QCustomPlot;
        QCPGraph* graph = plot->addGraph();
        const long long base = liveBytes.load();
        for (int i = 0; i < kPoints; ++i)
            graph->addData(i, i);
        // Only what the points added counts, not the widget itself.
        const long long held = liveBytes.load() - base;
        delete plot;
        return liveBytes.load() + held;
    });
}
BENCHMARK(PeerQCustomPlotAppend)->Name("peer/qcustomplot/append");

void PeerQCustomPlotInsert(benchmark::State& state) {
    QCustomPlot plot;
    QCPGraph* graph = plot.addGraph();
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> any(0, 1);
    for (auto _ : state) {
        graph->addData(any(random), 1);
        if (graph->dataCount() == kPoints) {
            state.PauseTiming();
            graph->data()->clear();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(PeerQCustomPlotInsert)->Name("peer/qcustomplot/insert");
#endif

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
