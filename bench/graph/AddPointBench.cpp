// Cost of adding points to a series while drawing is held, and the bytes
// held per point at the program's point limit.
#include "BenchMain.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <random>
#include <utility>

#ifdef TARNIVELL_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

// Heap bytes in use, from the C library: it sees every allocation, ours
// through operator new and Qt's containers through malloc alike.
namespace {
long long HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return static_cast<long long>(m.uordblks + m.hblkhd);
}
} // namespace

namespace {

constexpr int kPoints = 30000;

// Heap bytes per point that filling one store with kPoints points in x order
// adds; fill returns the bytes in use before and after the points went in.
template <typename Fill> double BytesPerPoint(Fill fill) {
    const auto [before, after] = fill();
    return static_cast<double>(after - before) / kPoints;
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
        HeldSeries h;
        const long long before = HeapInUse();
        for (int i = 0; i < kPoints; ++i)
            h.series.AddPoint(i, i);
        return std::pair{before, HeapInUse()};
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
        QCustomPlot plot;
        QCPGraph* graph = plot.addGraph();
        const long long before = HeapInUse();
        for (int i = 0; i < kPoints; ++i)
            graph->addData(i, i);
        return std::pair{before, HeapInUse()};
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
    return RunGraphBenchmarks(argc, argv);
}
