#pragma once

#include "CustomParser.h"
#include "TermProgram.h"

#include <cstdint>
#include <memory>
#include <vector>

// How a term's derivative follows from its operands' (DualEvaluator.cpp).
enum class TDerivativeRule : std::uint8_t;

// A rate law's value and its partial derivatives with respect to two of its
// variables.
struct TValueGradient {
    double value = 0;
    double d1 = 0; // with respect to the first cell
    double d2 = 0; // with respect to the second cell
};

// Forward-mode automatic differentiation over a compiled term list: every
// term carries its value and its two derivatives, each derivative by the
// term's own rule, so the gradient is exact to rounding (no differences).
//
// It works on a copy of the terms whose results go to cells of its own, so
// it never writes the parser's cells; it reads the variable cells as they
// are at each call. Nothing is allocated per call. It stands for the
// compiled form it was made from: make a new one after the expression is set
// again or the variables are removed. It keeps pointers to the parser's
// cells, so the parser must outlive it.
//
// Values and faults are those of the parser's Value: the same double, and
// the same exception for the first fault in evaluation order. A derivative
// that does not exist or overflows where the value is fine (SQRT at 0, the
// power X^0.5 at 0) comes out infinite or not a number and raises nothing.
// A constant operand contributes nothing to a derivative, also where the
// partial derivative is infinite.
//
// Where a function has a kink or a jump, the derivative is chosen so:
// - ABS at 0, and MAX and MIN where both arguments are equal: the mean of
//   the two one-sided slopes (ABS(X) and MAX(X,-X) agree: 0 at X = 0);
// - HEAV, SIGN, ZERO, DIV, MOD and RND are flat pieces: 0 everywhere, at the
//   jumps too; PH is π² everywhere, its jumps aside;
// - SIN and COS from 2^63 on are the constant 0: derivative 0;
// - the general power a^b: b·a^(b−1) in a; a^b·ln a in b where a > 0, 0
//   where a = 0 and b > 0, not a number where a < 0 (a^b exists only at
//   whole b there).
// RND reads the numbers that the parser's next evaluation will draw, without
// drawing them, so the random sequence stays where it is.
class TDualEvaluator {
public:
    // cell1 and cell2 are variable cells of the parser (DefineVariable's
    // pointers). Throws EMathParserError when the expression calls a
    // function whose derivative is not known.
    TDualEvaluator(const TCustomParser& parser, const double* cell1, const double* cell2);

    // At the current values of the parser's variable cells.
    TValueGradient Evaluate();

private:
    struct Step {
        TDerivativeRule rule;
        int a, b, result; // slots
    };

    std::vector<TTerm> terms_; // the parser's terms, results in cells_
    TTermProgram program_;     // runs terms_
    std::vector<Step> steps_;
    std::unique_ptr<double[]> cells_;
    std::vector<double*> drawn_; // numbers read by the RND terms, in order
    // Derivatives per slot: slot 0 is the constant zero, then one per cell.
    std::vector<double> d1_, d2_;
    int resultSlot_ = 0;
};
