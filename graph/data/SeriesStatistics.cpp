#include "SeriesStatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

void SortValues(std::vector<double>& values) {
    std::stable_sort(values.begin(), values.end(),
                     [](double a, double b) { return std::isnan(b) ? !std::isnan(a) : a < b; });
}

namespace {

// The value at 0-based position i counted from below or from above.
double At(const std::vector<double>& sorted, std::size_t i, bool upper) {
    return upper ? sorted[sorted.size() - 1 - i] : sorted[i];
}

// Cutting off num/den of n values: when n·num/den is a whole number p, the
// cut lies between the p-th and the next value; otherwise it falls inside the
// value numbered ⌈n·num/den⌉. Integer arithmetic keeps "whole" exact.
double PositionValue(const std::vector<double>& sorted, int num, int den, bool upper) {
    const std::int64_t n = static_cast<std::int64_t>(sorted.size());
    if (n == 0 || den <= 0) return 0;
    const std::int64_t scaled = n * num;
    const auto p = static_cast<std::size_t>(scaled / den);
    if (scaled % den != 0) return At(sorted, p, upper);
    if (p == 0) return At(sorted, 0, upper);
    if (static_cast<std::int64_t>(p) >= n) return At(sorted, p - 1, upper);
    return (At(sorted, p - 1, upper) + At(sorted, p, upper)) / 2;
}

// The largest magnitude among the values, or not a number when one of them
// is not finite.
double LargestMagnitude(const std::vector<double>& values) {
    double largest = 0;
    for (double v : values) {
        if (!std::isfinite(v)) return std::numeric_limits<double>::quiet_NaN();
        largest = std::max(largest, std::fabs(v));
    }
    return largest;
}

// The exponent that brings a magnitude below 1 (0 for 0).
int ExponentAbove(double magnitude) {
    return magnitude > 0 ? std::ilogb(magnitude) + 1 : 0;
}

// Mean, spread, skew and kurtosis. Every value is scaled by a power of two
// (exact) so that its magnitude lies below 1, and the deviations once more by
// the power of two of the largest: their squares and fourth powers neither
// overflow for values near 1E200 nor underflow for tiny ones. The mean gets
// one correcting pass, the mean of the deviations from the first estimate, so
// that equal values deviate by exactly nothing.
void Moments(const std::vector<double>& values, TStatistics& s) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double largest = LargestMagnitude(values);
    if (std::isnan(largest)) {
        s.Spread = s.Skew = s.Kurtosis = nan;
        return;
    }
    const double n = static_cast<double>(values.size());
    const int k = ExponentAbove(largest);
    double mean = 0;
    for (double v : values)
        mean += std::ldexp(v, -k);
    mean /= n;
    double drift = 0;
    for (double v : values)
        drift += std::ldexp(v, -k) - mean;
    mean += drift / n;
    s.Mean = std::ldexp(mean, k);

    double widest = 0;
    for (double v : values)
        widest = std::max(widest, std::fabs(std::ldexp(v, -k) - mean));
    const int e = ExponentAbove(widest);
    double d2 = 0, d3 = 0, d4 = 0;
    for (double v : values) {
        const double d = std::ldexp(std::ldexp(v, -k) - mean, -e);
        d2 += d * d;
        d3 += d * d * d;
        d4 += d * d * d * d;
    }
    const double spread = std::sqrt(d2 / (n - 1)); // in units of 2^(k + e)
    s.Spread = std::ldexp(spread, k + e);
    // A spread below the rounding unit of the largest value cannot be told
    // from none.
    if (!(s.Spread > std::numeric_limits<double>::epsilon() * largest)) {
        s.Spread = 0;
        s.Message = kNoDevianceMessage;
        return;
    }
    s.Skew = d3 / (n * spread * spread * spread);
    s.Kurtosis = d4 / (n * spread * spread * spread * spread) - 3;
}

} // namespace

double LowerPositionValue(const std::vector<double>& sorted, int num, int den) {
    return PositionValue(sorted, num, den, false);
}

double UpperPositionValue(const std::vector<double>& sorted, int num, int den) {
    return PositionValue(sorted, num, den, true);
}

TStatistics StatisticsOfSorted(const std::vector<double>& sorted, double tolerance) {
    TStatistics s;
    s.Valid = true;
    const std::size_t n = sorted.size();
    if (n == 0) return s;

    s.Count = static_cast<std::int32_t>(n);
    for (double v : sorted)
        s.Total += v;
    s.Mean = s.Total / static_cast<double>(n);
    if (n < 2) {
        s.Message = kNoStatisticsMessage;
        s.Failed = true;
        return s;
    }
    Moments(sorted, s);

    s.Q50 = LowerPositionValue(sorted, 1, 2);
    s.Q25 = LowerPositionValue(sorted, 1, 4);
    s.Q75 = UpperPositionValue(sorted, 1, 4);
    s.Q20 = LowerPositionValue(sorted, 1, 5);
    s.Q80 = UpperPositionValue(sorted, 1, 5);

    // Runs of values within the tolerance of the run's first value; the mode
    // is where the longest run reaches its length, the earliest on a tie.
    double runStart = sorted.front();
    std::size_t run = 0, longest = 0;
    for (double v : sorted) {
        if (!(v - runStart <= tolerance)) {
            runStart = v;
            run = 0;
        }
        if (++run > longest) {
            longest = run;
            s.Mode = v;
        }
    }
    return s;
}

TStatistics XStatistics(TDataSeries& series) {
    if (!series.StatisticsValid(0)) {
        std::vector<double> xs;
        xs.reserve(series.Points().size());
        for (const TDataPoint& p : series.Points())
            xs.push_back(p.X);
        series.SetStatistics(0, StatisticsOfSorted(xs, series.NumericalTolerance()));
    }
    return series.Statistics(0);
}

TStatistics YStatistics(TDataSeries& series) {
    if (!series.StatisticsValid(1)) {
        std::vector<double> ys;
        ys.reserve(series.Points().size());
        for (const TDataPoint& p : series.Points())
            ys.push_back(p.Y);
        SortValues(ys);
        series.SetStatistics(1, StatisticsOfSorted(ys, series.NumericalTolerance()));
    }
    return series.Statistics(1);
}
