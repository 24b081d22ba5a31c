#include "PlaneFrame.h"

#include <algorithm>
#include <cmath>

namespace {

// A hair, as a share of the box's extent.
constexpr double kOffAxis = 1e-8;
constexpr int kBisections = 60;

// The zeros of f on [from, to] at its sign changes between `samples` cells.
template <class F>
void Zeros(F f, double from, double to, int samples, std::vector<double>& found) {
    double a = from, fa = f(a);
    for (int i = 1; i <= samples; ++i) {
        const double b = from + (to - from) * i / samples, fb = f(b);
        if (std::isfinite(fa) && std::isfinite(fb) && (fa < 0) != (fb < 0)) {
            double lo = a, hi = b, flo = fa;
            for (int k = 0; k < kBisections; ++k) {
                const double mid = (lo + hi) / 2, fm = f(mid);
                if (!std::isfinite(fm)) break;
                if ((fm < 0) == (flo < 0)) {
                    lo = mid;
                    flo = fm;
                } else {
                    hi = mid;
                }
            }
            found.push_back((lo + hi) / 2);
        }
        a = b;
        fa = fb;
    }
}

} // namespace

std::vector<TCurvePoint> NullclineIntercepts(TPlaneModel& model, const TPlaneRect& box,
                                             int samples) {
    std::vector<TCurvePoint> found;
    if (!box.IsValid()) return found;
    const double hair = kOffAxis * box.Extent();
    for (int which = 0; which < 2; ++which) {
        std::vector<double> zeros;
        if (box.n1Min <= 0 && 0 <= box.n1Max) {
            const double n1 = box.n1Max > 0 ? hair : -hair;
            Zeros([&](double n2) { return model.Rate(which, n1, n2); }, box.n2Min, box.n2Max,
                  samples, zeros);
            for (double n2 : zeros)
                found.push_back({0, n2});
        }
        zeros.clear();
        if (box.n2Min <= 0 && 0 <= box.n2Max) {
            const double n2 = box.n2Max > 0 ? hair : -hair;
            Zeros([&](double n1) { return model.Rate(which, n1, n2); }, box.n1Min, box.n1Max,
                  samples, zeros);
            for (double n1 : zeros)
                found.push_back({n1, 0});
        }
    }
    return found;
}

namespace {

std::pair<double, double> Span(double low, double high, double margin) {
    const double width = high - low;
    if (!(width > 1e-9 * std::max(std::fabs(low), std::fabs(high)))) {
        const double v = std::fabs(high);
        return {v > 0 ? std::min(0.0, 2 * low) : 0.0, v > 0 ? std::max(0.0, 2 * high) : 1.0};
    }
    double from = low - margin * width;
    if (low >= 0) from = std::max(0.0, from);
    return {from, high + margin * width};
}

} // namespace

TPlaneRect FrameAround(const std::vector<TCurvePoint>& points, double margin) {
    double n1Min = INFINITY, n1Max = -INFINITY, n2Min = INFINITY, n2Max = -INFINITY;
    for (const TCurvePoint& p : points) {
        n1Min = std::min(n1Min, p.n1);
        n1Max = std::max(n1Max, p.n1);
        n2Min = std::min(n2Min, p.n2);
        n2Max = std::max(n2Max, p.n2);
    }
    const auto [x0, x1] = Span(n1Min, n1Max, margin);
    const auto [y0, y1] = Span(n2Min, n2Max, margin);
    return {x0, x1, y0, y1};
}
