#include "SeriesStatistics.h"
#include "DataSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

TStatistics YStatsOf(const std::vector<double>& ys, double tolerance = 0) {
    TDataSeries s;
    s.SetNumericalTolerance(tolerance);
    double x = 0;
    for (double y : ys)
        s.AddPoint(x++, y);
    return YStatistics(s);
}

TEST(SeriesStatistics, FourValuesGiveMeanSpreadAndMiddlePositions) {
    // Given in scrambled order: the y values are sorted before use.
    const TStatistics s = YStatsOf({3, 1, 4, 2});
    EXPECT_TRUE(s.Valid);
    EXPECT_FALSE(s.Failed);
    EXPECT_EQ(s.Message, "");
    EXPECT_EQ(s.Count, 4);
    EXPECT_DOUBLE_EQ(s.Total, 10);
    EXPECT_DOUBLE_EQ(s.Mean, 2.5);
    EXPECT_DOUBLE_EQ(s.Spread, std::sqrt(5.0 / 3.0));
    // An even count cuts between the two middle values.
    EXPECT_DOUBLE_EQ(s.Q50, 2.5);
    EXPECT_DOUBLE_EQ(s.Q25, 1.5);
    EXPECT_DOUBLE_EQ(s.Q75, 3.5);
    EXPECT_DOUBLE_EQ(s.Skew, 0);
}

TEST(SeriesStatistics, OddCountHasTheMiddleValueAsQ50) {
    EXPECT_DOUBLE_EQ(YStatsOf({1, 2, 3}).Q50, 2);
    EXPECT_DOUBLE_EQ(YStatsOf({7, 1, 5, 3, 100}).Q50, 5);
}

