#pragma once

#include <algorithm>
#include <cmath>

// A closed rectangle of the phase plane, N1 horizontal and N2 vertical.
struct TPlaneRect {
    double n1Min = 0;
    double n1Max = 1;
    double n2Min = 0;
    double n2Max = 1;

    // Finite bounds with a positive width and height.
    bool IsValid() const {
        return std::isfinite(n1Min) && std::isfinite(n1Max) && std::isfinite(n2Min) &&
               std::isfinite(n2Max) && n1Min < n1Max && n2Min < n2Max &&
               std::isfinite(n1Max - n1Min) && std::isfinite(n2Max - n2Min);
    }
    double Width() const { return n1Max - n1Min; }
    double Height() const { return n2Max - n2Min; }
    // The larger of width and height: the length that "relative" tolerances
    // of positions in the rectangle refer to.
    double Extent() const { return std::max(Width(), Height()); }

    bool operator==(const TPlaneRect&) const = default;
};

// The least rectangle holding both.
inline TPlaneRect Spanning(const TPlaneRect& a, const TPlaneRect& b) {
    return {std::min(a.n1Min, b.n1Min), std::max(a.n1Max, b.n1Max), std::min(a.n2Min, b.n2Min),
            std::max(a.n2Max, b.n2Max)};
}

// Where equilibria are looked for when no range is given: 0 to 10 × the
// larger of 1 and the two start densities, on both axes.
inline TPlaneRect DefaultBox(double N1, double N2) {
    const double top = 10 * std::fmax(1.0, std::fmax(N1, N2));
    return {0, top, 0, top};
}
