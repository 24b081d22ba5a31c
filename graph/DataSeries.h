#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// One stored point. Points are kept in x order; a point replaced in place
// keeps its Id.
struct TDataPoint {
    double X;
    double Y;         // as passed in, before ZeroValue is subtracted
    double Fit;       // regression or smoothed value at X, 0 when created
    std::uint32_t Id; // creation number, 1 after the store was created or cleared
};

// Change codes passed to Changed.
enum TChangeCode : int {
    ch_PointAdded = 1,
    ch_DataChanged = 2,
    ch_ZeroChanged = 3,
    ch_HoldReleased = 4,
    ch_StyleChanged = 5,
    ch_RegressionChanged = 6
};

// Where a series' points come from when a data supplier loads them.
struct TDataSourceSettings {
    std::int32_t DataSource = 0;
    QString DatasourceInfo;
    bool DivideTextByWidth = false;
    std::int32_t FileHasHeaders = 1;
    QString TextSeparators = QStringLiteral("\t");
    QString TextMarkers = QStringLiteral("'\"");
    QString XDataColumn = QStringLiteral("(col 0)");
    QString YDataColumn = QStringLiteral("(col 1)");
    std::int32_t RowSamplingFrequency = 1;
    std::int32_t ColumnWidth = 10;
    std::int32_t RowChoiceMode = 0;
    double RowChoiceValue1 = 0;
    double RowChoiceValue2 = 0;
    std::int32_t XFormat = 0;
    std::int32_t YFormat = 0;
};

// The summary of one coordinate (x or y) of a series' points, as the graph's
// data side (graph/data, SeriesStatistics.h) computes it. A series keeps one
// for its x values and one for its y values until its points change.
struct TStatistics {
    bool Valid = false;
    std::string Message; // empty, or one of the two messages of SeriesStatistics.h
    bool Failed = false; // fewer than two values
    std::int32_t Count = 0;
    double Mean = 0;
    double Q50 = 0;
    double Mode = 0;
    double Total = 0;
    double Spread = 0; // sample standard deviation
    double Skew = 0;
    double Kurtosis = 0;
    double Q20 = 0, Q80 = 0;
    double Q25 = 0, Q75 = 0;
};

// What a regression (graph/data, Regression.h) leaves besides the Fit values
// and the curve list: the polynomial a + b·x + c·x² of the linear, robust and
// quadratic kinds, and the spreads of the robust kind's slope and intercept
// samples.
struct TRegressionResult {
    double Intercept = 0;
    double Slope = 0;
    double Curvature = 0;
    double SlopeSpread = 0;
    double InterceptSpread = 0;
};

// The point store of a series: points ordered by x in one contiguous array
// (appending is a push at the end; only an x below the last one costs a walk
// and a shift), or in the order they came (TimeOrder), running extents,
// duplicate handling and the point limit.
// Changed and TooManyPoints are where a series ties the store to its graph.
//
// The store knows nothing of how its statistics, its regression or its data
// source are worked: the graph's data side (graph/data, library graph_data)
// does that through the members below and keeps its results here, in the
// Fit values, the curve list, the statistics caches and the regression
// result, which every change of the points (or of the regression settings)
// marks stale.
class TDataSeries {
public:
    TDataSeries();
    virtual ~TDataSeries() = default;
    TDataSeries(const TDataSeries&) = delete;
    TDataSeries& operator=(const TDataSeries&) = delete;

    void AddPoint(double x, double y);
    void Clear();
    void RemoveDuplicates();
    void RecalcExtents();

    const std::vector<TDataPoint>& Points() const { return points_; }
    int Count() const { return static_cast<int>(points_.size()); }
    // Bytes held for the points (the array's whole allocation).
    std::size_t PointBytes() const { return points_.capacity() * sizeof(TDataPoint); }