TEST(SeriesStatistics, FifthsOfTenValues) {
    const TStatistics s = YStatsOf({10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
    EXPECT_DOUBLE_EQ(s.Q20, 2.5);
    EXPECT_DOUBLE_EQ(s.Q80, 8.5);
    EXPECT_DOUBLE_EQ(s.Q50, 5.5);
    // 10·¼ = 2.5 falls inside the third value from either end.
    EXPECT_DOUBLE_EQ(s.Q25, 3);
    EXPECT_DOUBLE_EQ(s.Q75, 8);
}

TEST(SeriesStatistics, SkewAndKurtosisOfAnAsymmetricSet) {
    // Worked out by hand: mean 4, deviations -3 -2 -1 6, Σd² 50, Σd³ 180, Σd⁴ 1394.
    const TStatistics s = YStatsOf({1, 2, 3, 10});
    EXPECT_NEAR(s.Spread, 4.08248290463863, 1e-12);
    EXPECT_NEAR(s.Skew, 0.6613622305514579, 1e-12);
    EXPECT_NEAR(s.Kurtosis, -1.7454, 1e-12);
}

TEST(SeriesStatistics, ModeIsTheLongestRunEarliestOnATie) {
    EXPECT_DOUBLE_EQ(YStatsOf({1, 2, 2, 3}).Mode, 2);
    EXPECT_DOUBLE_EQ(YStatsOf({3, 2, 1}).Mode, 1);
    // Within the tolerance of the run's first value; the mode is where the
    // run reaches its length.
    EXPECT_DOUBLE_EQ(YStatsOf({1.0, 1.05, 1.1, 3, 3}, 0.15).Mode, 1.1);
    EXPECT_DOUBLE_EQ(YStatsOf({1.0, 1.05, 1.2, 3, 3, 3}, 0.15).Mode, 3);
}

TEST(SeriesStatistics, TooFewValuesAndNoDevianceCarryTheirMessages) {
    const TStatistics none = YStatsOf({});
    EXPECT_TRUE(none.Valid);
    EXPECT_EQ(none.Count, 0);
    EXPECT_EQ(none.Message, "");

    const TStatistics one = YStatsOf({7});
    EXPECT_TRUE(one.Failed);
    EXPECT_EQ(one.Message, "No Statistics are available unless more than one point exists");
    EXPECT_EQ(one.Count, 1);
    EXPECT_DOUBLE_EQ(one.Mean, 7);

    const TStatistics flat = YStatsOf({5, 5, 5});
    EXPECT_FALSE(flat.Failed);
    EXPECT_EQ(flat.Message,
              "No skew/kurtosis are available because there is no deviance in the data");
    EXPECT_EQ(flat.Skew, 0);
    EXPECT_EQ(flat.Kurtosis, 0);
    EXPECT_EQ(flat.Spread, 0);
}

TEST(SeriesStatistics, SpreadSkewAndKurtosisFromScaledDeviations) {
    const char* const none = kNoDevianceMessage;
    const struct {
        std::vector<double> ys;
        const char* message;
        double spread, skew, kurtosis;
    } cases[] = {
        // Equal values whose sum is not exact: no spread at all.
        {{0.1, 0.1, 0.1}, none, 0, 0, 0},
        {std::vector<double>(7, 0.7), none, 0, 0, 0},
        {std::vector<double>(1000, 1.1), none, 0, 0, 0},
        // Values one unit of rounding apart have no spread that can be told.
        {{1, 1 + std::numeric_limits<double>::epsilon(), 1}, none, 0, 0, 0},
        // Squares and fourth powers of these deviations do not fit a double.
        {{1e200, 2e200, 3e200}, "", 1e200, 0, 2.0 / 3 - 3},
        {{-1e300, 1e300}, "", std::sqrt(2.0) * 1e300, 0, -2.75},
        // Nor does their sum.
        {{1.5e308, 1.6e308}, "", 1e307 / std::sqrt(2.0), 0, -2.75},
        // Tiny values keep their spread.
        {{1e-310, 2e-310, 3e-310}, "", 1e-310, 0, 2.0 / 3 - 3},
    };
    for (const auto& c : cases) {
        const TStatistics s = YStatsOf(c.ys);
        EXPECT_EQ(s.Message, c.message) << c.ys[0];
        EXPECT_FALSE(s.Failed) << c.ys[0];
        EXPECT_NEAR(s.Spread, c.spread, 1e-12 * c.spread) << c.ys[0];
        EXPECT_NEAR(s.Skew, c.skew, 1e-9) << c.ys[0];
        EXPECT_NEAR(s.Kurtosis, c.kurtosis, 1e-9) << c.ys[0];
        EXPECT_TRUE(std::isfinite(s.Mean)) << c.ys[0];
    }
    EXPECT_DOUBLE_EQ(YStatsOf({1.5e308, 1.6e308}).Mean, 1.55e308);
    EXPECT_DOUBLE_EQ(YStatsOf({0.1, 0.1, 0.1}).Mean, 0.1);
}

TEST(SeriesStatistics, NearlyEqualValuesNeverGiveANegativeVariance) {
    const TStatistics s = YStatsOf({0.1, 0.1, 0.1, 0.1 + 1e-17, 0.3 - 0.2});
    EXPECT_FALSE(std::isnan(s.Spread));
    EXPECT_GE(s.Spread, 0);
}

TEST(SeriesStatistics, ANotANumberValueSortsLastInsteadOfBreakingTheSort) {
    std::vector<double> v{3, std::numeric_limits<double>::quiet_NaN(), 1, 2};
    SortValues(v);
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[2], 3);
    EXPECT_TRUE(std::isnan(v[3]));
}

TEST(SeriesStatistics, CachedUntilThePointsChange) {
    TDataSeries s;
    s.AddPoint(1, 10);
    s.AddPoint(2, 20);
    EXPECT_FALSE(s.StatisticsValid(1));
    EXPECT_DOUBLE_EQ(YStatistics(s).Mean, 15);
    EXPECT_TRUE(s.StatisticsValid(1));
    EXPECT_DOUBLE_EQ(XStatistics(s).Mean, 1.5);

    s.AddPoint(3, 60);
    EXPECT_FALSE(s.StatisticsValid(0));
    EXPECT_DOUBLE_EQ(YStatistics(s).Mean, 30);
    EXPECT_DOUBLE_EQ(XStatistics(s).Total, 6);

    s.Clear();
    EXPECT_EQ(YStatistics(s).Count, 0);
}

} // namespace
