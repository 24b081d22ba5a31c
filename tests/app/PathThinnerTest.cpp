#include "PathThinner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// A path of any length keeps a bounded number of points; a retraced cycle
// keeps about one turn; no kept line is longer than the path's own steps
// (no chord across what was left out), and the path's start and end stay.
TEST(PathThinner, KeepsOneTurnOfARetracedPathWithoutChords) {
    const double pi = std::acos(-1.0);
    const struct {
        const char* what;
        long long count;
        std::size_t most;   // kept points at most
        double cellsAcross; // how coarse the grid may have become
        std::function<std::pair<double, double>(long long)> point;
    } cases[] = {
        {"a circle run round 2000 times", 2'000'000, 20'000, 1,
         [=](long long i) {
             return std::pair{std::cos(2 * pi * i / 1000.0), std::sin(2 * pi * i / 1000.0)};
         }},
        {"a cycle drifting slowly outwards", 500'000, TPathThinner::kMaxPoints, 1,
         [=](long long i) {
             const double r = 1 + 1e-7 * i;
             return std::pair{r * std::cos(2 * pi * i / 997.0),
                              3 * r * std::sin(2 * pi * i / 997.0)};
         }},
        {"the same for long enough to coarsen the grid", 4'000'000, TPathThinner::kMaxPoints + 2,
         64,
         [=](long long i) {
             const double r = 1 + 1e-7 * i;
             return std::pair{r * std::cos(2 * pi * i / 997.0),
                              3 * r * std::sin(2 * pi * i / 997.0)};
         }},
        {"a spiral into a focus", 500'000, TPathThinner::kMaxPoints, 1,
         [=](long long i) {
             const double r = std::exp(-1e-5 * i);
             return std::pair{5 + r * std::cos(0.01 * i), 7 + r * std::sin(0.01 * i)};
         }},
        {"a few steps", 5, 5, 1,
         [](long long i) {
             return std::pair{double(i), double(i * i)};
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TPathThinner thinner;
        double longest = 0, extent[2] = {0, 0}, lo[2] = {HUGE_VAL, HUGE_VAL},
               hi[2] = {-HUGE_VAL, -HUGE_VAL};
        for (long long i = 0; i < c.count; ++i) {
            const auto [x, y] = c.point(i);
            thinner.Add(x, y);
            if (i > 0) {
                const auto [px, py] = c.point(i - 1);
                longest = std::max(longest, std::hypot(x - px, y - py));
            }
            lo[0] = std::min(lo[0], x), hi[0] = std::max(hi[0], x);
            lo[1] = std::min(lo[1], y), hi[1] = std::max(hi[1], y);
        }
        extent[0] = hi[0] - lo[0], extent[1] = hi[1] - lo[1];
        const auto pieces = thinner.Pieces();
        ASSERT_FALSE(pieces.empty());
        std::size_t kept = 0;
        double keptLongest = 0;
        for (const auto& piece : pieces) {
            kept += piece.size();
            for (std::size_t k = 1; k < piece.size(); ++k)
                keptLongest =
                    std::max(keptLongest, std::hypot(piece[k].first - piece[k - 1].first,
                                                     piece[k].second - piece[k - 1].second));
        }
        EXPECT_LE(kept, c.most);
        const double cell = 2 * std::hypot(extent[0], extent[1]) / TPathThinner::kCells;
        EXPECT_LE(keptLongest, longest + 2 * cell * c.cellsAcross);
        EXPECT_EQ(pieces.front().front(), c.point(0));
        // The end is drawn: kept, or on what was drawn already.
        const auto end = c.point(c.count - 1);
        double nearest = HUGE_VAL;
        for (const auto& piece : pieces)
            for (const auto& [x, y] : piece)
                nearest = std::min(nearest, std::hypot(x - end.first, y - end.second));
        EXPECT_LE(nearest, 2 * cell * c.cellsAcross);
    }
}

} // namespace
