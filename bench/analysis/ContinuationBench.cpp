// The bifurcation diagram of each shipped example in each of its parameters
// over the parameter's slider span (0 to twice its value), equilibrium and
// cycle branches, as --continue and the window work it out; beside them,
// when it is installed, AUTO-07p on the special points with closed forms.
#include "Continuation.h"
#include "ModelFile.h"
#include "SpecialCurves.h"
#ifdef TARNIVELL_AUTO_PEER
#include "AutoPeer.h"
#include "LimitCycles.h"
#endif

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// A parameter's slider span: 0 to twice its value (or 0 to 1 at 0).
std::pair<double, double> Span(double value) {
    return {value > 0 ? 0 : 2 * value, value > 0 ? 2 * value : (value < 0 ? 0 : 1)};
}

void Diagram(benchmark::State& state, const std::string& file, std::size_t parameter) {
    TModel m;
    LoadModelFile(file, m);
    TCompiledModel model;
    model.Compile(m.rows, m.rate1, m.rate2, m.N1, m.N2);
    const double value = model.Parameter(parameter);
    TContinuationOptions options;
    std::tie(options.from, options.to) = Span(value);
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

#ifdef TARNIVELL_AUTO_PEER
// Agreement asked of AUTO and us, and of either and a closed form: relative
// in the parameter and in the period.
constexpr double kAgreement = 1e-6;

// Set when a comparison failed: the program then ends with status 1, so that
// `make bench` stops on it.
bool disagreed = false;

double Par(const TCompiledModel& model, const char* name) {
    return model.Parameter(static_cast<std::size_t>(model.ParameterIndex(name)));
}

// A special point with a closed form, found by both programs over the same
// range; with `at` a number, the period of the cycle there as well.
struct TPeerCase {
    const char* title;
    const char* example;
    const char* parameter;
    double from, to;
    const char* point; // AUTO's name of it
    double (*closed)(const TCompiledModel&);
    // The equilibrium at `from` that AUTO starts on, in closed form so that
    // AUTO owes us nothing.
    std::array<double, 2> (*start)(const TCompiledModel&, double from);
    double at = NAN;
    // A rate replacing the example's prey rate, and the parameter it adds
    // (its value 0); none when null.
    const char* rate1 = nullptr;
    const char* added = nullptr;
};

// The predator's equilibrium prey density in the paradox of enrichment, the
// same whatever K.
double EnrichmentPrey(const TCompiledModel& m) {
    return Par(m, "m") / (Par(m, "A") * (Par(m, "e") - Par(m, "m") * Par(m, "H")));
}

const TPeerCase kPeerCases[] = {
    // Rosenzweig-MacArthur: the Hopf point is where the prey nullcline's top
    // passes over the equilibrium, K = 2 N1* + 1/(A H) (1400/11 here).
    {"paradox-of-enrichment", "paradox-of-enrichment", "K", 50, 200, "hopf",
     [](const TCompiledModel& m) {
         return 2 * EnrichmentPrey(m) + 1 / (Par(m, "A") * Par(m, "H"));
     },
     [](const TCompiledModel& m, double K) {
         const double n1 = EnrichmentPrey(m);
         return std::array<double, 2>{n1, Par(m, "R") / Par(m, "A") * (1 - n1 / K) *
                                              (1 + Par(m, "A") * Par(m, "H") * n1)};
     },
     150},
    // Fishing effort takes a share of the stock: no fold, but the fished
    // stock meets the empty one at E1 = r/q, a branch point.
    {"harvested-logistic", "harvested-logistic", "E1", 0, 100, "branch_point",
     [](const TCompiledModel& m) { return Par(m, "r") / Par(m, "q"); },
     [](const TCompiledModel& m, double E1) {
         const double K = Par(m, "K"), r = Par(m, "r"), q = Par(m, "q");
         return std::array<double, 2>{K * (1 - q * E1 / r), K * (1 - q * Par(m, "E2") / r)};
     }},
    // A fixed catch H instead: the stock collapses at the fold H = r K / 4.
    {"harvested-logistic-quota", "harvested-logistic", "H", 0, 250, "fold",
     [](const TCompiledModel& m) { return Par(m, "r") * Par(m, "K") / 4; },
     [](const TCompiledModel& m, double H) {
         const double K = Par(m, "K"), r = Par(m, "r"), q = Par(m, "q");
         return std::array<double, 2>{K / 2 * (1 + std::sqrt(1 - 4 * H / (r * K))),
                                      K * (1 - q * Par(m, "E2") / r)};
     },
     NAN, "r*N1*(1 - N1/K) - H", "H"},
};

bool IsPoint(TSpecialPoint label, const std::string& point) {
    if (point == "hopf")
        return label == TSpecialPoint::HopfSupercritical || label == TSpecialPoint::HopfSubcritical;
    if (point == "fold") return label == TSpecialPoint::Fold;
    return point == "branch_point" && label == TSpecialPoint::BranchPoint;
}

double Relative(double a, double b) {
    return std::fabs(a - b) / std::fabs(b);
}

// Our period of the cycle at p = at: the cycle branch's row nearest to it,
// pinned down at `at` itself by the limit-cycle finder.
double OurPeriod(TCompiledModel& model, std::size_t parameter, const TContinuation& found,
                 const TPlaneRect& box, double at) {
    const TBranchRow* near = nullptr;
    for (const TBranch& b : found.branches)
        if (b.object == TBranchObject::Cycle)
            for (const TBranchRow& r : b.rows)
                if (!near || std::fabs(r.p - at) < std::fabs(near->p - at)) near = &r;
    if (!near) return NAN;
    const double kept = model.Parameter(parameter);
    model.SetParameter(parameter, at);
    TCycleOptions options;
    options.lookBeside = false;
    const auto cycle =
        FollowCycle(model, box, {near->n1, near->n2}, near->stable ? 1 : -1, options);
    model.SetParameter(parameter, kept);
    return cycle ? cycle->period : NAN;
}

void AutoPeer(benchmark::State& state, const TPeerCase& c) {
    TModel m;
    LoadModelFile(TARNIVELL_EXAMPLES "/" + std::string(c.example) + ".ini", m);
    if (c.rate1) m.rate1 = c.rate1;
    if (c.added) {
        const auto empty = std::find_if(m.rows.begin(), m.rows.end(),
                                        [](const ParameterRow& r) { return r.name.empty(); });
        *empty = {c.added, "0", "", std::nullopt};
    }
    TCompiledModel model;
    model.Compile(m.rows, m.rate1, m.rate2, m.N1, m.N2);
    const auto parameter = static_cast<std::size_t>(model.ParameterIndex(c.parameter));
    TContinuationOptions options;
    options.from = c.from;
    options.to = c.to;
    options.box = DefaultBox(m.N1, m.N2);

    TContinuation found;
    double seconds = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(found = Continue(model, parameter, options));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }
    const double ours = seconds / static_cast<double>(state.iterations());

    const double closed = c.closed(model);
    double point = NAN;
    for (const TBranch& b : found.branches)
        for (const TBranchRow& r : b.rows)
            if (b.object == TBranchObject::Equilibrium && IsPoint(r.label, c.point) &&
                (std::isnan(point) || std::fabs(r.p - closed) < std::fabs(point - closed)))
                point = r.p;
    const double period =
        std::isnan(c.at) ? NAN : OurPeriod(model, parameter, found, options.box, c.at);

    TAutoPeerRequest request;
    request.rate1 = m.rate1;
    request.rate2 = m.rate2;
    for (std::size_t k = 0; k < model.ParameterCount(); ++k)
        request.parameters.emplace_back(model.ParameterName(k), model.Parameter(k));
    request.parameter = c.parameter;
    request.from = c.from;
    request.to = c.to;
    const auto start = c.start(model, c.from);
    request.n1 = start[0];
    request.n2 = start[1];
    request.at = c.at;
    const TAutoPeerRun peer = RunAutoPeer(TARNIVELL_AUTO_PEER, request);
    if (!peer.error.empty()) {
        state.SkipWithError(peer.error.c_str());
        return;
    }
    double theirs = NAN;
    for (const auto& [name, p] : peer.points)
        if (name == c.point &&
            (std::isnan(theirs) || std::fabs(p - closed) < std::fabs(theirs - closed)))
            theirs = p;

    const std::string name = c.point;
    state.counters[name] = point;
    state.counters[name + "_auto"] = theirs;
    state.counters[name + "_diff"] = Relative(point, theirs);
    state.counters[name + "_err"] = Relative(point, closed);
    state.counters[name + "_auto_err"] = Relative(theirs, closed);
    // Ours is Continue's whole diagram, cycles included; AUTO's run is its
    // equilibria and, with a Hopf point, its cycles over the same range, and
    // its compile step builds the program of the model it runs.
    state.counters["ms"] = 1e3 * ours;
    state.counters["auto_compile_ms"] = 1e3 * peer.compileSeconds;
    state.counters["auto_run_ms"] = 1e3 * peer.runSeconds;
    state.counters["auto_run_x"] = peer.runSeconds / ours;
    state.counters["auto_all_x"] = (peer.compileSeconds + peer.runSeconds) / ours;
    std::vector<std::pair<std::string, double>> diffs = {
        {name + " (ours against AUTO's)", Relative(point, theirs)},
        {name + " (ours against the closed form)", Relative(point, closed)},
        {name + " (AUTO's against the closed form)", Relative(theirs, closed)}};
    if (!std::isnan(c.at)) {
        state.counters["period"] = period;
        state.counters["period_auto"] = peer.period;
        state.counters["period_diff"] = Relative(period, peer.period);
        diffs.push_back({"the period (ours against AUTO's)", Relative(period, peer.period)});
    }
    for (const auto& [what, diff] : diffs)
        // NaN, where one side found nothing, fails as well.
        if (!(diff <= kAgreement)) {
            char message[256];
            std::snprintf(message, sizeof message, "%s differs by %.3g relative, beyond %g",
                          what.c_str(), diff, kAgreement);
            state.SkipWithError(message);
            disagreed = true;
            return;
        }
}
#endif

