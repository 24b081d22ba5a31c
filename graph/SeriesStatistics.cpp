#include "SeriesStatistics.h"

#include "DataSeries.h"

#include <algorithm>
#include <cmath>

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

    // Deviations from the mean rather than Σv² − (Σv)²/n: the same value, but
    // without the cancellation that turns near-equal values into a negative
    // variance.
    double d2 = 0, d3 = 0, d4 = 0;
    for (double v : sorted) {
        const double d = v - s.Mean;
        d2 += d * d;
        d3 += d * d * d;
        d4 += d * d * d * d;
    }
    const double nd = static_cast<double>(n);
    s.Spread = std::sqrt(d2 / (nd - 1));
    if (d2 == 0) {
        s.Message = kNoDevianceMessage;
    } else {
        s.Skew = d3 / (nd * s.Spread * s.Spread * s.Spread);
        s.Kurtosis = d4 / (nd * s.Spread * s.Spread * s.Spread * s.Spread) - 3;
    }

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

TStatistics TDataSeries::XStatistics() {
    if (!statsValid_[0]) {
        std::vector<double> xs;
        xs.reserve(points_.size());
        for (const TDataPoint& p : points_)
            xs.push_back(p.X);
        statistics_[0] = StatisticsOfSorted(xs, tolerance_);
        statsValid_[0] = true;
    }
    return statistics_[0];
}

TStatistics TDataSeries::YStatistics() {
    if (!statsValid_[1]) {
        std::vector<double> ys;
        ys.reserve(points_.size());
        for (const TDataPoint& p : points_)
            ys.push_back(p.Y);
        SortValues(ys);
        statistics_[1] = StatisticsOfSorted(ys, tolerance_);
        statsValid_[1] = true;
    }
    return statistics_[1];
}
