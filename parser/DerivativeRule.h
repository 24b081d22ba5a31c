#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

// How a term's derivatives follow from its operands'. Every evaluator that
// differentiates a term list takes its first partial derivatives from
// FirstPartials, so their gradients agree to the bit.
enum class TDerivativeRule : std::uint8_t {
    Unknown, // a function whose derivative is not known
    Negate,
    Sum,
    Difference,
    Product,
    Quotient,
    Flat,
    IntPower,
    Power,
    Square,
    Cube,
    FourthPower,
    Tan,
    Sin,
    Cos,
    Sinh,
    Cosh,
    ArcTan,
    Exp,
    Ln,
    Sqrt,
    Abs,
    Ph,
    Max,
    Min,
};

namespace derivative {

// SIN and COS are the constant 0 from here on.
constexpr double kTwoPow63 = 9223372036854775808.0;

// The partial derivatives of a term's result r with respect to its operands.
struct Partials {
    double a, b;
};

inline Partials FirstPartials(TDerivativeRule rule, double a, double b, double r) {
    using Rule = TDerivativeRule;
    switch (rule) {
    case Rule::Unknown:
    case Rule::Flat:
        return {0, 0};
    case Rule::Negate:
        return {-1, 0};
    case Rule::Sum:
        return {1, 1};
    case Rule::Difference:
        return {1, -1};
    case Rule::Product:
        return {b, a};
    case Rule::Quotient:
        return {1 / b, -r / b};
    case Rule::IntPower: {
        const double n = std::trunc(b);
        return {n == 0 ? 0.0 : n * std::pow(a, n - 1), 0};
    }
    case Rule::Power: {
        if (b == 0) return {0, a > 0 ? std::log(a) : NAN};
        const double inB = a > 0 ? r * std::log(a) : (a == 0 && b > 0 ? 0 : NAN);
        return {b * std::pow(a, b - 1), inB};
    }
    case Rule::Square:
        return {2 * a, 0};
    case Rule::Cube:
        return {3 * (a * a), 0};
    case Rule::FourthPower:
        return {4 * (a * a * a), 0};
    case Rule::Tan:
        return {1 + r * r, 0};
    case Rule::Sin:
        return {std::fabs(a) >= kTwoPow63 ? 0 : std::cos(a), 0};
    case Rule::Cos:
        return {std::fabs(a) >= kTwoPow63 ? 0 : -std::sin(a), 0};
    case Rule::Sinh:
        return {std::cosh(a), 0};
    case Rule::Cosh:
        return {std::sinh(a), 0};
    case Rule::ArcTan:
        return {1 / (1 + a * a), 0};
    case Rule::Exp:
        return {r, 0};
    case Rule::Ln:
        return {1 / a, 0};
    case Rule::Sqrt:
        return {0.5 / r, 0};
    case Rule::Abs:
        return {a > 0 ? 1.0 : a < 0 ? -1.0 : 0.0, 0};
    case Rule::Ph:
        return {std::numbers::pi * std::numbers::pi, 0};
    case Rule::Max:
        return a == b ? Partials{0.5, 0.5} : a > b ? Partials{1, 0} : Partials{0, 1};
    case Rule::Min:
        return a == b ? Partials{0.5, 0.5} : a < b ? Partials{1, 0} : Partials{0, 1};
    }
    return {NAN, NAN};
}

// An operand that does not depend on the variable adds nothing, even where
// the partial derivative is infinite.
inline double Chain(double partial, double d) {
    return d == 0 ? 0.0 : partial * d;
}

} // namespace derivative
