#pragma once

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

// Thins a long curve to what a picture of it needs, in bounded memory. The
// points are taken in buckets of consecutive points; of each bucket only the
// points with the least and greatest x and y are kept (at most four, in the
// curve's order), so every line the curve draws keeps its extent. When the
// buckets fill up, neighbours are merged two into one, so a curve of any
// length keeps at most 4 × kMaxBuckets points.
class TCurveDecimator {
public:
    static constexpr std::size_t kMaxBuckets = 16384;

    void Add(double x, double y);
    // The kept points in the curve's order.
    std::vector<std::pair<double, double>> Points() const;
    std::size_t Kept() const;

private:
    struct TPoint {
        long long index;
        double x, y;
    };
    struct TBucket {
        std::array<TPoint, 4> points;
        int count = 0;
    };
    static void Keep(TBucket& bucket, const TPoint* points, int count);
    void Merge();

    std::vector<TBucket> buckets_;
    long long added_ = 0;
    long long width_ = 1; // points per bucket
};
