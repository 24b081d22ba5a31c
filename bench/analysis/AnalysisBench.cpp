#include "ClosedFormModel.h"
#include "CompiledModel.h"
#include "FloatText.h"
#include "MathParser.h"
#include "PhasePlane.h"
#include "Sweep.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// The shipped examples' rate laws and parameters, and their default boxes:
// 0 to 10 × the larger of 1 and the two start densities.
struct TExample {
    const char* id;
    const char* rate1;
    const char* rate2;
    std::vector<std::pair<const char*, double>> parameters;
    TPlaneRect box;
};

const TExample kExamples[] = {
    {"predator-prey",
     "a*N1-b*N1*N2",
     "-c*N2+d*N1*N2",
     {{"a", 0.5}, {"b", 0.02}, {"c", 0.5}, {"d", 0.01}},
     {0, 400, 0, 400}},
    {"logistic-competition",
     "r1*N1*(1-(N1+a12*N2)/K1)",
     "r2*N2*(1-(N2+a21*N1)/K2)",
     {{"r1", 0.8}, {"r2", 0.6}, {"K1", 100}, {"K2", 80}, {"a12", 0.6}, {"a21", 0.5}},
     {0, 150, 0, 150}},
    {"saturating-predator",
     "R*N1*(1-N1/K)-A*N1*N2/(1+A*H*N1)",
     "e*A*N1*N2/(1+A*H*N1)-m*N2",
     {{"R", 0.8}, {"K", 100}, {"A", 0.05}, {"H", 0.2}, {"e", 0.5}, {"m", 0.3}},
     {0, 500, 0, 500}},
};

// The same laws in C++, with exact derivatives through dual numbers.
std::unique_ptr<TPlaneModel> ClosedFormOf(int example) {
    switch (example) {
    case 0:
        return std::make_unique<TDualModel>([](auto x, auto y) { return 0.5 * x - 0.02 * x * y; },
                                            [](auto x, auto y) { return -0.5 * y + 0.01 * x * y; });
    case 1:
        return std::make_unique<TDualModel>(
            [](auto x, auto y) { return 0.8 * x * (1 - (x + 0.6 * y) / 100); },
            [](auto x, auto y) { return 0.6 * y * (1 - (y + 0.5 * x) / 80); });
    default:
        return std::make_unique<TDualModel>(
            [](auto x, auto y) { return 0.8 * x * (1 - x / 100) - 0.05 * x * y / (1 + 0.01 * x); },
            [](auto x, auto y) { return 0.5 * 0.05 * x * y / (1 + 0.01 * x) - 0.3 * y; });
    }
}

// The example compiled as a run compiles it.
void CompileExample(TCompiledModel& model, const TExample& e) {
    std::vector<ParameterRow> rows;
    for (const auto& [name, value] : e.parameters)
        rows.push_back({name, FloatToText(value), "", std::nullopt});
    model.Compile(rows, e.rate1, e.rate2, 1, 1);
}

TPhasePlaneOptions Options(const TPlaneRect& box) {
    TPhasePlaneOptions o;
    o.scale = {625 / box.Width(), 300 / box.Height()};
    return o;
}

// Nullclines, field and equilibria of the closed form.
void PhasePlane(benchmark::State& state, int example) {
    const TExample& e = kExamples[example];
    const auto model = ClosedFormOf(example);
    std::size_t points = 0;
    for (auto _ : state) {
        const TPhasePlane plane = AnalysePlane(*model, e.box, Options(e.box));
        points = plane.equilibria.points.size();
        benchmark::DoNotOptimize(plane.nullclines.segments[0].data());
    }
    state.counters["equilibria"] = double(points);
}

