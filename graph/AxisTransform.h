#pragma once

#include <algorithm>
#include <cmath>

class TAxis;

// Axis value to pixel and back on one surface, the same type for the X axis
// (columns) and both Y axes (rows). The offset from the plot edge is bounded
// to 20000 pixels either way (no edge added then) so that far-off points stay
// inside the painter's coordinate range. Not-a-number (a log of a
// non-positive value) lands on the negative bound.
struct TAxisTransform {
    double Origin = 0; // the value at the plot edge (its ln on a log axis)
    double Scale = 1;  // pixels per unit; negative for rows, which grow downward
    int Edge = 0;      // the plot edge on the surface: margin + offset
    bool Log = false;

    static constexpr double kBound = 20000;

    // X runs from Min at the left edge, a Y axis from Max at the top edge.
    static TAxisTransform Of(const TAxis& axis, int edge);

    int operator()(double v) const {
        const double d = ((Log ? std::log(v) : v) - Origin) * Scale;
        if (!(d >= -kBound)) return static_cast<int>(-kBound);
        if (d > kBound) return static_cast<int>(kBound);
        return static_cast<int>(std::lround(d)) + Edge;
    }

    // The position on the surface unrounded, within the same bounds.
    double Exact(double v) const {
        const double d = ((Log ? std::log(v) : v) - Origin) * Scale;
        if (!(d >= -kBound)) return -kBound;
        return std::min(d, kBound) + Edge;
    }

    // The axis value at a pixel.
    double Value(int pixel) const {
        const double v = (pixel - Edge) / Scale + Origin;
        return Log ? std::exp(v) : v;
    }
};
