// What the phase plane costs the window for each shipped example: the
// nullclines, the direction field and the equilibria over the model's
// default box on a 200 × 200 grid, as a zoom or a resize works them out
// again, for a plot of the window's 625 × 300 pixels. Beside it the bare
// analysis, without the window's chaining of segments and markers.
#include "CommandArgs.h"
#include "PhasePlane.h"
#include "PlaneAnalysis.h"

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
    TParserPlaneModel model = PlaneModelOf(loaded->sim);
    const TPlaneRect box = DefaultBox(loaded->model.N1, loaded->model.N2);
    TPhasePlaneOptions options;
    options.scale = {625 / box.Width(), 300 / box.Height()};
    for (auto _ : state) {
        const TPhasePlane plane = AnalysePlane(model, box, options);
        benchmark::DoNotOptimize(plane.nullclines.segments[0].data());
    }
}

} // namespace

int main(int argc, char** argv) {
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
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
