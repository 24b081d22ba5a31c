#pragma once

// The floating-point status register is not an operand of the arithmetic, so
// the compiler may move a sum past the read of it; this pins the value as
// formed before the read.
inline void Formed(double& v) {
#if defined(__x86_64__) || defined(__SSE2__)
    asm volatile("" : "+x"(v));
#else
    asm volatile("" : "+g"(v));
#endif
}