// Nullclines and field through the compiled rate laws (no derivatives yet:
// the equilibrium search stops at once).
void PhasePlaneParsed(benchmark::State& state, int example) {
    const TExample& e = kExamples[example];
    TCompiledModel model;
    CompileExample(model, e);
    for (auto _ : state) {
        const TPhasePlane plane = AnalysePlane(model, e.box, Options(e.box));
        benchmark::DoNotOptimize(plane.nullclines.segments[0].data());
    }
}

// The floor: both rates at the 201 × 201 grid nodes through the same
// virtual calls, nothing else.
void GridOnly(benchmark::State& state, int example) {
    const TExample& e = kExamples[example];
    const auto model = ClosedFormOf(example);
    std::vector<double> values(201 * 201 * 2);
    for (auto _ : state) {
        std::size_t k = 0;
        for (int j = 0; j <= 200; ++j)
            for (int i = 0; i <= 200; ++i) {
                const double x = e.box.n1Min + e.box.Width() * i / 200;
                const double y = e.box.n2Min + e.box.Height() * j / 200;
                values[k++] = model->Rate(0, x, y);
                values[k++] = model->Rate(1, x, y);
            }
        benchmark::DoNotOptimize(values.data());
    }
}

// The predator-prey example stepped by Euler through its own parsers, with
// the prey growth a swept.
class TParsedRun : public TSweepSimulation {
public:
    TParsedRun() {
        CompileExample(model_, kExamples[0]);
        a_ = std::size_t(model_.ParameterIndex("a"));
    }
    void Start(double value) override {
        n1_ = 40;
        n2_ = 9;
        model_.SetParameter(a_, value);
        model_.Store(n1_, n2_);
    }
    void Follow(double value, TDensities state) override {
        Start(value);
        n1_ = state.n1;
        n2_ = state.n2;
        model_.Store(n1_, n2_);
    }
    TDensities Step() override {
        double r1 = 0, r2 = 0;
        model_.AtCells(r1, r2);
        n1_ += r1 * 0.01;
        n2_ += r2 * 0.01;
        model_.Store(n1_, n2_);
        return {n1_, n2_};
    }
    TDensities Rates() override {
        TDensities r;
        model_.AtCells(r.n1, r.n2);
        return r;
    }
    // The steps alone are timed: a fixed number of them, nothing watched.
    void Watch(TEventFunction) override {}
    const std::vector<TCrossing>& Crossings() const override { return none_; }

private:
    TCompiledModel model_;
    std::size_t a_ = 0;
    double n1_ = 0, n2_ = 0;
    std::vector<TCrossing> none_;
};

// 200 values × 20,000 steps on `threads` workers.
void Sweep(benchmark::State& state) {
    TSweepOptions o;
    o.from = 0.3;
    o.to = 0.7;
    o.count = 200;
    o.steps = 20000;
    o.settle = false;
    o.threads = int(state.range(0));
    // The processor time of every thread (the CPU column counts the calling
    // thread only): on a machine busy with other work the wall time cannot
    // show the gain, but an even split at the same total can.
    const std::clock_t begin = std::clock();
    for (auto _ : state) {
        const TSweepResult r = RunSweep(o, [] { return std::make_unique<TParsedRun>(); });
        benchmark::DoNotOptimize(r.rows.data());
    }
    state.counters["all_threads_ms"] =
        1000.0 * double(std::clock() - begin) / CLOCKS_PER_SEC / double(state.iterations());
    state.counters["steps/s"] =
        benchmark::Counter(double(o.count) * double(o.steps) * double(state.iterations()),
                           benchmark::Counter::kIsRate);
}

} // namespace

int main(int argc, char** argv) {
    for (int k = 0; k < 3; ++k) {
        const std::string id = kExamples[k].id;
        benchmark::RegisterBenchmark(("PhasePlane/" + id).c_str(), PhasePlane, k)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("PhasePlaneParsed/" + id).c_str(), PhasePlaneParsed, k)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("GridOnly/" + id).c_str(), GridOnly, k)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("Sweep/threads", Sweep)
        ->Arg(1)
        ->Arg(2)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
