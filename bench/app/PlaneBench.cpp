// What the phase plane costs the window for each shipped example: the
// nullclines, the direction field and the equilibria over the model's
// default box on a 200 × 200 grid, as a zoom or a resize works them out
// again, for a plot of the window's 625 × 300 pixels. Beside it the bare
// analysis, without the window's chaining of segments and markers.
//
// A slider move of the predator-prey example: the new value put into the
// plane's compiled model and the figure worked out, beside the same with the
// model compiled again for each move, and the whole move in the window shown
// offscreen (the Value cell, both models, the figure and the plane's draw).
#include "Application.h"
#include "CommandArgs.h"
#include "GraphViews.h"
#include "MainWindow.h"
#include "ParameterPanel.h"
#include "ParameterSliders.h"
#include "PhasePlane.h"
#include "PhasePlaneGraph.h"
#include "PlaneAnalysis.h"
#include "PlaneController.h"
#include "Simulation.h"
#include "TFormStorage.h"

#include <QSlider>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

namespace {

struct TLoaded {
    TSimulation sim;
    TModel model;
};

std::unique_ptr<TLoaded> Load(const std::string& file) {
    auto loaded = std::make_unique<TLoaded>();
    loaded->model = LoadRequiredModel(file);
    TModel bound = loaded->model;
    BindModel(loaded->sim, bound);
    return loaded;
}

void Figure(benchmark::State& state, const std::string& file) {
    const std::unique_ptr<TLoaded> loaded = Load(file);
    const TModel& m = loaded->model;
    TPlaneAnalysis plane;
    plane.Bind(m.rows, m.rate1, m.rate2, m.N1, m.N2);
    const TPlaneRect box = DefaultBox(m.N1, m.N2);
    const TPhasePlaneGraph::TFigureRequest request{box.n1Min, box.n1Max, box.n2Min, box.n2Max,
                                                   QSize(625, 300)};
    std::size_t markers = 0;
    for (auto _ : state) {
        const TPlaneFigure figure = plane.Figure(request);
        markers = figure.markers.size();
        benchmark::DoNotOptimize(figure.nullclines[0].data());
    }
    state.counters["equilibria"] = double(markers);
}

void Analysis(benchmark::State& state, const std::string& file) {
    const std::unique_ptr<TLoaded> loaded = Load(file);
    TCompiledModel& model = loaded->sim.Model();
    const TPlaneRect box = DefaultBox(loaded->model.N1, loaded->model.N2);
    TPhasePlaneOptions options;
    options.scale = {625 / box.Width(), 300 / box.Height()};
    for (auto _ : state) {
        const TPhasePlane plane = AnalysePlane(model, box, options);
        benchmark::DoNotOptimize(plane.nullclines.segments[0].data());
    }
}

const std::string kPredatorPrey = TARNIVELL_EXAMPLES "/predator-prey.ini";

// The prey's growth rate between two values, so that each move changes the figure.
double Alternate(long long i) {
    return i % 2 ? 0.6 : 0.4;
}

void SliderMove(benchmark::State& state, bool compile) {
    TModel m = LoadRequiredModel(kPredatorPrey);
    TPlaneAnalysis plane;
    plane.Bind(m.rows, m.rate1, m.rate2, m.N1, m.N2);
    const TPlaneRect box = DefaultBox(m.N1, m.N2);
    const TPhasePlaneGraph::TFigureRequest request{box.n1Min, box.n1Max, box.n2Min, box.n2Max,
                                                   QSize(625, 300)};
    long long i = 0;
    for (auto _ : state) {
        const double a = Alternate(i++);
        if (compile) {
            m.rows[0].value = std::to_string(a);
            plane.Bind(m.rows, m.rate1, m.rate2, m.N1, m.N2);
        } else if (!plane.MoveParameter("a", a)) {
            state.SkipWithError("the row is not bound");
            break;
        }
        const TPlaneFigure figure = plane.Figure(request);
        benchmark::DoNotOptimize(figure.markers.data());
    }
}

void SliderMoveWindow(benchmark::State& state) {
    TForm1 form(QString::fromStdString(kPredatorPrey));
    form.FormStorage1->SetActive(false); // no settings file in the benchmark's folder
    form.show();
    form.Views1->SetView(TGraphViews::vw_Both);
    form.Refresh1Click();
    QApplication::processEvents();
    QSlider* slider = form.ParameterPanel1->Sliders()->Slider(0);
    TPlaneController& plane = *form.PlaneController1;
    long long i = 0;
    const long long before = plane.Analysis().FiguresWorkedOut();
    for (auto _ : state) {
        slider->setValue(int(Alternate(i++) * TParameterSliders::kPositions));
        plane.Tick();
    }
    if (plane.Analysis().FiguresWorkedOut() - before != i)
        state.SkipWithError("a move did not redraw the plane");
    const QRect plot = form.PlotGraph2->PlotRect();
    state.counters["plot_width"] = plot.width();
    state.counters["plot_height"] = plot.height();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    TApplication app(argc, argv);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(TARNIVELL_EXAMPLES))
        if (entry.path().extension() == ".ini") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        const std::string name = path.stem().string();
        benchmark::RegisterBenchmark(("plane/figure/" + name).c_str(), Figure, path.string())
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("plane/analysis/" + name).c_str(), Analysis, path.string())
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("plane/slider-move/predator-prey", SliderMove, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("plane/slider-move-compiled/predator-prey", SliderMove, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("plane/slider-move-window/predator-prey", SliderMoveWindow)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
