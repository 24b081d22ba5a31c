#include "CurveDecimator.h"

#include <algorithm>

// Of the candidates, the ones holding an extreme of x or y, each once, in
// the order they came.
void TCurveDecimator::Keep(TBucket& bucket, const TPoint* points, int count) {
    int extremes[4] = {0, 0, 0, 0}; // least x, greatest x, least y, greatest y
    for (int i = 1; i < count; ++i) {
        if (points[i].x < points[extremes[0]].x) extremes[0] = i;
        if (points[i].x > points[extremes[1]].x) extremes[1] = i;
        if (points[i].y < points[extremes[2]].y) extremes[2] = i;
        if (points[i].y > points[extremes[3]].y) extremes[3] = i;
    }
    std::sort(std::begin(extremes), std::end(extremes));
    const int* end = std::unique(std::begin(extremes), std::end(extremes));
    TBucket kept;
    for (const int* e = extremes; e != end; ++e)
        kept.points[std::size_t(kept.count++)] = points[*e];
    bucket = kept;
}

void TCurveDecimator::Add(double x, double y) {
    const TPoint point{added_++, x, y};
    if (buckets_.empty() || point.index / width_ != buckets_.back().points[0].index / width_) {
        if (buckets_.size() == kMaxBuckets) Merge();
        if (buckets_.empty() || point.index / width_ != buckets_.back().points[0].index / width_) {
            buckets_.push_back({{point}, 1});
            return;
        }
    }
    TBucket& last = buckets_.back();
    TPoint candidates[5];
    std::copy_n(last.points.begin(), last.count, candidates);
    candidates[last.count] = point;
    Keep(last, candidates, last.count + 1);
}

// Two neighbouring buckets become one of twice the width.
void TCurveDecimator::Merge() {
    width_ *= 2;
    std::vector<TBucket> merged;
    merged.reserve(kMaxBuckets);
    for (const TBucket& b : buckets_) {
        if (!merged.empty() &&
            merged.back().points[0].index / width_ == b.points[0].index / width_) {
            TPoint candidates[8];
            TBucket& into = merged.back();
            std::copy_n(into.points.begin(), into.count, candidates);
            std::copy_n(b.points.begin(), b.count, candidates + into.count);
            Keep(into, candidates, into.count + b.count);
        } else {
            merged.push_back(b);
        }
    }
    buckets_ = std::move(merged);
}

std::vector<std::pair<double, double>> TCurveDecimator::Points() const {
    std::vector<std::pair<double, double>> points;
    points.reserve(Kept());
    for (const TBucket& b : buckets_)
        for (int i = 0; i < b.count; ++i)
            points.emplace_back(b.points[std::size_t(i)].x, b.points[std::size_t(i)].y);
    return points;
}

std::size_t TCurveDecimator::Kept() const {
    std::size_t n = 0;
    for (const TBucket& b : buckets_)
        n += std::size_t(b.count);
    return n;
}