// The curves of folds and Hopf points across two parameters' spans, as
// --continue P1=… P2=… traces them.
void TwoParameters(benchmark::State& state, const std::string& file, std::size_t p1,
                   std::size_t p2) {
    TModel m;
    LoadModelFile(file, m);
    TCompiledModel model;
    model.Compile(m.rows, m.rate1, m.rate2, m.N1, m.N2);
    TSpecialCurveOptions options;
    std::tie(options.from1, options.to1) = Span(model.Parameter(p1));
    std::tie(options.from2, options.to2) = Span(model.Parameter(p2));
    options.box = DefaultBox(m.N1, m.N2);
    TSpecialCurves found;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = ContinueSpecialPoints(model, p1, p2, options));
    std::size_t rows = 0;
    for (const TSpecialCurve& c : found.curves)
        rows += c.rows.size();
    state.counters["curves"] = double(found.curves.size());
    state.counters["rows"] = double(rows);
    state.counters["stopped"] = double(found.stopped.size());
}

// Whether the parameter's equilibrium branches have a fold or Hopf point,
// from which curves in two parameters start.
bool HasFoldOrHopf(TCompiledModel& model, std::size_t k, const TPlaneRect& box) {
    TContinuationOptions options;
    std::tie(options.from, options.to) = Span(model.Parameter(k));
    options.box = box;
    const TContinuation one = ContinueEquilibria(model, k, options);
    for (const TBranch& b : one.branches)
        for (const TBranchRow& r : b.rows)
            if (r.label == TSpecialPoint::Fold || r.label == TSpecialPoint::HopfSupercritical ||
                r.label == TSpecialPoint::HopfSubcritical)
                return true;
    return false;
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
        // Two parameters: the first with a fold or Hopf point, and the next.
        for (std::size_t k = 0; k + 1 < model.ParameterCount(); ++k) {
            if (!HasFoldOrHopf(model, k, DefaultBox(m.N1, m.N2))) continue;
            const std::string name = "continuation2/" + path.stem().string() + "/" +
                                     model.ParameterName(k) + "," + model.ParameterName(k + 1);
            benchmark::RegisterBenchmark(name.c_str(), TwoParameters, path.string(), k, k + 1)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(3);
            break;
        }
    }
#ifdef TARNIVELL_AUTO_PEER
    for (const TPeerCase& c : kPeerCases)
        benchmark::RegisterBenchmark(
            ("continuation/auto-peer/" + std::string(c.title) + "/" + c.parameter).c_str(),
            [&c](benchmark::State& state) { AutoPeer(state, c); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
#else
    std::fprintf(stderr, "auto-07p or gfortran was not found when this was built: the "
                         "comparisons with AUTO are left out\n");
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
#ifdef TARNIVELL_AUTO_PEER
    if (disagreed) return 1;
#endif
    return 0;
}
