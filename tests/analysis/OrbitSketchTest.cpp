#include "OrbitSketch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct TCase {
    const char* name;
    std::string rate1, rate2;
    TCurvePoint start;
    TSketchOptions options;
    // Zero along the orbit through the start.
    std::function<double(double, double)> onOrbit;
    // Where each end is: the state at the time bound (exp of the linear
    // system's matrix), or none where the orbit leaves the bounds first.
    std::optional<TCurvePoint> first, last;
};

std::ostream& operator<<(std::ostream& os, const TCase& c) {
    return os << c.name;
}

TSketchOptions Options(double duration, TPlaneRect bounds, bool stiff = false) {
    TSketchOptions o;
    o.duration = duration;
    o.bounds = bounds;
    o.stiff = stiff;
    return o;
}

const double e = std::exp(1.0);

class OrbitSketch : public testing::TestWithParam<TCase> {};

TEST_P(OrbitSketch, FollowsTheLinearFlowBothWaysToTheTimeOrTheBounds) {
    const TCase& c = GetParam();
    std::vector<ParameterRow> rows;
    TCompiledModel model;
    model.Compile(rows, c.rate1, c.rate2);
    model.Store(7, 8);
    const std::vector<TCurvePoint> orbit = SketchOrbit(model, c.start.n1, c.start.n2, c.options);
    EXPECT_EQ(model.StoredN1(), 7);
    EXPECT_EQ(model.StoredN2(), 8);
    ASSERT_GT(orbit.size(), 20u);
    for (const TCurvePoint& p : orbit)
        ASSERT_NEAR(c.onOrbit(p.n1, p.n2), 0, 1e-5) << p.n1 << " " << p.n2;
    const TPlaneRect& b = c.options.bounds;
    const auto inside = [&](TCurvePoint p) {
        return p.n1 >= b.n1Min && p.n1 <= b.n1Max && p.n2 >= b.n2Min && p.n2 <= b.n2Max;
    };
    for (std::size_t i = 1; i + 1 < orbit.size(); ++i)
        ASSERT_TRUE(inside(orbit[i])) << i;
    for (const auto& [end, expected] :
         {std::pair{orbit.front(), c.first}, std::pair{orbit.back(), c.last}}) {
        if (expected) {
            EXPECT_NEAR(end.n1, expected->n1, 1e-5 * std::hypot(expected->n1, expected->n2));
            EXPECT_NEAR(end.n2, expected->n2, 1e-5 * std::hypot(expected->n1, expected->n2));
        } else {
            EXPECT_FALSE(inside(end)) << end.n1 << " " << end.n2;
        }
    }
}

const TPlaneRect kWide{-100, 100, -100, 100};

INSTANTIATE_TEST_SUITE_P(Cases, OrbitSketch,
                         testing::Values(
                             // A saddle: N1 = e^-t, N2 = e^(t/2) from (1, 1), so N1 N2² = 1.
                             TCase{"saddle to the time bound",
                                   "-N1",
                                   "N2/2",
                                   {1, 1},
                                   Options(2, kWide),
                                   [](double n1, double n2) { return n1 * n2 * n2 - 1; },
                                   TCurvePoint{e * e, 1 / e},
                                   TCurvePoint{1 / (e * e), e}},
                             TCase{"saddle by BDF",
                                   "-N1",
                                   "N2/2",
                                   {1, 1},
                                   Options(2, kWide, true),
                                   [](double n1, double n2) { return n1 * n2 * n2 - 1; },
                                   TCurvePoint{e * e, 1 / e},
                                   TCurvePoint{1 / (e * e), e}},
                             TCase{"saddle out of the bounds both ways",
                                   "-N1",
                                   "N2/2",
                                   {1, 1},
                                   Options(20, {0, 3, 0, 3}),
                                   [](double n1, double n2) { return n1 * n2 * n2 - 1; },
                                   std::nullopt,
                                   std::nullopt},
                             // A centre: a rotation by t from (1, 0).
                             TCase{"centre",
                                   "-N2",
                                   "N1",
                                   {1, 0},
                                   Options(1, kWide),
                                   [](double n1, double n2) { return std::hypot(n1, n2) - 1; },
                                   TCurvePoint{std::cos(1.0), -std::sin(1.0)},
                                   TCurvePoint{std::cos(1.0), std::sin(1.0)}}));

} // namespace
