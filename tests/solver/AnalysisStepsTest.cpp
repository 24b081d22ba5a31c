// What the analyses ask of the solver beyond a run: events located, time run
// backward, densities held non-negative.
#include "TestModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Logistic growth N' = rN(1 − N/K) from N0 reaches K/2 at ln((K − N0)/N0)/r.
constexpr double kR = 0.8, kK = 100, kN0 = 2;
const char* const kLogistic = "0.8*N1*(1-N1/100)";
const double kHalfTime = std::log((kK - kN0) / kN0) / kR;

struct TMethodCase {
    TSolverMethod method;
    double dt;
    double tolerance; // on the located time
};

class Located : public testing::TestWithParam<TMethodCase> {};

// The sign change of N1 − K/2 is located once, rising, at the closed-form
// time and on the level; a fixed-step method to the accuracy of its own
// curve, an adaptive one to its tolerances. Watching does not move the run.
TEST_P(Located, EventAtTheClosedFormTime) {
    const TMethodCase c = GetParam();
    TTestModel watched(kLogistic, "0", kN0, 0, c.dt, Method(c.method, 1E-10, 1E-12));
    TTestModel plain(kLogistic, "0", kN0, 0, c.dt, Method(c.method, 1E-10, 1E-12));
    watched.Solver.Watch([](double n1, double) { return n1 - kK / 2; });
    while (watched.t < 2 * kHalfTime) {
        watched.Step();
        plain.Step();
    }
    ASSERT_EQ(watched.Solver.Crossings().size(), 1u);
    const TCrossing& x = watched.Solver.Crossings()[0];
    EXPECT_NEAR(x.t, kHalfTime, c.tolerance);
    EXPECT_NEAR(x.n1, kK / 2, 1e-6 * kK);
    EXPECT_EQ(x.direction, 1);
    EXPECT_NEAR(watched.N1, plain.N1, 1e-9 * kK);

    watched.Solver.Watch(nullptr);
    EXPECT_TRUE(watched.Solver.Crossings().empty());
}

// A watched function that is 0 over a stretch (here while 40 <= N1 <= 50)
// is crossed once, where it leaves the negative side, and the run goes on
// through the stretch (the adaptive methods' library refuses a function 0 at
// and near a root it found).
TEST_P(Located, AFunctionZeroOverAStretchIsCrossedOnce) {
    const TMethodCase c = GetParam();
    TTestModel m(kLogistic, "0", kN0, 0, c.dt, Method(c.method, 1E-10, 1E-12));
    m.Solver.Watch(
        [](double n1, double) { return std::max(0.0, n1 - 50) - std::max(0.0, 40 - n1); });
    std::vector<TCrossing> all;
    while (m.t < 2 * kHalfTime) {
        m.Step();
        all.insert(all.end(), m.Solver.Crossings().begin(), m.Solver.Crossings().end());
        m.Solver.ClearCrossings();
    }
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].direction, 1);
    EXPECT_GE(all[0].n1, 40 - 1e-6);
    EXPECT_LE(all[0].n1, 50);
}

// Euler's points of the rotation N1' = -N2, N2' = N1 from (1, 0) lie on the
// spiral (1 + ih)^s, s counting steps; its crossing of N1 = 0 (rising) is at
// s = (3π/2) / atan h, N2 = -(1 + h²)^(s/2). An event between two points is
// located on that curve, not on the chord, which falls short of it by an
// eighth of the step's turn squared (1E-3 here); on the cubic through the
// points either side, or, right after a restart elsewhere, on the parabola
// through it and the next.
TEST(EulerEvents, AreLocatedOnTheCurveThroughThePointsNotTheChord) {
    constexpr double h = 0.1;
    const double s = 1.5 * M_PI / std::atan(h);
    const struct {
        int restartAt;
        double tolerance;
    } cases[] = {{-1, 1e-5}, {int(s), 1e-4}};
    for (const auto [restartAt, tolerance] : cases) {
        SCOPED_TRACE(restartAt);
        TTestModel m("-N2", "N1", 1, 0, h);
        m.Solver.Watch([](double n1, double) { return n1; });
        std::vector<TCrossing> rising;
        for (int k = 0; k < int(s) + 2; ++k) {
            if (k == restartAt) { // the same point, reached another way
                const double n1 = m.N1, n2 = m.N2, t = m.t;
                m.N1 = 5;
                m.Step();
                m.t = t;
                m.N1 = n1;
                m.N2 = n2;
                m.Model.Store(n1, n2);
                m.Solver.ClearCrossings();
            }
            m.Step();
            for (const TCrossing& x : m.Solver.Crossings())
                if (x.direction > 0) rising.push_back(x);
            m.Solver.ClearCrossings();
        }
        ASSERT_EQ(rising.size(), 1u);
        EXPECT_NEAR(rising[0].t, s * h, tolerance);
        EXPECT_NEAR(rising[0].n2, -std::pow(1 + h * h, s / 2), tolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, Located,
                         testing::Values(TMethodCase{sm_Euler, 1e-4, 2e-3},
                                         TMethodCase{sm_RK4, 0.05, 1e-6},
                                         TMethodCase{sm_RK45, 0.5, 1e-7},
                                         TMethodCase{sm_BDF, 0.5, 1e-6}),
                         [](const auto& info) { return MethodName(info.param.method); });

// Forward over a cycle of the predator-prey model and back again returns to
// the start, time exactly (it is counted), the densities to the method's
// accuracy.
TEST_P(Located, BackwardStepsReturnToTheStart) {
    const TMethodCase c = GetParam();
    TTestModel m("0.5*N1-0.02*N1*N2", "-0.5*N2+0.01*N1*N2", 40, 9, c.dt,
                 Method(c.method, 1E-10, 1E-12));
    const int steps = int(std::lround(10 / c.dt));
    for (int k = 0; k < steps; ++k)
        m.Step();
    EXPECT_GT(std::fabs(m.N1 - 40), 1); // it went somewhere
    for (int k = 0; k < steps; ++k)
        m.Solver.StepBackward(m.t, m.dt, m.N1, m.N2);
    EXPECT_EQ(m.t, 0);
    const double tolerance = c.method == sm_Euler ? 0.5 : 1e-5;
    EXPECT_NEAR(m.N1, 40, tolerance);
    EXPECT_NEAR(m.N2, 9, tolerance);
}

class Constrained : public testing::TestWithParam<TSolverMethod> {};

// A population eaten at a rate that stays near its maximum until the prey
// is almost gone collapses to 0 in a corner that an adaptive step overshoots
// with loose tolerances; held non-negative, no output falls below 0.
TEST_P(Constrained, ACollapsingDensityStaysNonNegative) {
    const auto lowest = [](bool nonNegative) {
        TSolverSettings s = Method(GetParam(), 1E-2, 1E-2);
        s.NonNegative = nonNegative;
        TTestModel m("-10*N1/(N1+0.0001)", "-N2", 5, 1, 1, s);
        double low = m.N1;
        // Past the collapse the model is stiff: two steps see it happen.
        for (int k = 0; k < 2 && low >= 0; ++k) {
            m.Step();
            low = std::min({low, m.N1, m.N2});
        }
        return low;
    };
    EXPECT_LT(lowest(false), 0); // the corner is overshot without the constraint
    EXPECT_GE(lowest(true), 0);
}

INSTANTIATE_TEST_SUITE_P(Methods, Constrained, testing::Values(sm_RK45, sm_BDF),
                         [](const auto& info) { return MethodName(info.param); });

} // namespace
