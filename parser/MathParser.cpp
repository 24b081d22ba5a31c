#include "MathParser.h"

#include "FpFaults.h"

#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <emmintrin.h>
#include <numbers>
#include <xmmintrin.h>

namespace {

std::atomic<std::uint32_t> gSeed{0};

constexpr double kTwoPow63 = 9223372036854775808.0;

void Tan(const TTerm& t) {
    *t.result = std::tan(*t.a);
}

void Sin(const TTerm& t) {
    const double x = *t.a;
    *t.result = std::fabs(x) >= kTwoPow63 ? 0.0 : std::sin(x);
}

void Cos(const TTerm& t) {
    const double x = *t.a;
    *t.result = std::fabs(x) >= kTwoPow63 ? 0.0 : std::cos(x);
}

// The hyperbolic functions in extended precision: sinh(710) is still a double
// although exp(710) is not.
double Hyperbolic(double x, double sign) {
    const long double e = std::exp(static_cast<long double>(x));
    const long double r = (e + sign / e) * 0.5L;
    if (std::isfinite(x) && std::fabs(r) > static_cast<long double>(DBL_MAX))
        fpfaults::Raise(fpfaults::kOverflow);
    return static_cast<double>(r);
}
void Sinh(const TTerm& t) {
    *t.result = Hyperbolic(*t.a, -1.0);
}
void Cosh(const TTerm& t) {
    *t.result = Hyperbolic(*t.a, 1.0);
}

void ArcTan(const TTerm& t) {
    *t.result = std::atan(*t.a);
}
void Exp(const TTerm& t) {
    *t.result = std::exp(*t.a);
}
void Ln(const TTerm& t) {
    *t.result = std::log(*t.a);
}
void Sqrt(const TTerm& t) {
    *t.result = std::sqrt(*t.a);
}
void Abs(const TTerm& t) {
    *t.result = std::fabs(*t.a);
}
void Heav(const TTerm& t) {
    *t.result = *t.a >= 0 ? 1.0 : 0.0;
}

void Sign(const TTerm& t) {
    const double x = *t.a;
    *t.result = x < 0 ? -1.0 : x > 0 ? 1.0 : 0.0;
}

void Zero(const TTerm& t) {
    *t.result = *t.a == 0 ? 0.0 : 1.0;
}

// The phase of x quarter turns, folded into [-pi, pi].
void Ph(const TTerm& t) {
    const double y = static_cast<double>(*t.a * (std::numbers::pi_v<long double> / 2));
    // Rounds to nearest, ties to even; beyond 32 bits the conversion raises
    // the invalid-operation fault.
    const int n = _mm_cvtsd_si32(_mm_set_sd(y));
    *t.result = static_cast<double>((static_cast<long double>(y) - n) *
                                    (2 * std::numbers::pi_v<long double>));
}

void Rnd(const TTerm& t) {
    const std::uint32_t seed = gSeed.load(std::memory_order_relaxed) * 134775813u + 1u;
    gSeed.store(seed, std::memory_order_relaxed);
    const double r = static_cast<double>(seed) / 4294967296.0;
    *t.result = std::trunc(*t.a) * r;
}

void Max(const TTerm& t) {
    *t.result = *t.a >= *t.b ? *t.a : *t.b;
}
void Min(const TTerm& t) {
    *t.result = *t.a < *t.b ? *t.a : *t.b;
}

} // namespace

std::uint32_t RandomSeed() noexcept {
    return gSeed.load(std::memory_order_relaxed);
}
void SetRandomSeed(std::uint32_t seed) noexcept {
    gSeed.store(seed, std::memory_order_relaxed);
}

TMathParser::TMathParser() {
    DefineVariable("A", 0);
    DefineVariable("B", 0);
    DefineVariable("C", 0);
    DefineVariable("D", 0);
    DefineVariable("E", 0);
    DefineVariable("X", 0);
    DefineVariable("Y", 0);
    DefineVariable("T", 0);

    AddFunctionOneParam("TAN", Tan);
    AddFunctionOneParam("SIN", Sin);
    AddFunctionOneParam("COS", Cos);
    AddFunctionOneParam("SINH", Sinh);
    AddFunctionOneParam("COSH", Cosh);
    AddFunctionOneParam("ARCTAN", ArcTan);
    AddFunctionOneParam("EXP", Exp);
    AddFunctionOneParam("LN", Ln);
    AddFunctionOneParam("SQRT", Sqrt);
    AddFunctionOneParam("ABS", Abs);
    AddFunctionOneParam("HEAV", Heav);
    AddFunctionOneParam("SIGN", Sign);
    AddFunctionOneParam("ZERO", Zero);
    AddFunctionOneParam("PH", Ph);
    AddFunctionOneParam("RND", Rnd);

    AddFunctionTwoParam("MAX", Max);
    AddFunctionTwoParam("MIN", Min);
}
