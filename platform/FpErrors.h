#pragma once

// Floating-point fault detection. Arithmetic never traps: code that must report
// faults clears the flags, runs, then asks for the flags to be turned into the
// program's exceptions. Underflow and inexact results are never reported.

void ClearFpFlags() noexcept;

// Throws EInvalidOp, EZeroDivide or EOverflow when the matching flag is raised
// (checked in that order), and clears the flags either way.
void RaiseFpFlags();

// True when any of the three reported flags is raised.
bool FpFaultPending() noexcept;
