#include "MathParser.h"

#include "FpFaults.h"

#include <cmath>
#include <cstdint>
#include <emmintrin.h>
#include <numbers>
#include <xmmintrin.h>

namespace {

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

// The hyperbolic functions from both exponentials in extended precision:
// sinh(710) is still a double although exp(710) is not.
double Hyperbolic(double x, long double sign) {
    const long double r =
        (std::exp(static_cast<long double>(x)) + sign * std::exp(-static_cast<long double>(x))) *
        0.5L;
    return fpfaults::Narrowed(r, x);
}
void Sinh(const TTerm& t) {
    *t.result = Hyperbolic(*t.a, -1.0L);
}
void Cosh(const TTerm& t) {
    *t.result = Hyperbolic(*t.a, 1.0L);
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
    const double y = fpfaults::Narrowed(*t.a * (std::numbers::pi_v<long double> / 2), *t.a);
    // Rounds to nearest, ties to even; beyond 32 bits the conversion raises
    // the invalid-operation fault.
    const int n = _mm_cvtsd_si32(_mm_set_sd(y));
    *t.result = static_cast<double>((static_cast<long double>(y) - n) *
                                    (2 * std::numbers::pi_v<long double>));
}

void Rnd(const TTerm& t) {
    *t.result = std::trunc(*t.a) * NextRandom();
}

void Max(const TTerm& t) {
    *t.result = *t.a >= *t.b ? *t.a : *t.b;
}
void Min(const TTerm& t) {
    *t.result = *t.a < *t.b ? *t.a : *t.b;
}

} // namespace

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
