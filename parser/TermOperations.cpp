#include "TermOperations.h"

#include "FpErrors.h"
#include "FpFaults.h"

#include <cmath>
#include <cstdint>

namespace termops {
namespace {

long double IntPowerExtended(long double base, std::uint64_t n) {
    long double result = 1.0L;
    while (n != 0) {
        if (n & 1u) result *= base;
        n >>= 1;
        if (n != 0) base *= base;
    }
    return result;
}

void OpVariable(const TTerm&) {}
void OpNegate(const TTerm& t) {
    *t.result = -*t.a;
}
void OpSum(const TTerm& t) {
    *t.result = *t.a + *t.b;
}
void OpDifference(const TTerm& t) {
    *t.result = *t.a - *t.b;
}
void OpProduct(const TTerm& t) {
    *t.result = *t.a * *t.b;
}
void OpQuotient(const TTerm& t) {
    *t.result = *t.a / *t.b;
}
void OpRemainder(const TTerm& t) {
    *t.result = Remainder(*t.a, *t.b);
}
void OpIntQuotient(const TTerm& t) {
    *t.result = IntQuotient(*t.a, *t.b);
}
void OpIntPower(const TTerm& t) {
    *t.result = IntPower(*t.a, *t.b);
}
void OpPower(const TTerm& t) {
    *t.result = Power(*t.a, *t.b);
}
void OpSquare(const TTerm& t) {
    *t.result = *t.a * *t.a;
}
void OpCube(const TTerm& t) {
    *t.result = Cube(*t.a);
}
void OpFourthPower(const TTerm& t) {
    *t.result = FourthPower(*t.a);
}

} // namespace

double IntQuotient(double a, double b) {
    const std::int64_t ia = TruncToInt32(a);
    const std::int64_t ib = TruncToInt32(b);
    if (ib == 0) fpfaults::RaiseDivByZero();
    return static_cast<double>(ia / ib); // 64 bits: -2147483648 DIV -1 fits
}

double Remainder(double a, double b) {
    const std::int64_t ia = TruncToInt32(a);
    const std::int64_t ib = TruncToInt32(b);
    if (ib == 0) fpfaults::RaiseDivByZero();
    return static_cast<double>(ia % ib);
}

double IntPower(double a, double exponent) {
    const double n = std::trunc(exponent);
    if (!(std::fabs(n) < 9223372036854775808.0)) fpfaults::Raise(fpfaults::kInvalid);
    if (n == 0) return 1.0;
    const bool negative = n < 0;
    const std::uint64_t magnitude = static_cast<std::uint64_t>(std::fabs(n));
    long double r = IntPowerExtended(a, magnitude);
    if (std::isfinite(a)) {
        if (!std::isfinite(r)) fpfaults::Raise(fpfaults::kOverflow);
        if (negative && r == 0) fpfaults::Raise(fpfaults::kZeroDivide);
    }
    if (negative) r = 1.0L / r;
    return fpfaults::Narrowed(r, a);
}

double Power(double a, double b) {
    if (b == 0) return 1.0;
    if (std::trunc(b) == b && b < 2147483647.0) return IntPower(a, b);
    if (std::isnan(a) || std::isnan(b)) return a + b;
    if (a < 0) fpfaults::Raise(fpfaults::kInvalid);
    // A zero base (an extinct population) gives 0 for a positive exponent
    // rather than the logarithm's division by zero.
    if (a == 0) {
        if (b > 0) return 0.0;
        fpfaults::Raise(fpfaults::kZeroDivide);
    }
    return fpfaults::Narrowed(
        std::exp(static_cast<long double>(b) * std::log(static_cast<long double>(a))), a, b);
}

TMathProcedure ForKind(TTermKind kind) {
    switch (kind) {
    case TTermKind::Variable:
    case TTermKind::Number:
        return OpVariable;
    case TTermKind::Negate:
        return OpNegate;
    case TTermKind::Sum:
        return OpSum;
    case TTermKind::Difference:
        return OpDifference;
    case TTermKind::Product:
        return OpProduct;
    case TTermKind::Quotient:
        return OpQuotient;
    case TTermKind::Remainder:
        return OpRemainder;
    case TTermKind::IntQuotient:
        return OpIntQuotient;
    case TTermKind::IntPower:
        return OpIntPower;
    case TTermKind::Power:
        return OpPower;
    case TTermKind::Square:
        return OpSquare;
    case TTermKind::Cube:
        return OpCube;
    case TTermKind::FourthPower:
        return OpFourthPower;
    case TTermKind::Function1:
    case TTermKind::Function2:
        break;
    }
    return nullptr;
}

} // namespace termops
