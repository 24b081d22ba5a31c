#include "Regression.h"

#include "SeriesStatistics.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>

namespace {

using Points = std::span<TDataPoint>;
using ConstPoints = std::span<const TDataPoint>;
using Curve = std::vector<TDataPoint>;

bool XHasSpread(ConstPoints points) {
    for (const TDataPoint& p : points)
        if (p.X != points.front().X) return true;
    return false;
}

void WritePolynomial(Points points, const TRegressionResult& r) {
    for (TDataPoint& p : points)
        p.Fit = r.Intercept + r.Slope * p.X + r.Curvature * p.X * p.X;
}

// The means of x and of y.
std::pair<double, double> Means(ConstPoints points) {
    double mx = 0, my = 0;
    for (const TDataPoint& p : points) {
        mx += p.X;
        my += p.Y;
    }
    const double n = static_cast<double>(points.size());
    return {mx / n, my / n};
}

// Least squares in deviations from the means: the textbook sums
// nΣxy − ΣxΣy lose every digit when x lies far from 0 (times as days).
TRegressionResult Linear(ConstPoints points) {
    TRegressionResult r;
    if (points.size() < 2 || !XHasSpread(points)) return r;
    const auto [mx, my] = Means(points);
    double sxx = 0, sxy = 0;
    for (const TDataPoint& p : points) {
        sxx += (p.X - mx) * (p.X - mx);
        sxy += (p.X - mx) * (p.Y - my);
    }
    r.Slope = sxy / sxx;
    r.Intercept = my - r.Slope * mx;
    return r;
}

// The median of the slopes of all pairs, then the median of the residual
// intercepts.
TRegressionResult Robust(ConstPoints points, double tolerance) {
    TRegressionResult r;
    if (points.size() < 2 || !XHasSpread(points)) return r;
    const auto n = static_cast<std::int64_t>(points.size());
    if (n * (n - 1) / 2 > kMaxRobustPairs)
        throw ERegressionError("Too many points for a robust regression");
    std::vector<double> slopes;
    for (std::size_t i = 0; i < points.size(); ++i)
        for (std::size_t j = i + 1; j < points.size(); ++j)
            if (std::fabs(points[i].X - points[j].X) > tolerance)
                slopes.push_back((points[i].Y - points[j].Y) / (points[i].X - points[j].X));
    if (slopes.empty()) return r;
    SortValues(slopes);
    const TStatistics slopeStats = StatisticsOfSorted(slopes, tolerance);
    // The median, also of a single slope (whose statistics are too few).
    r.Slope = LowerPositionValue(slopes, 1, 2);
    r.SlopeSpread = slopeStats.Spread;

    std::vector<double> intercepts;
    intercepts.reserve(points.size());
    for (const TDataPoint& p : points)
        intercepts.push_back(p.Y - r.Slope * p.X);
    SortValues(intercepts);
    const TStatistics interceptStats = StatisticsOfSorted(intercepts, tolerance);
    r.Intercept = interceptStats.Q50;
    r.InterceptSpread = interceptStats.Spread;
    return r;
}

// The least-squares parabola, solved in t = x − x̄ and carried back to x, which
// keeps the normal equations well-conditioned. With fewer than three distinct
// abscissae no parabola is determined; the least-squares line is the fit then.
TRegressionResult Quadratic(ConstPoints points) {
    TRegressionResult r;
    if (points.size() < 3 || !XHasSpread(points)) return r;
    const double n = static_cast<double>(points.size());
    const auto [mx, my] = Means(points);
    double m2 = 0; // mean of t²
    for (const TDataPoint& p : points)
        m2 += (p.X - mx) * (p.X - mx);
    m2 /= n;
    double sxx = 0, sxy = 0, sxx2 = 0, sx2x2 = 0, sx2y = 0;
    for (const TDataPoint& p : points) {
        const double t = p.X - mx;
        const double t2 = t * t - m2;
        sxx += t * t;
        sxy += t * (p.Y - my);
        sxx2 += t * t2;
        sx2x2 += t2 * t2;
        sx2y += t2 * (p.Y - my);
    }
    const double det = sxx * sx2x2 - sxx2 * sxx2;
    if (!(std::fabs(det) > 1e-12 * sxx * sx2x2)) return Linear(points);
    const double c = (sx2y * sxx - sxy * sxx2) / det;
    const double b = (sxy * sx2x2 - sx2y * sxx2) / det;
    const double a = my - c * m2; // at t = 0
    r.Curvature = c;
    r.Slope = b - 2 * c * mx;
    r.Intercept = a - b * mx + c * mx * mx;
    return r;
}

// The evaluation abscissae of the curve kinds: XMin + k·h up to XMax.
void ForEachStep(double xMin, double xMax, int steps, const std::function<void(double)>& f) {
    const double h = (xMax - xMin) / steps;
    for (int k = 0; k <= steps; ++k) {
        const double x = xMin + k * h;
        if (!(x <= xMax + 1e-5 * h)) break;
        f(x);
    }
}

int CurveSteps(const TRegressionSettings& s) {
    return std::min(s.Steps, kMaxRegressionSteps);
}

// A cubic spline through every point: the second derivatives from the
// tridiagonal sweep, natural ends for a fraction above 0.99e30, else both ends
// clamped to the first derivative `Fraction`.
void Spline(const TRegressionSettings& s, ConstPoints points, Curve& curve) {
    curve.clear();
    const std::size_t n = points.size();
    if (s.DuplicatesAllowed || s.Steps <= 0 || n < 2) return;
    if (!(points.front().X < points.back().X)) return;
    auto x = [&](std::size_t i) { return points[i].X; };
    auto y = [&](std::size_t i) { return points[i].Y; };
    const bool natural = s.Fraction > 0.99e30;
    const double yp = s.Fraction;
    std::vector<double> y2(n), u(n);
    if (natural) {
        y2[0] = u[0] = 0;
    } else {
        y2[0] = -0.5;
        u[0] = (3 / (x(1) - x(0))) * ((y(1) - y(0)) / (x(1) - x(0)) - yp);
    }
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double sig = (x(i) - x(i - 1)) / (x(i + 1) - x(i - 1));
        const double p = sig * y2[i - 1] + 2;
        y2[i] = (sig - 1) / p;
        const double d =
            (y(i + 1) - y(i)) / (x(i + 1) - x(i)) - (y(i) - y(i - 1)) / (x(i) - x(i - 1));
        u[i] = (6 * d / (x(i + 1) - x(i - 1)) - sig * u[i - 1]) / p;
    }
    double qn = 0, un = 0;
    if (!natural) {
        qn = 0.5;
        un = (3 / (x(n - 1) - x(n - 2))) * (yp - (y(n - 1) - y(n - 2)) / (x(n - 1) - x(n - 2)));
    }
    y2[n - 1] = (un - qn * u[n - 2]) / (qn * y2[n - 2] + 1);
    for (std::size_t k = n - 1; k-- > 0;)
        y2[k] = y2[k] * y2[k + 1] + u[k];

