#pragma once

// Fast floating-point fault test for the evaluator. The platform's FpErrors
// functions go through <cfenv>, which also saves and reloads the whole x87
// environment; that costs more than a short rate law itself. The evaluator
// only does double arithmetic in SSE registers, so on x86-64 it reads the
// SSE status register directly, once per evaluation (TTermProgram).

#include "Exception.h"

#include <cmath>

#if defined(__x86_64__) || defined(__SSE2__)
#include <xmmintrin.h>
#define TARNIVELL_SSE_FLAGS 1
#else
#include <cfenv>
#endif

namespace fpfaults {

#ifdef TARNIVELL_SSE_FLAGS
constexpr unsigned kInvalid = 0x01;
constexpr unsigned kZeroDivide = 0x04;
constexpr unsigned kOverflow = 0x08;
inline unsigned Pending() noexcept {
    return _mm_getcsr() & (kInvalid | kZeroDivide | kOverflow);
}
inline void Clear(unsigned bits) noexcept {
    _mm_setcsr(_mm_getcsr() & ~bits);
}
// Sets the flags of a fault found by a check, as if the hardware had found
// it, in code that must not raise because the flags are tested later.
inline void Set(unsigned bits) noexcept {
    _mm_setcsr(_mm_getcsr() | bits);
}
#else
constexpr unsigned kInvalid = FE_INVALID;
constexpr unsigned kZeroDivide = FE_DIVBYZERO;
constexpr unsigned kOverflow = FE_OVERFLOW;
inline unsigned Pending() noexcept {
    return static_cast<unsigned>(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW));
}
inline void Clear(unsigned bits) noexcept {
    std::feclearexcept(static_cast<int>(bits));
}
inline void Set(unsigned bits) noexcept {
    std::feraiseexcept(static_cast<int>(bits));
}
#endif

// Drops faults left by earlier code, so that only this evaluation's count.
inline void Begin() noexcept {
    if (const unsigned stale = Pending()) Clear(stale);
}

// Clears the given faults and throws the first of them, in the platform's
// order: invalid operation, division by zero, overflow. That order is only
// right for faults of one operation; an evaluator that ran several finds the
// first faulting one itself (TTermProgram).
[[noreturn]] void Throw(unsigned bits);

// Raises what the code since Begin left pending.
inline void End() {
    if (const unsigned bits = Pending()) Throw(bits);
}

// A fault found by a check rather than by the hardware.
[[noreturn]] void Raise(unsigned bits);
[[noreturn]] void RaiseDivByZero();

// Whether a result computed in extended precision overflowed when it was
// stored as the double d. The x87 unit keeps flags of its own, which Pending
// does not read, so such a result is checked: it overflows when it rounds to
// infinity, unless an operand was already infinite (an infinity goes on as it
// came). Testing the double rather than the extended value keeps a slow x87
// comparison out of every evaluation's way.
inline bool Overflowed(double d, double a, double b = 0) {
    return std::isinf(d) && std::isfinite(a) && std::isfinite(b);
}

// Stores a result computed in extended precision as a double.
inline double Narrowed(long double r, double a, double b = 0) {
    const double d = static_cast<double>(r);
    if (Overflowed(d, a, b)) Raise(kOverflow);
    return d;
}

} // namespace fpfaults
