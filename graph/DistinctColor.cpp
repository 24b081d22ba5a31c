#include "DistinctColor.h"

#include "QtColor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// Black last: the equilibrium markers are black.
constexpr TColor kCandidates[] = {RGB(0, 0, 255),   RGB(200, 0, 200), RGB(255, 140, 0),
                                  RGB(0, 150, 150), RGB(140, 70, 0),  RGB(100, 0, 160),
                                  clBlack};

std::array<double, 3> Lab(TColor color) {
    const QColor q = ToQColor(color);
    const auto linear = [](int v) {
        const double c = v / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double r = linear(q.red()), g = linear(q.green()), b = linear(q.blue());
    // Relative to the D65 white.
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    const auto f = [](double t) {
        constexpr double d = 6.0 / 29;
        return t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29;
    };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

} // namespace

double PerceivedDistance(TColor a, TColor b) {
    const auto p = Lab(a), q = Lab(b);
    return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
}

TColor DistinctColor(std::span<const TColor> taken) {
    TColor best = kCandidates[0];
    double bestNearest = -1;
    for (TColor choice : kCandidates) {
        double nearest = std::numeric_limits<double>::infinity();
        for (TColor other : taken)
            nearest = std::min(nearest, PerceivedDistance(choice, other));
        if (nearest >= kColorsApart) return choice;
        if (nearest > bestNearest) {
            bestNearest = nearest;
            best = choice;
        }
    }
    return best;
}
