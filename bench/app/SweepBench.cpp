// A parameter sweep of the predator-prey example, 200 values of the prey's
// growth rate a, 20,000 steps each: on every core and on one thread in this
// process, then as the program's own --sweep beside the loop of 200 --batch
// processes a script would run instead. Real time is the measure (the
// workers' CPU time is reported beside it); the machine may be shared with
// other work, which shows as CPU time well below cores × real time.
//
// Then the orbit diagram of the paradox of enrichment over K as the README
// draws it (120 values from 20 to 300, on one thread): each run taken on
// until it settles, with the default most steps, beside fixed tails of
// 1,000, 10,000 and 100,000 steps as the sweep ran before (the first the
// old --sweep default, the second the window's). The time per value is the
// measure. The fixed tails take transients for cycles well below the Hopf
// point 1400/11 = 127.27 (a spread of N1 over 0.5 from K = 49, 109 and 126
// on); the settled runs show cycles from the Hopf point on.

#include "FloatText.h"
#include "ModelFile.h"
#include "ModelSweep.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

const std::string kModel = TARNIVELL_EXAMPLES "/predator-prey.ini";
const std::string kParadox = TARNIVELL_EXAMPLES "/paradox-of-enrichment.ini";
const std::string kProgram = TARNIVELL_PROGRAM;
constexpr int kValues = 200;
constexpr long long kSteps = 20000;
constexpr double kFrom = 0.3, kTo = 0.7;

double ChildCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1E6;
}

// Runs the program with its standard output thrown away; false when it fails.
bool RunProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::vector<std::string> all{kProgram};
    all.insert(all.end(), args.begin(), args.end());
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, kProgram.c_str(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void SweepInProcess(benchmark::State& state) {
    TModel model;
    LoadModelFile(kModel, model);
    TSweepRequest request;
    request.name = "a";
    TSweepOptions& options = request.options;
    options.from = kFrom;
    options.to = kTo;
    options.count = kValues;
    options.steps = kSteps;
    options.threads = static_cast<int>(state.range(0));
    const TSweepFactory factory = ModelSweepFactory(model, request);
    for (auto _ : state) {
        const TSweepResult result = RunSweep(options, factory);
        if (!result.error.empty() || result.rows.back().state != TSweepRowState::Done)
            state.SkipWithError("the sweep failed");
    }
    state.SetItemsProcessed(state.iterations() * kValues * kSteps);
    state.counters["threads"] =
        options.threads > 0 ? options.threads : double(std::thread::hardware_concurrency());
}
// Process CPU time covers the workers, so CPU over real time shows how much
// of the cores the sweep got.
BENCHMARK(SweepInProcess)
    ->Name("sweep/in_process/threads")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(3);

void SweepCommand(benchmark::State& state) {
    const std::string request =
        "a=" + FloatToText(kFrom) + ":" + FloatToText(kTo) + ":" + std::to_string(kValues);
    const double cpu = ChildCpuSeconds();
    for (auto _ : state)
        if (!RunProgram({"--sweep", kModel, request, "--steps", std::to_string(kSteps)}))
            state.SkipWithError("tarnivell --sweep failed");
    state.SetItemsProcessed(state.iterations() * kValues * kSteps);
    state.counters["child_cpu_s"] = (ChildCpuSeconds() - cpu) / double(state.iterations());
}
BENCHMARK(SweepCommand)
    ->Name("sweep/program/--sweep")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// What a script does without --sweep: one model file per value, one --batch
// process each, all its rows written out to be reduced afterwards.
void SweepBatchLoop(benchmark::State& state) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tarnivell-sweep-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ifstream in(kModel);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> files;
    for (double value : SweepValues(kFrom, kTo, kValues)) {
        std::string model = text;
        model.replace(model.find("Value1=0.5"), 10, "Value1=" + FloatToText(value));
        files.push_back((dir / ("a" + std::to_string(files.size()) + ".ini")).string());
        std::ofstream(files.back()) << model;
    }
    const double cpu = ChildCpuSeconds();
    for (auto _ : state)
        for (const std::string& file : files)
            if (!RunProgram({"--batch", file, "--steps", std::to_string(kSteps)}))
                state.SkipWithError("tarnivell --batch failed");
    state.SetItemsProcessed(state.iterations() * kValues * kSteps);
    state.counters["child_cpu_s"] = (ChildCpuSeconds() - cpu) / double(state.iterations());
    std::filesystem::remove_all(dir);
}
BENCHMARK(SweepBatchLoop)
    ->Name("sweep/program/200x--batch")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

// range(0): the steps of a fixed tail, 0 for runs taken on until they settle.
void ParadoxSweep(benchmark::State& state) {
    TModel model;
    LoadModelFile(kParadox, model);
    TSweepRequest request;
    request.name = "K";
    TSweepOptions& options = request.options;
    options.from = 20;
    options.to = 300;
    options.count = 120;
    options.threads = 1;
    if (state.range(0) > 0) {
        options.steps = state.range(0);
        options.settle = false;
    }
    const TSweepFactory factory = ModelSweepFactory(model, request);
    int settled = 0;
    for (auto _ : state) {
        const TSweepResult result = RunSweep(options, factory);
        if (!result.error.empty()) state.SkipWithError("the sweep failed");
        settled = int(std::count_if(result.rows.begin(), result.rows.end(),
                                    [](const TSweepRow& row) { return row.converged; }));
    }
    // Seconds per value (printed with an SI prefix: 40m is 40 ms).
    state.counters["per_value"] = benchmark::Counter(
        options.count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["settled"] = settled;
}
BENCHMARK(ParadoxSweep)
    ->Name("sweep/paradox/steps")
    ->ArgName("tail")
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
