#pragma once

#include "CustomParser.h"
#include "DerivativeTape.h"

#include <array>
#include <vector>

// A rate law's value and its partial derivatives up to third order with
// respect to two of its variables: d12 is ∂²f/∂x1∂x2, d112 is ∂³f/∂x1²∂x2.
struct TJet3 {
    double value = 0;
    double d1 = 0, d2 = 0;
    double d11 = 0, d12 = 0, d22 = 0;
    double d111 = 0, d112 = 0, d122 = 0, d222 = 0;
};

// Forward-mode differentiation to third order over a compiled term list, for
// the normal form of an equilibrium, where the Jacobian is not enough. Every
// term carries its Taylor polynomial of order 3 in the two cells' increments,
// composed from its operands' by the term's own rule, so the derivatives are
// exact to rounding (no differences).
//
// It is made and used as TDualEvaluator is, with the same value, the same
// faults and the same conventions; its value and first derivatives equal
// TDualEvaluator's to the bit. Nothing is allocated per call. Where the
// first derivatives follow a convention, the higher ones follow it too:
// - flat pieces (HEAV, SIGN, ZERO, DIV, MOD, RND) are 0 in every order; PH is
//   linear between its jumps;
// - ABS at 0, and MAX and MIN where both arguments are equal: the mean of the
//   two branches in every order. So ABS(u) at u = 0 is flat even where u is
//   flat itself (ABS(X^2) at X = 0 has d11 = 0);
// - the general power a^b: in b, as exp(b·ln a) where a > 0; where a = 0 < b,
//   a^b is 0 for every b, and a derivative that takes b at least once is 0
//   if it takes a fewer than b times, not a number otherwise; not a number
//   where a < 0. In a alone, and for the integer powers, by n(n−1)…a^(n−k),
//   exact at a = 0.
// A derivative that does not exist or overflows (SQRT at 0) comes out
// infinite or not a number and raises nothing.
class TJetEvaluator {
public:
    // cell1 and cell2 are variable cells of the parser. Throws
    // EMathParserError when the expression calls a function whose derivative
    // is not known.
    TJetEvaluator(const TCustomParser& parser, const double* cell1, const double* cell2);

    // At the current values of the parser's variable cells.
    TJet3 Evaluate();

private:
    TDerivativeTape tape_;
    // Per slot of the tape, its Taylor coefficients of orders 1 to 3 in the
    // increments (h, k) of the two cells: h, k, h², hk, k², h³, h²k, hk², k³.
    std::vector<std::array<double, 9>> jets_;
};
