#include "CompileShapes.h"
#include "DualEvaluator.h"
#include "Exception.h"
#include "MathParser.h"

#include <benchmark/benchmark.h>
#ifdef TARNIVELL_HAVE_MUPARSER
#include <muParser.h>
#endif

#include <cmath>
#include <string>

namespace {

struct RateLaw {
    const char* id;
    const char* text;
    double (*native)(double n1, double n2);
};

constexpr double R = 0.8, K = 100, A = 0.05, H = 0.2;

const RateLaw kLaws[] = {
    {"lv_prey", "0.5*N1-0.02*N1*N2",
     [](double n1, double n2) { return 0.5 * n1 - 0.02 * n1 * n2; }},
    {"lv_pred", "-0.5*N2+0.01*N1*N2",
     [](double n1, double n2) { return -0.5 * n2 + 0.01 * n1 * n2; }},
    {"holling", "R*N1*(1-N1/K)-A*N1*N2/(1+A*H*N1)",
     [](double n1, double n2) { return R * n1 * (1 - n1 / K) - A * n1 * n2 / (1 + A * H * n1); }},
    {"trig", "SIN(N1)*EXP(-N2/10)+SQRT(ABS(N1-N2))",
     [](double n1, double n2) {
         return std::sin(n1) * std::exp(-n2 / 10) + std::sqrt(std::fabs(n1 - n2));
     }},
    {"powers", "N1^2+N2^3-N1*N2^4/1000",
     [](double n1, double n2) { return n1 * n1 + n2 * n2 * n2 - n1 * (n2 * n2 * n2 * n2) / 1000; }},
    {"minmax", "MAX(N1,N2)-MIN(N1,N2)",
     [](double n1, double n2) { return std::max(n1, n2) - std::min(n1, n2); }},
};

// A parser with the densities and the laws' parameters bound, compiling the law.
struct BoundLaw {
    TMathParser parser;
    double* n1;
    double* n2;
    explicit BoundLaw(const RateLaw& law) {
        n1 = parser.DefineVariable("N1", 40);
        n2 = parser.DefineVariable("N2", 9);
        parser.DefineVariable("R", R);
        parser.DefineVariable("K", K);
        parser.DefineVariable("A", A);
        parser.DefineVariable("H", H);
        parser.SetExpression(law.text);
    }
};

// Each engine sees the densities change between evaluations, as in a run.
void Tarnivell(benchmark::State& state, const RateLaw& law) {
    BoundLaw b(law);
    double x = 0;
    for (auto _ : state) {
        *b.n1 = 40 + x;
        *b.n2 = 9 - x;
        benchmark::DoNotOptimize(b.parser.Value());
        x = x == 0 ? 1e-9 : 0;
    }
}

// The value and both partial derivatives, for the Jacobian of the phase plane.
void Gradient(benchmark::State& state, const RateLaw& law) {
    BoundLaw b(law);
    TDualEvaluator dual(b.parser, b.n1, b.n2);
    double x = 0;
    for (auto _ : state) {
        *b.n1 = 40 + x;
        *b.n2 = 9 - x;
        benchmark::DoNotOptimize(dual.Evaluate());
        x = x == 0 ? 1e-9 : 0;
    }
}

// Both rates of a model with their gradients on a 200 x 200 grid, as the
// phase plane samples them for nullclines and equilibria.
void GradientGrid(benchmark::State& state, const RateLaw& prey, const RateLaw& predator) {
    BoundLaw b1(prey), b2(predator);
    TDualEvaluator d1(b1.parser, b1.n1, b1.n2), d2(b2.parser, b2.n1, b2.n2);
    constexpr int kGrid = 200;
    for (auto _ : state) {
        for (int i = 0; i < kGrid; ++i) {
            for (int j = 0; j < kGrid; ++j) {
                *b1.n1 = *b2.n1 = 100.0 * i / kGrid;
                *b1.n2 = *b2.n2 = 50.0 * j / kGrid;
                benchmark::DoNotOptimize(d1.Evaluate());
                benchmark::DoNotOptimize(d2.Evaluate());
            }
        }
    }
}

#ifdef TARNIVELL_HAVE_MUPARSER
void MuParser(benchmark::State& state, const RateLaw& law) {
    mu::Parser p;
    double n1 = 40, n2 = 9, r = R, k = K, a = A, h = H;
    p.DefineVar("N1", &n1);
    p.DefineVar("N2", &n2);
    p.DefineVar("R", &r);
    p.DefineVar("K", &k);
    p.DefineVar("A", &a);
    p.DefineVar("H", &h);
    p.DefineFun("SIN", static_cast<double (*)(double)>(std::sin));
    p.DefineFun("EXP", static_cast<double (*)(double)>(std::exp));
    p.DefineFun("SQRT", static_cast<double (*)(double)>(std::sqrt));
    p.DefineFun("ABS", static_cast<double (*)(double)>(std::fabs));
    p.DefineFun(
        "MAX", +[](double x, double y) { return x >= y ? x : y; });
    p.DefineFun(
        "MIN", +[](double x, double y) { return x < y ? x : y; });
    p.SetExpr(law.text);
    double x = 0;
    for (auto _ : state) {
        n1 = 40 + x;
        n2 = 9 - x;
        benchmark::DoNotOptimize(p.Eval());
        x = x == 0 ? 1e-9 : 0;
    }
}
#endif

void Native(benchmark::State& state, const RateLaw& law) {
    double x = 0;
    for (auto _ : state) {
        double n1 = 40 + x, n2 = 9 - x;
        benchmark::DoNotOptimize(n1);
        benchmark::DoNotOptimize(n2);
        benchmark::DoNotOptimize(law.native(n1, n2));
        x = x == 0 ? 1e-9 : 0;
    }
}

// Compile time of a worst-case shape; whether it compiles or is refused
// does not matter, only that it is decided quickly.
void Compile(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        TMathParser p;
        p.DefineVariable("N1", 1);
        try {
            p.SetExpression(text);
        } catch (const Exception&) {
        }
    }
}

int Register() {
    for (const RateLaw& law : kLaws) {
        const std::string id = law.id;
        benchmark::RegisterBenchmark(("eval/tarnivell/" + id).c_str(), Tarnivell, law);
        benchmark::RegisterBenchmark(("gradient/tarnivell/" + id).c_str(), Gradient, law);
#ifdef TARNIVELL_HAVE_MUPARSER
        benchmark::RegisterBenchmark(("eval/muparser/" + id).c_str(), MuParser, law);
#endif
        benchmark::RegisterBenchmark(("eval/native/" + id).c_str(), Native, law);
    }
    benchmark::RegisterBenchmark("gradient_grid200/lotka_volterra", GradientGrid, kLaws[0],
                                 kLaws[1])
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("gradient_grid200/holling", GradientGrid, kLaws[2], kLaws[1])
        ->Unit(benchmark::kMillisecond);
    for (const CompileShape& shape : CompileShapes(4096))
        benchmark::RegisterBenchmark(("compile/tarnivell/" + shape.name).c_str(), Compile,
                                     shape.text)
            ->Unit(benchmark::kMillisecond);
    return 0;
}
const int kRegistered = Register();

} // namespace

BENCHMARK_MAIN();
