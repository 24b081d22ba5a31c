#include "ParameterRange.h"

#include "Exception.h"
#include "FloatText.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

TParameterRange DefaultRange(double value) {
    if (value == 0) return {0, 1};
    // Beyond half the largest double, twice the value is no number.
    const double twice = std::clamp(2 * value, -DBL_MAX, DBL_MAX);
    return value > 0 ? TParameterRange{0, twice} : TParameterRange{twice, 0};
}

TParameterRange RangeFromText(const std::string& min, const std::string& max) {
    const TParameterRange range{TextToFloat(min), TextToFloat(max)};
    // The width must be a number too, or the slider's values would not be.
    if (!(range.min < range.max) || !std::isfinite(range.max - range.min))
        throw Exception("Min must be below Max");
    return range;
}

double ValueAt(const TParameterRange& range, double fraction) {
    return std::lerp(range.min, range.max, std::clamp(fraction, 0.0, 1.0));
}

double FractionOf(const TParameterRange& range, double value) {
    return std::clamp((value - range.min) / (range.max - range.min), 0.0, 1.0);
}
