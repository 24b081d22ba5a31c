// Full repaint of two 30,000-point series on a 625x300 surface, beside the
// same plot in QCustomPlot and the floor of two bare polylines on already
// mapped points; and the incremental draw of one appended point.
#include "Appearance.h"
#include "Axis.h"
#include "BenchMain.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#ifdef TARNIVELL_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

namespace {

constexpr int kPoints = 30000;
constexpr int kWidth = 625, kHeight = 300;

// Two population curves of the kind the simulation draws.
double N1(int i) {
    return 50 + 40 * std::sin(i * 0.0011) + 3 * std::sin(i * 0.05);
}
double N2(int i) {
    return 50 + 35 * std::cos(i * 0.0009) + 2 * std::sin(i * 0.07);
}

struct Graph {
    TPlotGraph g;
    explicit Graph(bool symbols) {
        g.resize(kWidth, kHeight);
        g.Appearance().SetBackgroundColor(clWhite);
        g.Appearance().SetMarginColor(clWhite);
        g.Appearance().SetPreventFlicker(true);
        g.XAxis().SetAutoSizing(true);
        g.YAxis().SetAutoSizing(true);
        for (int n = 1; n <= 2; ++n) {
            TSeries& s = g.GetSeries(n);
            s.SetPointLimit(0);
            s.SetLineStyle(0);
            s.SetShowPoints(symbols);
            s.SetPointShape(sh_Square);
            s.SetHold(true);
            for (int i = 0; i < kPoints; ++i)
                s.AddPoint(i * 0.01, n == 1 ? N1(i) : N2(i));
            s.SetHold(false);
        }
    }
};

void RepaintTarnivell(benchmark::State& state, bool symbols) {
    Graph graph(symbols);
    for (auto _ : state)
        graph.g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
}

void Floor(benchmark::State& state) {
    std::vector<QPoint> a, b;
    for (int i = 0; i < kPoints; ++i) {
        const int x = 40 + static_cast<int>(std::lround(i * (kWidth - 55.0) / kPoints));
        a.push_back({x, 30 + static_cast<int>(std::lround(230 - N1(i) * 2.3))});
        b.push_back({x, 30 + static_cast<int>(std::lround(230 - N2(i) * 2.3))});
    }
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&img);
        p.setPen(QPen(Qt::green, 1));
        p.drawPolyline(a.data(), kPoints);
        p.setPen(QPen(Qt::blue, 1));
        p.drawPolyline(b.data(), kPoints);
    }
}

void IncrementalAppend(benchmark::State& state) {
    Graph graph(false);
    TSeries& s = graph.g.GetSeries(1);
    graph.g.XAxis().SetMax(1e6); // fixed ranges: the point lies inside
    graph.g.YAxis().SetMax(200);
    int i = kPoints;
    for (auto _ : state) {
        s.AddPoint(i * 0.01, N1(i));
        ++i;
    }
    state.counters["incremental"] = graph.g.IncrementalRepaintCount();
}

#ifdef TARNIVELL_HAVE_QCUSTOMPLOT
void RepaintQCustomPlot(benchmark::State& state, bool symbols) {
    QCustomPlot plot;
    plot.resize(kWidth, kHeight);
    QVector<double> x(kPoints), y1(kPoints), y2(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        x[i] = i * 0.01;
        y1[i] = N1(i);
        y2[i] = N2(i);
    }
    for (int n = 0; n < 2; ++n) {
        QCPGraph* graph = plot.addGraph();
        graph->setData(x, n == 0 ? y1 : y2, true);
        graph->setPen(QPen(n == 0 ? Qt::green : Qt::blue));
        if (symbols) graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssSquare, 4));
    }
    plot.rescaleAxes();
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QCPPainter p(&img);
        plot.toPainter(&p, kWidth, kHeight);
    }
}
BENCHMARK_CAPTURE(RepaintQCustomPlot, lines, false)->Name("repaint/qcustomplot/lines");
BENCHMARK_CAPTURE(RepaintQCustomPlot, symbols, true)->Name("repaint/qcustomplot/symbols");
#endif

} // namespace

BENCHMARK_CAPTURE(RepaintTarnivell, lines, false)->Name("repaint/tarnivell/lines");
BENCHMARK_CAPTURE(RepaintTarnivell, symbols, true)->Name("repaint/tarnivell/symbols");
BENCHMARK(Floor)->Name("repaint/floor/lines");
BENCHMARK(IncrementalAppend)->Name("incremental/tarnivell/append");

int main(int argc, char** argv) {
    return RunGraphBenchmarks(argc, argv);
}
