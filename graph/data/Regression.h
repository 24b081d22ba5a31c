#pragma once

#include "DataSeries.h"
#include "Exception.h"

#include <cstdint>
#include <span>
#include <vector>

// Kinds of fitted or smoothed curve a series can draw over its points.
enum TRegressionType : std::uint8_t {
    rt_None,
    rt_Linear,
    rt_Robust,
    rt_Quadratic,
    rt_Spline,
    rt_LocalWeighted,
    rt_Exponential,
    rt_RunningAverage
};

class ERegressionError : public Exception {
    using Exception::Exception;
};

// The controls of a regression, as a series holds them.
struct TRegressionSettings {
    int Type = rt_None;
    int Steps = 100;        // RegressionControlValue1: evaluation steps of the curve kinds
    double Fraction = 0.05; // RegressionFraction
    double Tolerance = 0;   // NumericalTolerance
    bool DuplicatesAllowed = false;
};

// The most evaluation steps a curve is given. More cannot be seen on any
// surface, and a stored count of millions would cost memory and (for the
// locally weighted curve, steps × points) time without end.
inline constexpr int kMaxRegressionSteps = 10000;
// The most point pairs the robust kind keeps slopes for (64 MiB of slopes).
inline constexpr std::int64_t kMaxRobustPairs = std::int64_t{1} << 23;

// Computes the regression of points (in ascending x order) into their Fit
// values or into curve. The curve kinds rebuild curve from scratch; the others
// leave it alone. Throws ERegressionError for an unknown kind, for rt_None, for
// an invalid running-average window and for a robust fit of too many points.
TRegressionResult ComputeRegression(const TRegressionSettings& settings,
                                    std::span<TDataPoint> points, std::vector<TDataPoint>& curve);

// Recomputes the series' regression (its Fit values, its curve list and its
// regression result) by its RegressionType when RegressionStale is set. The
// flag is cleared first: a computation that fails is not retried until the
// next change.
void CalcRegression(TDataSeries& series);