    std::size_t lo = 0; // the evaluation points ascend, so the interval only moves on
    ForEachStep(points.front().X, points.back().X, CurveSteps(s), [&](double at) {
        while (lo + 2 < n && at > x(lo + 1))
            ++lo;
        const std::size_t hi = lo + 1;
        const double h = x(hi) - x(lo);
        const double a = (x(hi) - at) / h;
        const double b = (at - x(lo)) / h;
        const double v = a * y(lo) + b * y(hi) +
                         ((a * a * a - a) * y2[lo] + (b * b * b - b) * y2[hi]) * (h * h) / 6;
        curve.push_back({at, v, v, static_cast<std::uint32_t>(curve.size() + 1)});
    });
}

// A locally weighted line at each evaluation point: abscissae mapped into
// [1, 2], weights e^t / (t³ + α) by the mapped distance t.
void LocalWeighted(const TRegressionSettings& s, ConstPoints points, Curve& curve) {
    curve.clear();
    if (s.Steps <= 0 || points.empty()) return;
    const double xMin = points.front().X, xMax = points.back().X;
    if (!(xMin < xMax)) return;
    const double span = xMax - xMin;
    std::vector<double> us;
    us.reserve(points.size());
    for (const TDataPoint& p : points)
        us.push_back((p.X - xMin + span) / span);
    ForEachStep(xMin, xMax, CurveSteps(s), [&](double at) {
        const double u0 = (at - xMin + span) / span;
        double w = 0, su = 0, sy = 0, suu = 0, suy = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double t = std::fabs(u0 - us[i]);
            const double wi = std::exp(t) / (t * t * t + s.Fraction);
            w += wi;
            su += wi * us[i];
            sy += wi * points[i].Y;
            suu += wi * us[i] * us[i];
            suy += wi * us[i] * points[i].Y;
        }
        const double f = (w * suy - su * sy) / (w * suu - su * su);
        const double v = u0 * f + sy / w - f * su / w;
        curve.push_back({at, v, v, static_cast<std::uint32_t>(curve.size() + 1)});
    });
}

void Exponential(const TRegressionSettings& s, Points points) {
    const double alpha = s.Fraction;
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i].Fit =
            i == 0 ? points[i].Y : alpha * points[i].Y + (1 - alpha) * points[i - 1].Fit;
}

