#include "DataSeries.h"

#include <algorithm>
#include <cmath>

TDataSeries::TDataSeries() = default;

void TDataSeries::AddPoint(double x, double y) {
    bool replaced = false;
    if (points_.empty()) {
        points_.push_back({x, y, 0, ++lastId_});
    } else if (timeOrder_ || x >= points_.back().X) {
        // The common case: data arriving in x order costs one comparison. A
        // path goes back over its x values, so none of its points is replaced.
        TDataPoint& tail = points_.back();
        if (timeOrder_ || duplicatesAllowed_ || x - tolerance_ > tail.X) {
            points_.push_back({x, y, 0, ++lastId_});
        } else {
            tail.X = x;
            tail.Y = y;
            replaced = true;
        }
    } else {
        // The first point with x >= x - tol. The points are in x order, so a
        // binary search finds what a walk from the head would.
        const auto at =
            std::partition_point(points_.begin(), points_.end(),
                                 [&](const TDataPoint& p) { return x - tolerance_ > p.X; });
        if (at != points_.end() && !duplicatesAllowed_ && !(std::fabs(at->X - x) > tolerance_)) {
            at->X = x;
            at->Y = y;
            replaced = true;
        } else {
            points_.insert(at, {x, y, 0, ++lastId_});
        }
    }

    if (points_.size() == 1) {
        xMin_ = xMax_ = x;
        if (autoZero_) zeroValue_ = y;
        yMin_ = yMax_ = y - zeroValue_;
        extentsStale_ = false;
    } else if (autoZero_ && y < zeroValue_) {
        zeroValue_ = y;
        extentsStale_ = true;
    } else if (!extentsStale_) {
        // Only widened here; a replaced point may leave them wider than the data.
        xMin_ = std::min(xMin_, x);
        xMax_ = std::max(xMax_, x);
        yMin_ = std::min(yMin_, y - zeroValue_);
        yMax_ = std::max(yMax_, y - zeroValue_);
    }
    regressionStale_ = true;
    InvalidateStatistics();
    lastX_ = x;
    lastY_ = y;

    if (pointLimit_ != 0 && Count() > pointLimit_ && !TooManyPoints()) return;
    Changed(replaced ? ch_DataChanged : ch_PointAdded);
}

void TDataSeries::Clear() {
    // The array keeps its allocation: a cleared series is normally refilled
    // at once (a simulation reset), and growing it again costs more than the
    // memory it holds. Destroying the series frees it.
    points_.clear();
    curve_.clear();
    lastId_ = 0;
    extentsStale_ = true;
    InvalidateStatistics();
    Changed(ch_DataChanged);
}

void TDataSeries::RemoveDuplicates() {
    if (points_.empty() || timeOrder_) return;
    std::size_t kept = 0;
    for (std::size_t i = 1; i < points_.size(); ++i) {
        if (std::fabs(points_[i].X - points_[kept].X) <= tolerance_) continue;
        points_[++kept] = points_[i];
    }
    if (kept + 1 == points_.size()) return;
    points_.resize(kept + 1);
    extentsStale_ = true;
    regressionStale_ = true;
    InvalidateStatistics();
    Changed(ch_DataChanged);
}

void TDataSeries::RecalcExtents() {
    if (points_.empty()) return;
    xMin_ = xMax_ = points_.front().X;
    yMin_ = yMax_ = points_.front().Y;
    for (const TDataPoint& p : points_) {
        xMin_ = std::min(xMin_, p.X);
        xMax_ = std::max(xMax_, p.X);
        yMin_ = std::min(yMin_, p.Y);
        yMax_ = std::max(yMax_, p.Y);
    }
    if (autoZero_) zeroValue_ = yMin_;
    yMin_ -= zeroValue_;
    yMax_ -= zeroValue_;
    extentsStale_ = false;
}

void TDataSeries::SetZeroValue(double v) {
    if (!autoZero_ && v == zeroValue_) return;
    zeroValue_ = v;
    autoZero_ = false;
    extentsStale_ = true;
    Changed(ch_ZeroChanged);
}

void TDataSeries::SetAutoZero(bool v) {
    if (v == autoZero_) return;
    autoZero_ = v;
    extentsStale_ = true;
    Changed(ch_ZeroChanged);
}

void TDataSeries::SetDuplicatesAllowed(bool v) {
    duplicatesAllowed_ = v;
    if (!v) RemoveDuplicates();
}

void TDataSeries::SetRegressionType(int v) {
    if (regressionType_ == static_cast<std::uint8_t>(v)) return;
    regressionType_ = static_cast<std::uint8_t>(v);
    regressionStale_ = true;
    Changed(ch_RegressionChanged);
}

void TDataSeries::SetRegressionControlValue1(int v) {
    if (regressionControlValue1_ == v) return;
    regressionControlValue1_ = v;
    regressionStale_ = true;
    Changed(ch_RegressionChanged);
}

void TDataSeries::SetRegressionFraction(double v) {
    if (regressionFraction_ == v) return;
    regressionFraction_ = v;
    regressionStale_ = true;
    Changed(ch_RegressionChanged);
}
