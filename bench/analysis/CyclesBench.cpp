// Every limit cycle of each shipped example in its default box (as --cycles
// searches it), timed, with the period's error against the same search at
// tolerances a thousand times tighter.
#include "LimitCycles.h"
#include "ModelFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct TSearch {
    TCompiledModel model;
    TEquilibria equilibria;
    TCycleOptions options;
    explicit TSearch(const std::string& file) {
        TModel m;
        LoadModelFile(file, m);
        model.Compile(m.rows, m.rate1, m.rate2, m.N1, m.N2);
        equilibria = FindEquilibriaGrowing(model, DefaultBox(m.N1, m.N2));
        options.seeds.push_back({m.N1, m.N2});
    }
    TLimitCycles Run() { return FindLimitCycles(model, equilibria.box, equilibria, options); }
};

void Cycles(benchmark::State& state, const std::string& file) {
    TSearch search(file);
    TLimitCycles found;
    const long long before = search.model.Evaluations();
    for (auto _ : state)
        benchmark::DoNotOptimize(found = search.Run());
    state.counters["evaluations"] =
        double(search.model.Evaluations() - before) / double(state.iterations());
    state.counters["cycles"] = double(found.cycles.size());
    state.counters["unresolved"] = double(found.unresolved.size());
    search.options.relTol = 1e-13;
    const TLimitCycles reference = search.Run();
    double error = 0;
    if (reference.cycles.size() != found.cycles.size()) {
        state.SkipWithError("the tighter search found other cycles");
        return;
    }
    for (size_t i = 0; i < found.cycles.size(); ++i)
        error = std::max(error, std::fabs(found.cycles[i].period - reference.cycles[i].period) /
                                    reference.cycles[i].period);
    state.counters["period_error"] = error;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(TARNIVELL_EXAMPLES))
        if (entry.path().extension() == ".ini") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& path : files)
        benchmark::RegisterBenchmark(("cycles/" + path.stem().string()).c_str(), Cycles,
                                     path.string())
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