// A sum of doubles kept exactly, as a list of non-overlapping parts in
// ascending magnitude (each addition splits off what does not fit the larger
// part). Taking a value out again is adding its negative, so a window sliding
// over the points keeps its exact sum however far its values lie apart.
// Values that are not finite are counted apart; the sum is then theirs.
class TExactSum {
public:
    void Add(double v) { Count(v, 1); }
    void Remove(double v) { Count(v, -1); }
    // The exact sum rounded once, to nearest.
    double Value() const {
        if (nans_ > 0 || (positive_ > 0 && negative_ > 0))
            return std::numeric_limits<double>::quiet_NaN();
        if (positive_ > 0) return std::numeric_limits<double>::infinity();
        if (negative_ > 0) return -std::numeric_limits<double>::infinity();
        if (parts_.empty()) return 0;
        std::size_t i = parts_.size() - 1;
        double hi = parts_[i], lo = 0;
        while (i > 0) {
            const double x = hi, y = parts_[--i];
            hi = x + y;
            lo = y - (hi - x);
            if (lo != 0) break;
        }
        // Half-way between two doubles, the parts below decide the direction.
        if (i > 0 && ((lo < 0 && parts_[i - 1] < 0) || (lo > 0 && parts_[i - 1] > 0))) {
            const double y = lo * 2, x = hi + y;
            if (y == x - hi) hi = x;
        }
        return hi;
    }

private:
    void Count(double v, int sign) {
        if (std::isnan(v)) {
            nans_ += sign;
        } else if (std::isinf(v)) {
            (v > 0 ? positive_ : negative_) += sign;
        } else {
            AddFinite(sign * v);
        }
    }
    void AddFinite(double v) {
        std::size_t kept = 0;
        for (double part : parts_) {
            if (std::fabs(v) < std::fabs(part)) std::swap(v, part);
            const double hi = v + part;
            const double lo = part - (hi - v);
            if (lo != 0) parts_[kept++] = lo;
            v = hi;
        }
        parts_.resize(kept);
        parts_.push_back(v);
    }

    std::vector<double> parts_;
    int nans_ = 0, positive_ = 0, negative_ = 0;
};

// Each Fit is the mean of the window ending at its point, from the exact sum
// of the window, so that a large value leaving the window takes nothing of
// the small ones with it. Near the largest double the values are summed
// halved as often as the window needs (exact, but for the tiniest values).
void RunningAverage(const TRegressionSettings& s, Points points) {
    // The window is the whole part of 1/fraction; a fraction of 0 or below has
    // no window at all.
    const double window = s.Fraction > 0 ? std::trunc(1 / s.Fraction) : 0;
    if (!(window > 1)) throw ERegressionError("Invalid Running Average limit");
    const std::size_t n = window >= static_cast<double>(points.size())
                              ? points.size()
                              : static_cast<std::size_t>(window);
    double largest = 0;
    for (const TDataPoint& p : points)
        if (std::isfinite(p.Y)) largest = std::max(largest, std::fabs(p.Y));
    const int down = largest * static_cast<double>(n) < std::numeric_limits<double>::max() / 2
                         ? 0
                         : std::ilogb(static_cast<double>(n)) + 2;
    TExactSum sum;
    for (std::size_t i = 0; i < points.size(); ++i) {
        sum.Add(std::ldexp(points[i].Y, -down));
        if (i >= n) sum.Remove(std::ldexp(points[i - n].Y, -down));
        points[i].Fit = std::ldexp(sum.Value() / static_cast<double>(std::min(i + 1, n)), down);
    }
}

} // namespace

TRegressionResult ComputeRegression(const TRegressionSettings& s, Points points, Curve& curve) {
    TRegressionResult r;
    switch (s.Type) {
    case rt_None:
        throw ERegressionError("internal error: regression");
    case rt_Linear:
        r = Linear(points);
        WritePolynomial(points, r);
        break;
    case rt_Robust:
        r = Robust(points, s.Tolerance);
        WritePolynomial(points, r);
        break;
    case rt_Quadratic:
        r = Quadratic(points);
        WritePolynomial(points, r);
        break;
    case rt_Spline:
        Spline(s, points, curve);
        break;
    case rt_LocalWeighted:
        LocalWeighted(s, points, curve);
        break;
    case rt_Exponential:
        Exponential(s, points);
        break;
    case rt_RunningAverage:
        RunningAverage(s, points);
        break;
    default:
        throw ERegressionError("Unknown regression type");
    }
    return r;
}

void CalcRegression(TDataSeries& series) {
    if (!series.RegressionStale()) return;
    series.SetRegressionStale(false);
    TRegressionSettings s;
    s.Type = series.RegressionType();
    s.Steps = series.RegressionControlValue1();
    s.Fraction = series.RegressionFraction();
    s.Tolerance = series.NumericalTolerance();
    s.DuplicatesAllowed = series.DuplicatesAllowed();
    series.SetRegressionResult(ComputeRegression(s, series.PointsForFit(), series.Curve()));
}
