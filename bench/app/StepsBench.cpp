#include "AnimTimer.h"
#include "AppDialogs.h"
#include "Application.h"
#include "BatchRun.h"
#include "DataSeries.h"
#include "GraphViews.h"
#include "MainWindow.h"
#include "ModelFile.h"
#include "PlotGraph.h"
#include "Series.h"
#include "Simulation.h"
#include "TFormStorage.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSlider>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <sstream>

namespace {

const std::string kModel = TARNIVELL_EXAMPLES "/predator-prey.ini";

// The model bound as Start binds it, from its first state.
void BindModel(TSimulation& sim) {
    static const TModel loaded = [] {
        TModel m;
        LoadModelFile(kModel, m);
        return m;
    }();
    TModel model = loaded;
    sim.t = 0;
    sim.dt = model.dt;
    sim.N1 = model.N1;
    sim.N2 = model.N2;
    sim.Bind(model.rows, model.rate1, model.rate2);
}

// Each step and its two points into two series stores; nothing is drawn.
void StepsEngine(benchmark::State& state) {
    TSimulation sim;
    BindModel(sim);
    TDataSeries s1, s2;
    s1.SetPointLimit(0);
    s2.SetPointLimit(0);
    long steps = 0;
    for (auto _ : state) {
        sim.Step();
        s1.AddPoint(sim.t, sim.N1);
        s2.AddPoint(sim.t, sim.N2);
        // A Reset's worth of points, as the too-many-points limit allows;
        // the model starts over before the Euler spiral grows out of range.
        if (++steps % 30000 == 0) {
            s1.Clear();
            s2.Clear();
            BindModel(sim);
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(StepsEngine)->Name("steps/engine");

void StepsEvals(benchmark::State& state) {
    TSimulation sim;
    BindModel(sim);
    for (auto _ : state) {
        benchmark::DoNotOptimize(sim.MathParser1.Value());
        benchmark::DoNotOptimize(sim.MathParser2.Value());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(StepsEvals)->Name("steps/evals");

void StepsBatch(benchmark::State& state) {
    const std::string n = std::to_string(state.range(0));
    for (auto _ : state) {
        std::ostringstream out, err;
        if (RunBatch({kModel, "--steps", n, "--every", n}, out, err) != 0)
            state.SkipWithError(err.str().c_str());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StepsBatch)->Name("steps/batch")->Arg(100000)->Unit(benchmark::kMillisecond);

// The same model written out in C++: the floor of compiled code.
void StepsNative(benchmark::State& state) {
    const double a = 0.5, b = 0.02, c = 0.5, d = 0.01, dt = 0.01;
    double t = 0, n1 = 40, n2 = 9;
    for (auto _ : state) {
        t += dt;
        const double r1 = a * n1 - b * n1 * n2;
        const double r2 = -c * n2 + d * n1 * n2;
        n1 += r1 * dt;
        n2 += r2 * dt;
        benchmark::DoNotOptimize(t);
        benchmark::DoNotOptimize(n1);
        benchmark::DoNotOptimize(n2);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(StepsNative)->Name("steps/native");

// The window at top speed, shown offscreen, drawing as in a run, with the
// view of the second argument: the time plot (the trajectory kept but not
// drawn), the phase plane or both. A 5 ms timer stands for the user: its
// largest gap tells how long input waits.
void StepsWindow(benchmark::State& state) {
    AppDialogs().AskYesNo = [](QWidget*, const QString&, const QString&, bool) { return true; };
    TForm1 form(QString::fromStdString(kModel));
    form.FormStorage1->SetActive(false); // no settings file in the benchmark's folder
    form.show();
    form.Views1->SetView(static_cast<TGraphViews::TView>(state.range(1)));
    form.TrackBar1->setValue(10);
    const int stepsPerRun = static_cast<int>(state.range(0));
    long steps = 0;
    qint64 worstGapMs = 0;
    for (auto _ : state) {
        form.LoadModelSettings(QString::fromStdString(kModel));
        form.ButtonClearClick();
        QEventLoop loop;
        QElapsedTimer lastInput;
        lastInput.start();
        QTimer input;
        input.setInterval(5);
        QObject::connect(&input, &QTimer::timeout, [&] {
            worstGapMs = std::max(worstGapMs, lastInput.restart());
            if (form.PlotGraph1->GetSeries(1).Count() >= stepsPerRun) loop.quit();
        });
        input.start();
        form.ButtonStartPauseClick();
        loop.exec();
        form.ButtonStartPauseClick();
        steps += form.PlotGraph1->GetSeries(1).Count();
    }
    state.SetItemsProcessed(steps);
    state.counters["worst_input_wait_ms"] = static_cast<double>(worstGapMs);
}
BENCHMARK(StepsWindow)
    ->Name("steps/window")
    ->ArgNames({"steps", "view"})
    ->Args({10000, TGraphViews::vw_TimePlot})
    ->Args({10000, TGraphViews::vw_PhasePlane})
    ->Args({10000, TGraphViews::vw_Both})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
