#include "DataSeries.h"
#include "FloatText.h"
#include "ModelFile.h"
#include "Simulation.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace {

const std::string kExample = TARNIVELL_EXAMPLES "/predator-prey.ini";

const TModel& Example() {
    static const TModel model = [] {
        TModel m;
        LoadModelFile(kExample, m);
        return m;
    }();
    return model;
}

// Binds a model as Start does, from its first state, with the given settings.
void Bind(TSimulation& sim, TModel model, const TSolverSettings& settings) {
    sim.t = 0;
    sim.dt = model.dt;
    sim.N1 = model.N1;
    sim.N2 = model.N2;
    sim.Settings = settings;
    sim.Bind(model.rows, model.rate1, model.rate2);
}

TModel StiffModel(double dt) {
    TModel m;
    m.dt = dt;
    m.rate1 = "-1000*N1+N2";
    m.rate2 = "-N2";
    return m;
}

TSolverSettings Settings(TSolverMethod method, int relTolExponent) {
    const double relTol = std::pow(10.0, -relTolExponent);
    return {method, relTol, relTol * 1E-3};
}

// The error of a run at its end and at its worst, and the work per output step.
struct TAccuracy {
    double error = 0;
    double maxError = 0;
    double evalsPerStep = 0;
};

void Publish(benchmark::State& state, const TAccuracy& a) {
    state.counters["error"] = a.error;
    state.counters["max_error"] = a.maxError;
    state.counters["evals_per_step"] = a.evalsPerStep;
}

// Runs the model from its first state for `steps` output steps, `measure`
// giving the error at each, and publishes the result. A solver failure ends
// the run with an infinite error and its message as the label.
template <typename Measure>
void Accuracy(benchmark::State& state, const TModel& model, const TSolverSettings& settings,
              long steps, Measure measure) {
    TAccuracy a;
    std::string failure;
    for (auto _ : state) {
        TSimulation sim;
        Bind(sim, model, settings);
        a = TAccuracy{};
        try {
            for (long i = 0; i < steps; ++i) {
                sim.Step();
                a.error = measure(sim);
                a.maxError = std::max(a.maxError, a.error);
            }
        } catch (const std::exception& e) {
            failure = e.what();
            a.error = a.maxError = INFINITY;
        }
        a.evalsPerStep = static_cast<double>(sim.Evaluations()) / static_cast<double>(steps);
    }
    Publish(state, a);
    if (!failure.empty()) state.SetLabel(failure);
}

// Lotka-Volterra of the example over t = 0..100: the relative drift of the
// conserved V = d N1 - c ln N1 + b N2 - a ln N2.
void AccuracyLotkaVolterra(benchmark::State& state, TSolverSettings settings) {
    const TModel& model = Example();
    std::map<std::string, double> p;
    for (const ParameterRow& row : model.rows)
        if (!row.name.empty()) p[row.name] = TextToFloat(row.value);
    const double a = p["a"], b = p["b"], c = p["c"], d = p["d"];
    const auto V = [=](double n1, double n2) {
        return d * n1 - c * std::log(n1) + b * n2 - a * std::log(n2);
    };
    const double v0 = V(model.N1, model.N2);
    Accuracy(state, model, settings, std::lround(100 / model.dt),
             [&](const TSimulation& s) { return std::fabs((V(s.N1, s.N2) - v0) / v0); });
}

// The stiff linear model from (1, 1) over t = 0..10 at output steps of 0.001,
// against N1 = (1 - 1/999) e^-1000t + e^-t / 999, N2 = e^-t (relative error,
// absolute below 1E-3).
void AccuracyStiff(benchmark::State& state, TSolverSettings settings) {
    Accuracy(state, StiffModel(0.001), settings, 10000, [](const TSimulation& s) {
        const double e1 = (1 - 1.0 / 999) * std::exp(-1000 * s.t) + std::exp(-s.t) / 999;
        const double e2 = std::exp(-s.t);
        return std::max(std::fabs(s.N1 - e1) / std::max(e1, 1E-3),
                        std::fabs(s.N2 - e2) / std::max(e2, 1E-3));
    });
}

