#include "Regression.h"
#include "DataSeries.h"
#include "GraphTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

struct Fixture {
    TDataSeries s;
    Fixture(int type, const std::vector<std::pair<double, double>>& points, double fraction = 0.05,
            int steps = 100) {
        s.SetRegressionType(type);
        s.SetRegressionFraction(fraction);
        s.SetRegressionControlValue1(steps);
        for (auto [x, y] : points)
            s.AddPoint(x, y);
        CalcRegression(s);
    }
    std::vector<double> Fits() const {
        std::vector<double> v;
        for (const TDataPoint& p : s.Points())
            v.push_back(p.Fit);
        return v;
    }
};

TEST(Regression, LinearLeastSquares) {
    Fixture f(rt_Linear, {{0, 1}, {1, 3}, {2, 5}});
    EXPECT_DOUBLE_EQ(f.s.Intercept(), 1);
    EXPECT_DOUBLE_EQ(f.s.Slope(), 2);
    EXPECT_EQ(f.s.Curvature(), 0);
    EXPECT_EQ(f.Fits(), (std::vector<double>{1, 3, 5}));

    // Scattered points: b = Sxy/Sxx worked out by hand (x̄ 1.5, ȳ 2.5,
    // Sxy 6, Sxx 5), a = ȳ − b·x̄.
    Fixture g(rt_Linear, {{0, 1}, {1, 2}, {2, 2}, {3, 5}});
    EXPECT_DOUBLE_EQ(g.s.Slope(), 0.9 + 0.3);
    EXPECT_NEAR(g.s.Intercept(), 2.5 - 1.2 * 1.5, 1e-12);
}

TEST(Regression, LinearStaysExactFarFromTheOrigin) {
    Fixture f(rt_Linear, {{1e9, 1}, {1e9 + 1, 3}, {1e9 + 2, 5}});
    EXPECT_NEAR(f.s.Slope(), 2, 1e-9);
    EXPECT_NEAR(f.Fits()[2], 5, 1e-6);
}

TEST(Regression, PolynomialKindsNeedPointsAndSpread) {
    for (int type : {rt_Linear, rt_Robust, rt_Quadratic}) {
        Fixture one(type, {{1, 5}});
        EXPECT_EQ(one.s.Slope(), 0) << type;
        EXPECT_EQ(one.Fits(), (std::vector<double>{0})) << type;
    }
    TDataSeries s; // all x equal
    s.SetDuplicatesAllowed(true);
    s.SetRegressionType(rt_Linear);
    for (double y : {1, 2, 3})
        s.AddPoint(4, y);
    CalcRegression(s);
    EXPECT_EQ(s.Intercept(), 0);
    EXPECT_EQ(s.Slope(), 0);
}

TEST(Regression, RobustIgnoresAnOutlier) {
    // Slopes of the pairs: six of 2, then 24.75, 32.3, 47.5, 93: the median is
    // 2; intercepts y − 2x are 1, 1, 1, 1, 92: the median is 1.
    Fixture f(rt_Robust, {{0, 1}, {1, 3}, {2, 5}, {3, 7}, {4, 100}});
    EXPECT_DOUBLE_EQ(f.s.Slope(), 2);
    EXPECT_DOUBLE_EQ(f.s.Intercept(), 1);
    EXPECT_GT(f.s.SlopeSpread(), 20);
    EXPECT_NEAR(f.s.InterceptSpread(), std::sqrt((4 * 18.2 * 18.2 + 72.8 * 72.8) / 4), 1e-9);
    EXPECT_DOUBLE_EQ(f.Fits()[4], 9);

    Fixture three(rt_Robust, {{0, 0}, {1, 1}, {2, 10}}); // slopes 1, 5, 9
    EXPECT_DOUBLE_EQ(three.s.Slope(), 5);
}

TEST(Regression, RobustFitOfASingleQualifyingPairIsItsLine) {
    const struct {
        std::vector<std::pair<double, double>> points;
        double tolerance;
        double a, b;
    } cases[] = {
        {{{0, 1}, {1, 3}}, 0, 1, 2},
        {{{0, 5}, {2, 1}}, 0, 5, -2},
        // Two of the three pairs lie within the tolerance: one slope is left.
        {{{0, 1}, {0.05, 1.1}, {0.1, 1.2}}, 0.07, 1, 2},
    };
    for (const auto& c : cases) {
        TDataSeries s;
        s.SetDuplicatesAllowed(true); // points within the tolerance stay apart
        s.SetNumericalTolerance(c.tolerance);
        s.SetRegressionType(rt_Robust);
        for (auto [x, y] : c.points)
            s.AddPoint(x, y);
        CalcRegression(s);
        EXPECT_NEAR(s.Slope(), c.b, 1e-12) << c.points.size() << " points";
        EXPECT_NEAR(s.Intercept(), c.a, 1e-12) << c.points.size() << " points";
        EXPECT_EQ(s.SlopeSpread(), 0);
    }
}

