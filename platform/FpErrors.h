#pragma once

#include <cmath>
#include <cstdint>

// Floating-point fault detection. Arithmetic never traps: code that must report
// faults clears the flags, runs, then asks for the flags to be turned into the
// program's exceptions. Underflow and inexact results are never reported.

void ClearFpFlags() noexcept;

// Throws EInvalidOp, EZeroDivide or EOverflow when the matching flag is raised
// (checked in that order), and clears the flags either way.
void RaiseFpFlags();

// True when any of the three reported flags is raised.
bool FpFaultPending() noexcept;

// The 32-bit integer that cutting v toward zero gives (TruncToInt32), or the
// nearest one with halves away from zero (RoundToInt32). A value that has no
// such integer (not a number, infinite, out of range) throws EInvalidOp, as
// the hardware conversion would fault.
[[noreturn]] void RaiseInvalidOp();
inline bool TruncatesToInt32(double v) {
    return v > -2147483649.0 && v < 2147483648.0;
}
inline std::int32_t TruncToInt32(double v) {
    if (!TruncatesToInt32(v)) RaiseInvalidOp();
    return static_cast<std::int32_t>(v);
}
inline std::int32_t RoundToInt32(double v) {
    if (!(v > -2147483648.5 && v < 2147483647.5)) RaiseInvalidOp();
    return static_cast<std::int32_t>(std::lround(v));
}