#ifdef TARNIVELL_XPPAUT_PEER
// XPPAUT on the same model, step and tolerances.
void AccuracyXppaut(benchmark::State& state, const char* model, const char* method, double dt,
                    double total, int relTolExponent) {
    const double relTol = std::pow(10.0, -relTolExponent);
    char command[1024];
    std::snprintf(command, sizeof command, "'%s' %s %s %g %g %g %g '%s'", TARNIVELL_XPPAUT_PEER,
                  model, method, dt, total, relTol, relTol * 1E-3, TARNIVELL_EVAL_COUNTER);
    TAccuracy result;
    for (auto _ : state) {
        FILE* peer = popen(command, "r");
        long evals = 0, steps = 0;
        const int read = peer ? std::fscanf(peer, "evals=%ld steps=%ld error=%lf maxerror=%lf",
                                            &evals, &steps, &result.error, &result.maxError)
                              : 0;
        const int status = peer ? pclose(peer) : -1;
        if (read != 4 || status != 0 || steps == 0) {
            state.SkipWithError("the XPPAUT peer did not run (is xppaut installed?)");
            return;
        }
        result.evalsPerStep = static_cast<double>(evals) / static_cast<double>(steps);
    }
    Publish(state, result);
}
#endif

const struct {
    TSolverMethod method;
    const char* peer;
} kMethods[] = {{sm_Euler, "euler"}, {sm_RK4, "rk4"}, {sm_RK45, "qualrk"}, {sm_BDF, "cvode"}};

// The adaptive methods at these relative tolerances (10^-n); the absolute
// tolerance is a thousandth of it. 6 is the default; XPPAUT's qualrk steps at
// most one output step at a time, so its work stays near 6 evaluations per
// output step whatever the tolerance, and equal work is 1E-14 here.
const int kTolerances[] = {4, 6, 8, 10, 12, 14};

// The two models, ours and the peer's run of each at the same step (0: the
// example's) and span.
const struct {
    const char* name;
    void (*ours)(benchmark::State&, TSolverSettings);
    double dt;
    double total;
} kModels[] = {{"lotka-volterra", AccuracyLotkaVolterra, 0, 100},
               {"stiff", AccuracyStiff, 0.001, 10}};

void RegisterAccuracy() {
    for (const auto& m : kMethods) {
        const bool adaptive = m.method == sm_RK45 || m.method == sm_BDF;
        for (int tol : kTolerances) {
            if (!adaptive && tol != 6) continue;
            const std::string suffix = adaptive ? "/rtol:1E-" + std::to_string(tol) : "";
            const TSolverSettings settings = Settings(m.method, tol);
            for (const auto& model : kModels) {
                const std::string tail = std::string("/") + model.name + suffix;
                benchmark::RegisterBenchmark(
                    ("accuracy/" + MethodName(m.method) + tail).c_str(),
                    [settings, &model](benchmark::State& s) { model.ours(s, settings); })
                    ->Unit(benchmark::kMillisecond);
#ifdef TARNIVELL_XPPAUT_PEER
                benchmark::RegisterBenchmark(
                    ("accuracy/xppaut-" + std::string(m.peer) + tail).c_str(),
                    [m, tol, &model](benchmark::State& s) {
                        const double dt = model.dt > 0 ? model.dt : Example().dt;
                        AccuracyXppaut(s, model.name, m.peer, dt, model.total, tol);
                    })
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(1);
#endif
            }
        }
    }
}

// Output steps of the example, headless: each the method's step and, as in
// the window's tick, its two points into series stores. The model starts over
// after a Reset's worth of points (the too-many-points limit), before Euler's
// spiral leaves the range of the numbers.
void Steps(benchmark::State& state, TSolverMethod method, bool withPoints) {
    TSimulation sim;
    Bind(sim, Example(), Settings(method, 6));
    TDataSeries s1, s2;
    s1.SetPointLimit(0);
    s2.SetPointLimit(0);
    long steps = 0;
    long long evaluations = 0;
    for (auto _ : state) {
        sim.Step();
        if (withPoints) {
            s1.AddPoint(sim.t, sim.N1);
            s2.AddPoint(sim.t, sim.N2);
        }
        if (++steps % 30000 == 0) {
            s1.Clear();
            s2.Clear();
            evaluations += sim.Evaluations();
            Bind(sim, Example(), Settings(method, 6));
        }
    }
    evaluations += sim.Evaluations();
    state.SetItemsProcessed(state.iterations());
    state.counters["evals_per_step"] =
        static_cast<double>(evaluations) / static_cast<double>(std::max(steps, 1L));
}

void RegisterSteps() {
    for (const auto& m : kMethods) {
        const TSolverMethod method = m.method;
        const std::string name = "steps/" + MethodName(method);
        benchmark::RegisterBenchmark(name.c_str(),
                                     [method](benchmark::State& s) { Steps(s, method, true); });
        benchmark::RegisterBenchmark((name + "/no-points").c_str(),
                                     [method](benchmark::State& s) { Steps(s, method, false); });
    }
}

} // namespace

int main(int argc, char** argv) {
    RegisterSteps();
    RegisterAccuracy();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
