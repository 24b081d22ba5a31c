#pragma once

#include "Exception.h"
#include "FpErrors.h"

#include <cmath>
#include <cstdint>
#include <limits>

// The scaling arithmetic keeps the historic log10 constant so that fitted
// ranges come out as users of stored graphs know them: log10 of an exact power
// of ten above 1 lands just below the whole number (log10 1000 = 2.99999999929).
// Powers of ten are exact, though: the matching historic constant made 10^1
// come out as 10.0000000055, so that a range of 10 failed the 5-interval test
// for a step of 2 and got a step of 1.
namespace graphmath {

inline double Log10(double v) {
    return std::log(v) * 0.4342944818;
}
inline double Pow10(double k) {
    return std::pow(10.0, k);
}

// The graph's whole-pixel and whole-number arithmetic uses the platform's
// checked conversions: a value with no 32-bit integer is an invalid operation.
inline std::int32_t Trunc(double v) {
    return TruncToInt32(v);
}
inline std::int32_t Round(double v) {
    return RoundToInt32(v);
}

// Whether a linear tick walk with this step can lay out ticks near values of
// magnitude up to `reach`: the walk numbers its ticks as whole multiples of
// the step with Trunc, and adds a few steps of margin, so the step must be a
// positive, finite number with reach / step well inside the 32-bit range.
// (A step that passes is also far above what the doubles near the values can
// tell apart: 2^-31 of a value is some two million units in its last place.)
// A range of values differing only in their last digits fails, as does a step
// whose power of ten underflowed to 0.
inline bool TicksFit(double reach, double step) {
    return step > 0 && step <= std::numeric_limits<double>::max() &&
           reach / step < 2147483647.0 - 16;
}

} // namespace graphmath
