#pragma once

#include "FpFaults.h"
#include "Term.h"

#include <vector>

// The evaluation of a term list and the operations of the term kinds 0 to 13.
// Run does the simple ones inline; these are the same operations as
// callables, kept in every term so that a term can also be run on its own.
namespace termops {

// Runs the terms in order and returns the last one's result. Faults raise
// the platform's exceptions, the first one in evaluation order, as if the
// arithmetic trapped; the random sequence is then left where a trapping
// evaluation would have stopped.
double Run(const std::vector<TTerm>& terms);

// The callable of a kind, or null for kinds 14 and 15 (their operation comes
// from the function tables).
TMathProcedure ForKind(TTermKind kind);

// The integer operations truncate both operands toward zero to 32 bits.
double IntQuotient(double a, double b);
double Remainder(double a, double b);
// a raised to a whole exponent by repeated squaring (kind 9).
double IntPower(double a, double exponent);
// The cube and the fourth power (kinds 12, 13) in extended precision, so that
// X^3 and X^A with A = 3 give the same double.
inline double Cube(double x) {
    const long double a = x;
    return fpfaults::Narrowed(a * a * a, x);
}
inline double FourthPower(double x) {
    const long double a = x;
    const long double s = a * a;
    return fpfaults::Narrowed(s * s, x);
}
// The general power (kind 10).
double Power(double a, double b);

} // namespace termops
