#pragma once

#include "FpFaults.h"
#include "Term.h"

// The operations of the term kinds 0 to 13, kept in every term so that a term
// can be run on its own (TTermProgram runs the arithmetic ones inline).
namespace termops {

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
inline long double CubeExtended(double x) {
    const long double a = x;
    return a * a * a;
}
inline long double FourthPowerExtended(double x) {
    const long double a = x;
    const long double s = a * a;
    return s * s;
}
inline double Cube(double x) {
    return fpfaults::Narrowed(CubeExtended(x), x);
}
inline double FourthPower(double x) {
    return fpfaults::Narrowed(FourthPowerExtended(x), x);
}
// The general power (kind 10).
double Power(double a, double b);

} // namespace termops
