#pragma once

#include <string>

// The span a parameter's slider covers, from `min` at its left end to `max`
// at its right; `min` is always below `max` and both are finite.
struct TParameterRange {
    double min = 0;
    double max = 1;

    bool operator==(const TParameterRange&) const = default;
};

// The span a slider starts with: 0 to twice the value, twice the value to 0
// for a negative value, 0 to 1 for 0.
TParameterRange DefaultRange(double value);

// A span from the texts of its ends. A text that is no number throws
// EConvertError "'%s' is not a valid floating point value"; ends that are not
// in order throw Exception "Min must be below Max".
TParameterRange RangeFromText(const std::string& min, const std::string& max);

// The value at a fraction (0 to 1) of the span, exactly `min` and `max` at the
// ends, and the fraction of a value, held to 0 to 1.
double ValueAt(const TParameterRange& range, double fraction);
double FractionOf(const TParameterRange& range, double value);
