// The lynx–hare fit as `--fit … --params a,b,c,d --densities` runs it: four
// parameters and both initial densities from 20 starts on every core. Beside
// it, when SciPy is installed, least_squares on solve_ivp (as a SciPy user
// fits an ODE model) on the same model, data, bounds and starts, one start
// after the other as a script runs them.
#include "DataFile.h"
#include "Fit.h"
#include "ModelFile.h"
#include "ObservedData.h"
#include "ParameterRange.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kStarts = 20;

struct TProblem {
    TModel file;
    TCompiledModel model;
    TObservedData data;
    TFitOptions options;
};

void Load(TProblem& p) {
    LoadModelFile(TARNIVELL_EXAMPLES "/lynx-hare.ini", p.file);
    std::vector<ParameterRow> rows = p.file.rows;
    p.model.Compile(rows, p.file.rate1, p.file.rate2, p.file.N1, p.file.N2);
    p.data = TDataFile::Read(TARNIVELL_EXAMPLES "/lynx-hare.csv").Data();
    for (std::size_t k = 0; k < p.model.ParameterCount(); ++k) {
        const TParameterRange span = DefaultRange(p.model.Parameter(k));
        p.options.unknowns.push_back({TFitUnknown::TKind::Parameter, k, span.min, span.max});
    }
    const double upper = 10 * p.data.Largest();
    p.options.unknowns.push_back({TFitUnknown::TKind::N1, 0, 0, upper});
    p.options.unknowns.push_back({TFitUnknown::TKind::N2, 0, 0, upper});
    p.options.n1 = p.file.N1;
    p.options.n2 = p.file.N2;
    p.options.starts = kStarts;
}

#ifdef TARNIVELL_SCIPY_PEER
std::string Number(double v) {
    if (!std::isfinite(v)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

std::string List(const std::vector<double>& values) {
    std::string s = "[";
    for (std::size_t i = 0; i < values.size(); ++i)
        s += (i ? "," : "") + Number(values[i]);
    return s + "]";
}

// The problem as the peer script reads it.
std::string Json(const TProblem& p) {
    std::ostringstream j;
    j << "{\"rates\":[\"" << p.file.rate1 << "\",\"" << p.file.rate2 << "\"],\"values\":{";
    for (std::size_t k = 0; k < p.model.ParameterCount(); ++k)
        j << (k ? "," : "") << '"' << p.model.ParameterName(k)
          << "\":" << Number(p.model.Parameter(k));
    j << "},\"densities\":[" << Number(p.file.N1) << ',' << Number(p.file.N2) << "],\"unknowns\":[";
    for (std::size_t i = 0; i < p.options.unknowns.size(); ++i) {
        const TFitUnknown& u = p.options.unknowns[i];
        const char* kind = u.kind == TFitUnknown::TKind::N1   ? "N1"
                           : u.kind == TFitUnknown::TKind::N2 ? "N2"
                                                              : "parameter";
        const std::string name = u.kind == TFitUnknown::TKind::Parameter
                                     ? p.model.ParameterName(u.parameter)
                                     : std::string(kind);
        j << (i ? "," : "") << "{\"name\":\"" << name << "\",\"kind\":\"" << kind
          << "\",\"lower\":" << Number(u.lower) << ",\"upper\":" << Number(u.upper) << '}';
    }
    j << "],\"starts\":[";
    const std::vector<std::vector<double>> starts = FitStarts(p.model, p.options);
    for (std::size_t s = 0; s < starts.size(); ++s)
        j << (s ? "," : "") << List(starts[s]);
    j << "],\"t\":" << List(p.data.t) << ",\"n1\":" << List(p.data.n1)
      << ",\"n2\":" << List(p.data.n2) << ",\"rtol\":" << Number(p.options.relTol) << '}';
    return j.str();
}

struct TPeerRun {
    double ssr = NAN, seconds = NAN;
    std::string estimates;
};

TPeerRun RunPeer(const TProblem& p) {
    char input[] = "/tmp/tarnivell-fit-XXXXXX";
    const int fd = mkstemp(input);
    if (fd < 0) return {};
    close(fd);
    std::ofstream(input) << Json(p);
    const std::string command =
        "'" TARNIVELL_PYTHON3 "' '" TARNIVELL_SCIPY_PEER "' < '" + std::string(input) + "' 2>&1";
    TPeerRun run;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char line[4096];
        while (std::fgets(line, sizeof line, pipe)) {
            char estimates[4000] = "";
            if (std::sscanf(line, "ssr=%lf seconds=%lf estimates=%3999s", &run.ssr, &run.seconds,
                            estimates) >= 2)
                run.estimates = estimates;
        }
        pclose(pipe);
    }
    std::remove(input);
    return run;
}
#endif

void LynxHare(benchmark::State& state) {
    TProblem p;
    Load(p);
    TFitResult fit;
    for (auto _ : state)
        benchmark::DoNotOptimize(fit = Fit(p.model, p.data, p.options));
    state.counters["ssr"] = fit.ssr;
    state.counters["converged"] = fit.converged;
    state.counters["starts"] = fit.startsDone;
#ifdef TARNIVELL_SCIPY_PEER
    const auto began = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(Fit(p.model, p.data, p.options));
    const double ours =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const TPeerRun peer = RunPeer(p);
    if (!std::isfinite(peer.ssr)) {
        state.SkipWithError("SciPy's fit gave no result");
        return;
    }
    state.counters["scipy_ssr"] = peer.ssr;
    state.counters["scipy_s"] = peer.seconds;
    state.counters["scipy_x"] = peer.seconds / ours; // how many times longer SciPy took
    state.counters["ssr_vs_scipy"] = fit.ssr / peer.ssr;
    std::fprintf(stderr, "SciPy's estimates (a, b, c, d, N1, N2): %s\n", peer.estimates.c_str());
#endif
}

} // namespace

BENCHMARK(LynxHare)
    ->Name("fit/lynx-hare")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

BENCHMARK_MAIN();
