#pragma once

#include <cmath>

class TAxis;

// Axis value to pixel on one surface: the offset from the plot edge in
// pixels, bounded to 20000 either way (no margin added then) so that far-off
// points stay inside the painter's coordinate range. Not-a-number (a log of a
// non-positive value) lands on the negative bound.
struct TPixelMap {
    double Origin = 0; // the value at the plot edge (its ln on a log axis)
    double Scale = 1;  // pixels per unit; negative for rows, which grow downward
    int Edge = 0;      // the plot edge on the surface: margin + offset
    bool Log = false;

    static constexpr double kBound = 20000;

    // X runs from Min at the left edge, Y from Max at the top edge.
    static TPixelMap Of(const TAxis& axis, bool rows, int edge);

    int operator()(double v) const {
        const double d = ((Log ? std::log(v) : v) - Origin) * Scale;
        if (!(d >= -kBound)) return static_cast<int>(-kBound);
        if (d > kBound) return static_cast<int>(kBound);
        return static_cast<int>(std::lround(d)) + Edge;
    }
};
