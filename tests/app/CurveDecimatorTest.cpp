#include "CurveDecimator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// A curve of any length is thinned to a bounded number of points that keeps
// its start, its end, its extremes and its order, and a short one is kept whole.
TEST(CurveDecimator, KeepsExtentsAndOrderInBoundedMemory) {
    const struct {
        const char* what;
        long long count;
        std::function<std::pair<double, double>(long long)> point;
    } cases[] = {
        {"short ramp, kept whole", 1000,
         [](long long i) {
             return std::pair{0.1 * i, 2.0 * i};
         }},
        {"fast sine in time", 3'000'000,
         [](long long i) {
             return std::pair{1e-3 * i, std::sin(0.37 * i) + 1e-7 * i};
         }},
        {"orbit in the plane", 2'000'000,
         [](long long i) {
             return std::pair{std::cos(0.01 * i), std::sin(0.013 * i)};
         }},
        {"constant", 500'000,
         [](long long) {
             return std::pair{5.0, 9.0};
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TCurveDecimator d;
        double lo[2] = {HUGE_VAL, HUGE_VAL}, hi[2] = {-HUGE_VAL, -HUGE_VAL};
        for (long long i = 0; i < c.count; ++i) {
            const auto [x, y] = c.point(i);
            d.Add(x, y);
            lo[0] = std::min(lo[0], x), hi[0] = std::max(hi[0], x);
            lo[1] = std::min(lo[1], y), hi[1] = std::max(hi[1], y);
        }
        const auto kept = d.Points();
        ASSERT_EQ(kept.size(), d.Kept());
        EXPECT_LE(kept.size(), 4 * TCurveDecimator::kMaxBuckets);
        if (c.count <= static_cast<long long>(TCurveDecimator::kMaxBuckets)) {
            ASSERT_EQ(kept.size(), std::size_t(c.count));
            for (long long i = 0; i < c.count; ++i)
                EXPECT_EQ(kept[std::size_t(i)], c.point(i));
        }
        EXPECT_EQ(kept.front(), c.point(0));
        double klo[2] = {HUGE_VAL, HUGE_VAL}, khi[2] = {-HUGE_VAL, -HUGE_VAL};
        for (const auto& [x, y] : kept) {
            klo[0] = std::min(klo[0], x), khi[0] = std::max(khi[0], x);
            klo[1] = std::min(klo[1], y), khi[1] = std::max(khi[1], y);
        }
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(klo[k], lo[k]);
            EXPECT_EQ(khi[k], hi[k]);
        }
    }
    // In time order: a curve against time keeps its times increasing, and
    // each stretch of it keeps its own extremes (the envelope of a sine).
    TCurveDecimator sine;
    for (long long i = 0; i < 1'000'000; ++i)
        sine.Add(1e-3 * i, std::sin(0.37 * i));
    const auto kept = sine.Points();
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
    for (std::size_t i = 0; i + 64 < kept.size(); i += 64) {
        const auto [lo, hi] =
            std::minmax_element(kept.begin() + long(i), kept.begin() + long(i) + 64,
                                [](auto& a, auto& b) { return a.second < b.second; });
        EXPECT_LT(lo->second, -0.99);
        EXPECT_GT(hi->second, 0.99);
    }
}

} // namespace