TEST(Regression, RobustRefusesMorePairsThanItCanKeep) {
    TDataSeries s;
    s.SetPointLimit(0);
    s.SetRegressionType(rt_Robust);
    for (int i = 0; i < 5000; ++i)
        s.AddPoint(i, i);
    EXPECT_EQ(ErrorOf([&] { CalcRegression(s); }), "Too many points for a robust regression");
}

TEST(Regression, QuadraticRecoversAParabola) {
    auto parabola = [](double x) { return 1 + 2 * x + 3 * x * x; };
    Fixture f(rt_Quadratic,
              {{0, parabola(0)}, {1, parabola(1)}, {2, parabola(2)}, {3, parabola(3)}});
    EXPECT_NEAR(f.s.Intercept(), 1, 1e-9);
    EXPECT_NEAR(f.s.Slope(), 2, 1e-9);
    EXPECT_NEAR(f.s.Curvature(), 3, 1e-9);
    EXPECT_NEAR(f.Fits()[3], parabola(3), 1e-9);

    // Far from the origin the fitted values still follow the data.
    auto far = [](double x) { return (x - 1000) * (x - 1000); };
    Fixture g(rt_Quadratic,
              {{1000, far(1000)}, {1001, far(1001)}, {1002, far(1002)}, {1003, far(1003)}});
    EXPECT_NEAR(g.Fits()[3], 9, 1e-6);
    EXPECT_NEAR(g.s.Curvature(), 1, 1e-9);
}

TEST(Regression, QuadraticOnTwoAbscissaeFallsBackToTheLine) {
    TDataSeries s;
    s.SetDuplicatesAllowed(true);
    s.SetRegressionType(rt_Quadratic);
    s.AddPoint(0, 1);
    s.AddPoint(0, 3);
    s.AddPoint(1, 4);
    CalcRegression(s);
    EXPECT_EQ(s.Curvature(), 0);
    EXPECT_NEAR(s.Slope(), 2, 1e-12);
    EXPECT_NEAR(s.Intercept(), 2, 1e-12);
    for (const TDataPoint& p : s.Points())
        EXPECT_TRUE(std::isfinite(p.Fit));
}

TEST(Regression, SplinePassesThroughItsKnots) {
    Fixture f(rt_Spline, {{0, 3}, {1, -1}, {2, 4}, {3, 0}, {4, 2}}, 1e31, 4);
    const auto& c = f.s.CurvePoints();
    ASSERT_EQ(c.size(), 5u);
    const double ys[] = {3, -1, 4, 0, 2};
    for (int k = 0; k < 5; ++k) {
        EXPECT_DOUBLE_EQ(c[k].X, k);
        EXPECT_NEAR(c[k].Fit, ys[k], 1e-12);
    }
}

TEST(Regression, SplineOfALineIsThatLine) {
    // Natural ends, or ends clamped to the line's own slope.
    for (double fraction : {1e31, 2.0}) {
        Fixture f(rt_Spline, {{0, 1}, {1, 3}, {3, 7}, {4, 9}}, fraction);
        const auto& c = f.s.CurvePoints();
        ASSERT_EQ(c.size(), 101u);
        EXPECT_DOUBLE_EQ(c.back().X, 4);
        for (const TDataPoint& p : c)
            EXPECT_NEAR(p.Fit, 2 * p.X + 1, 1e-9);
    }
}

TEST(Regression, CurveKindsLeaveAnEmptyCurveWhenTheyCannotRun) {
    EXPECT_TRUE(Fixture(rt_Spline, {{0, 1}, {1, 2}}, 0.05, 0).s.CurvePoints().empty());
    EXPECT_TRUE(Fixture(rt_Spline, {{0, 1}, {1, 2}}, 0.05, -5).s.CurvePoints().empty());
    EXPECT_TRUE(Fixture(rt_LocalWeighted, {{0, 1}, {1, 2}}, 0.05, -1).s.CurvePoints().empty());
    EXPECT_TRUE(Fixture(rt_LocalWeighted, {{2, 1}}).s.CurvePoints().empty());
    TDataSeries d;
    d.SetDuplicatesAllowed(true);
    d.SetRegressionType(rt_Spline);
    d.AddPoint(0, 1);
    d.AddPoint(1, 2);
    CalcRegression(d);
    EXPECT_TRUE(d.CurvePoints().empty());
    // A stored step count in the millions is cut to what can be drawn.
    EXPECT_EQ(Fixture(rt_Spline, {{0, 1}, {1, 2}}, 0.05, 2000000000).s.CurvePoints().size(),
              static_cast<std::size_t>(kMaxRegressionSteps) + 1);
}