    int PointLimit() const { return pointLimit_; }
    void SetPointLimit(int v) { pointLimit_ = v; } // 0 switches the check off
    double XMin() const { return xMin_; }
    double XMax() const { return xMax_; }
    double YMin() const { return yMin_; }
    double YMax() const { return yMax_; }
    double LastX() const { return lastX_; }
    double LastY() const { return lastY_; }
    bool ExtentsStale() const { return extentsStale_; }
    bool RegressionStale() const { return regressionStale_; }
    void SetRegressionStale(bool v) { regressionStale_ = v; }
    bool StatisticsValid(int cache) const { return statsValid_.at(cache); }
    void SetStatisticsValid(int cache, bool v) { statsValid_.at(cache) = v; }
    // The x (0) or y (1) statistics as last stored; storing makes them valid.
    const TStatistics& Statistics(int cache) const { return statistics_.at(cache); }
    void SetStatistics(int cache, const TStatistics& v) {
        statistics_.at(cache) = v;
        statsValid_.at(cache) = true;
    }
    std::vector<TDataPoint>& Curve() { return curve_; }
    // The points with their Fit values open to writing; their order, x and y
    // stay the store's to keep.
    std::span<TDataPoint> PointsForFit() { return points_; }
    void SetRegressionResult(const TRegressionResult& v) { regression_ = v; }

    double ZeroValue() const { return zeroValue_; }
    // Fixes the zero line: acts when AutoZero is on or the value differs, and
    // switches AutoZero off.
    void SetZeroValue(double v);
    bool AutoZero() const { return autoZero_; }
    void SetAutoZero(bool v);
    double NumericalTolerance() const { return tolerance_; }
    void SetNumericalTolerance(double v) { tolerance_ = v; }
    bool DuplicatesAllowed() const { return duplicatesAllowed_; }
    void SetDuplicatesAllowed(bool v);
    // Points kept in the order they were added, each one a new point, instead
    // of by x: for a curve that is a path (a trajectory in a phase plane),
    // whose x values come and go. Off by default; set it while the store is
    // empty. Not filed: a series read back is in x order.
    bool TimeOrder() const { return timeOrder_; }
    void SetTimeOrder(bool v) { timeOrder_ = v; }
    int RegressionType() const { return regressionType_; }
    void SetRegressionType(int v);
    int RegressionControlValue1() const { return regressionControlValue1_; }
    void SetRegressionControlValue1(int v);
    double RegressionFraction() const { return regressionFraction_; }
    void SetRegressionFraction(double v);
    QString SeriesName() const { return seriesName_; }
    void SetSeriesName(const QString& v) { seriesName_ = v; }

    // Where LoadFromSource (graph/data) takes the points from.
    TDataSourceSettings Source;

    // The regression's results, as CalcRegression (graph/data) left them.
    double Intercept() const { return regression_.Intercept; }
    double Slope() const { return regression_.Slope; }
    double Curvature() const { return regression_.Curvature; }
    double SlopeSpread() const { return regression_.SlopeSpread; }
    double InterceptSpread() const { return regression_.InterceptSpread; }
    const std::vector<TDataPoint>& CurvePoints() const { return curve_; }

protected:
    // The repaint decision; the plain store has nobody to tell.
    virtual void Changed(TChangeCode) {}
    // False when the store no longer exists afterwards (its owner destroyed it
    // from the handler); AddPoint then stops at once.
    virtual bool TooManyPoints() { return true; }
    // Stores a zero value as a stored setting, leaving AutoZero as it is.
    void RestoreZeroValue(double v) {
        zeroValue_ = v;
        extentsStale_ = true;
    }

private:
    void InvalidateStatistics() { statsValid_.fill(false); }

    std::int32_t pointLimit_ = 30000;
    std::uint32_t lastId_ = 0;
    std::vector<TDataPoint> points_;
    double xMin_ = 0, xMax_ = 0, yMin_ = 0, yMax_ = 0;
    double zeroValue_ = 0;
    double tolerance_ = 0;
    double lastX_ = 0, lastY_ = 0;
    bool extentsStale_ = false;
    bool autoZero_ = false;
    bool duplicatesAllowed_ = false;
    bool timeOrder_ = false;
    std::uint8_t regressionType_ = 0;
    std::int32_t regressionControlValue1_ = 100;
    double regressionFraction_ = 0.05;
    std::array<bool, 3> statsValid_{};
    std::vector<TDataPoint> curve_;
    std::array<TStatistics, 2> statistics_; // x and y
    TRegressionResult regression_;
    bool regressionStale_ = false;
    QString seriesName_ = QStringLiteral("UnNamed Series");
};
