// The bifurcation diagram of each shipped example in each of its parameters
// over the parameter's slider span (0 to twice its value), equilibrium and
// cycle branches, as --continue and the window work it out.
#include "Continuation.h"
#include "ModelFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void Diagram(benchmark::State& state, const std::string& file, std::size_t parameter) {
    TModel m;
    LoadModelFile(file, m);
    TCompiledModel model;
    model.Compile(m.rows, m.rate1, m.rate2, m.N1, m.N2);
    const double value = model.Parameter(parameter);
    TContinuationOptions options;
    options.from = value > 0 ? 0 : 2 * value;
    options.to = value > 0 ? 2 * value : (value < 0 ? 0 : 1);
    options.box = DefaultBox(m.N1, m.N2);
    TContinuation found;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = Continue(model, parameter, options));
    std::size_t rows = 0, cycles = 0, special = 0;
    for (const TBranch& b : found.branches) {
        rows += b.rows.size();
        cycles += b.object == TBranchObject::Cycle;
        for (const TBranchRow& r : b.rows)
            special += r.label != TSpecialPoint::None;
    }
    state.counters["branches"] = double(found.branches.size());
    state.counters["cycle_branches"] = double(cycles);
    state.counters["rows"] = double(rows);
    state.counters["special"] = double(special);
    state.counters["stopped"] = double(found.stopped.size());
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(TARNIVELL_EXAMPLES))
        if (entry.path().extension() == ".ini") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        TModel m;
        LoadModelFile(path.string(), m);
        TCompiledModel model;
        model.Compile(m.rows, m.rate1, m.rate2, m.N1, m.N2);
        for (std::size_t k = 0; k < model.ParameterCount(); ++k)
            benchmark::RegisterBenchmark(
                ("continuation/" + path.stem().string() + "/" + model.ParameterName(k)).c_str(),
                Diagram, path.string(), k)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(3);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