TEST(Regression, LocalWeightedFollowsALineExactly) {
    // A weighted least-squares line through points on a line is that line,
    // whatever the weights.
    Fixture f(rt_LocalWeighted, {{0, -1}, {1, 2}, {2, 5}, {5, 14}}, 0.05, 10);
    const auto& c = f.s.CurvePoints();
    ASSERT_EQ(c.size(), 11u);
    for (const TDataPoint& p : c)
        EXPECT_NEAR(p.Fit, 3 * p.X - 1, 1e-9);
}

TEST(Regression, ExponentialSmoothing) {
    Fixture f(rt_Exponential, {{0, 0}, {1, 2}, {2, 4}}, 0.5);
    EXPECT_EQ(f.Fits(), (std::vector<double>{0, 1, 2.5}));
}

TEST(Regression, RunningAverageOverTheWindow) {
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 25; ++i)
        points.emplace_back(i, i);
    Fixture f(rt_RunningAverage, points, 0.05); // a window of 20
    EXPECT_DOUBLE_EQ(f.Fits()[3], 1.5);
    EXPECT_DOUBLE_EQ(f.Fits()[19], 9.5);
    EXPECT_DOUBLE_EQ(f.Fits()[24], 14.5);
}

TEST(Regression, RunningAverageOfEveryWindowIsExactToRounding) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        std::vector<double> ys;
        double fraction; // the window is the whole part of its inverse
        std::vector<double> fits;
    } cases[] = {
        {{1e20, 1, 1, 1}, 0.5, {1e20, 5e19, 1, 1}},
        {{1, 1e20, -1e20, 1, 1}, 0.3, {1, 5e19, 1.0 / 3, 1.0 / 3, (-1e20 + 2) / 3}},
        // A value that is not a number or infinite spoils only its own windows.
        {{1, nan, 1, 1}, 0.5, {1, nan, nan, 1}},
        {{1, inf, 1, 1}, 0.5, {1, inf, inf, 1}},
        {{-inf, inf, 2, 4}, 0.5, {-inf, nan, inf, 3}},
        // Near the largest double the sum of a window does not fit, its mean does.
        {{1.5e308, 1.7e308, -1.7e308}, 0.5, {1.5e308, 1.5e308 / 2 + 1.7e308 / 2, 0}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<double, double>> points;
        for (std::size_t i = 0; i < c.ys.size(); ++i)
            points.emplace_back(static_cast<double>(i), c.ys[i]);
        Fixture f(rt_RunningAverage, points, c.fraction);
        const std::vector<double> fits = f.Fits();
        ASSERT_EQ(fits.size(), c.fits.size());
        for (std::size_t i = 0; i < fits.size(); ++i) {
            if (std::isnan(c.fits[i]))
                EXPECT_TRUE(std::isnan(fits[i])) << c.ys[0] << " window " << i;
            else
                EXPECT_EQ(fits[i], c.fits[i]) << c.ys[0] << " window " << i;
        }
    }
}

TEST(Regression, ErrorsAndTheStaleFlag) {
    TDataSeries s;
    s.AddPoint(0, 1);
    s.AddPoint(1, 2);
    EXPECT_EQ(ErrorOf([&] { CalcRegression(s); }), "internal error: regression");
    for (double fraction : {0.6, 0.0, -1.0}) {
        s.SetRegressionType(rt_RunningAverage);
        s.SetRegressionFraction(fraction);
        EXPECT_EQ(ErrorOf([&] { CalcRegression(s); }), "Invalid Running Average limit");
        // Not retried until the next change.
        EXPECT_FALSE(s.RegressionStale());
        EXPECT_EQ(ErrorOf([&] { CalcRegression(s); }), "");
    }
    s.SetRegressionType(9);
    EXPECT_EQ(ErrorOf([&] { CalcRegression(s); }), "Unknown regression type");
    s.SetRegressionType(rt_Linear);
    CalcRegression(s);
    EXPECT_DOUBLE_EQ(s.Slope(), 1);
    s.AddPoint(2, 5);
    EXPECT_TRUE(s.RegressionStale());
}

} // namespace
