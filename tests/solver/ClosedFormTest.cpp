#include "TestModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace {

// A model with its exact solution from the start state (1, 1) at t = 0.
struct TClosedForm {
    const char* name;
    const char* rate1;
    const char* rate2;
    std::function<double(double)> n1;
    std::function<double(double)> n2;
};

const TClosedForm kDecay{"decay", "-0.5*N1", "0.2*N2", [](double t) { return std::exp(-0.5 * t); },
                         [](double t) { return std::exp(0.2 * t); }};
// Logistic growth to K = 10 (rate 1) and to K = 4 (rate 0.7).
const TClosedForm kLogistic{"logistic", "N1*(1-N1/10)", "0.7*N2*(1-N2/4)",
                            [](double t) { return 10 / (1 + 9 * std::exp(-t)); },
                            [](double t) { return 4 / (1 + 3 * std::exp(-0.7 * t)); }};
// One fast and one slow mode: N1 = (1 - 1/999) e^-1000t + e^-t / 999.
const TClosedForm kStiff{
    "stiff", "-1000*N1+N2", "-N2",
    [](double t) { return (1 - 1.0 / 999) * std::exp(-1000 * t) + std::exp(-t) / 999; },
    [](double t) { return std::exp(-t); }};

// The largest error over the output steps up to t = 5, relative to the exact
// value (absolute below 1E-3, where a density has all but vanished).
double RunError(const TClosedForm& form, double dt, const TSolverSettings& settings,
                long long* evaluations = nullptr) {
    TTestModel m(form.rate1, form.rate2, 1, 1, dt, settings);
    const long steps = std::lround(5 / dt);
    double worst = 0;
    for (long i = 1; i <= steps; ++i) {
        m.Step();
        const double e1 = form.n1(m.t), e2 = form.n2(m.t);
        worst = std::max({worst, std::fabs(m.N1 - e1) / std::max(std::fabs(e1), 1E-3),
                          std::fabs(m.N2 - e2) / std::max(std::fabs(e2), 1E-3)});
    }
    EXPECT_NEAR(m.t, 5, 1E-9);
    if (evaluations) *evaluations = m.Solver.Evaluations();
    return worst;
}

// The fixed-step methods: the error at a step size, and how it shrinks when
// the step is halved (2 for first order, 16 for fourth).
struct TFixedCase {
    TSolverMethod method;
    const TClosedForm* form;
    double dt;
    double bound;
    double order;
};

class FixedStep : public testing::TestWithParam<TFixedCase> {};

TEST_P(FixedStep, ConvergesToTheClosedFormAtItsOrder) {
    const TFixedCase& c = GetParam();
    long long evaluations = 0;
    const double coarse = RunError(*c.form, c.dt, Method(c.method), &evaluations);
    const double fine = RunError(*c.form, c.dt / 2, Method(c.method));
    EXPECT_LT(coarse, c.bound);
    const double ratio = coarse / fine;
    EXPECT_GT(ratio, 0.8 * std::pow(2, c.order)) << coarse << " " << fine;
    EXPECT_LT(ratio, 1.25 * std::pow(2, c.order)) << coarse << " " << fine;
    const long steps = std::lround(5 / c.dt);
    EXPECT_EQ(evaluations, (c.method == sm_RK4 ? 4 : 1) * steps);
}

INSTANTIATE_TEST_SUITE_P(Methods, FixedStep,
                         testing::Values(TFixedCase{sm_Euler, &kDecay, 0.01, 1E-2, 1},
                                         TFixedCase{sm_Euler, &kLogistic, 0.01, 5E-3, 1},
                                         TFixedCase{sm_Euler, &kStiff, 1E-4, 0.3, 1},
                                         TFixedCase{sm_RK4, &kDecay, 0.1, 2E-7, 4},
                                         TFixedCase{sm_RK4, &kLogistic, 0.1, 5E-7, 4},
                                         TFixedCase{sm_RK4, &kStiff, 2.5E-4, 1E-3, 4}),
                         [](const auto& info) {
                             return MethodName(info.param.method) + "_" + info.param.form->name;
                         });

// The adaptive methods control the error of each internal step; over the
// whole run the error stays within a multiple of the relative tolerance (a
// larger one for BDF, which starts at order one), and it shrinks with the
// tolerance.
struct TAdaptiveCase {
    TSolverMethod method;
    const TClosedForm* form;
    double dt;
    double factor;
};

class Adaptive : public testing::TestWithParam<TAdaptiveCase> {};

TEST_P(Adaptive, KeepsToItsTolerance) {
    const TAdaptiveCase& c = GetParam();
    const double loose = RunError(*c.form, c.dt, Method(c.method, 1E-5, 1E-9));
    const double tight = RunError(*c.form, c.dt, Method(c.method, 1E-8, 1E-12));
    EXPECT_LT(loose, c.factor * 1E-5);
    EXPECT_LT(tight, c.factor * 1E-8);
    EXPECT_LT(tight, loose / 50);
}

INSTANTIATE_TEST_SUITE_P(Methods, Adaptive,
                         testing::Values(TAdaptiveCase{sm_RK45, &kDecay, 0.1, 10},
                                         TAdaptiveCase{sm_RK45, &kLogistic, 0.1, 10},
                                         TAdaptiveCase{sm_RK45, &kStiff, 0.1, 10},
                                         TAdaptiveCase{sm_BDF, &kDecay, 0.1, 200},
                                         TAdaptiveCase{sm_BDF, &kLogistic, 0.1, 200},
                                         TAdaptiveCase{sm_BDF, &kStiff, 0.1, 200}),
                         [](const auto& info) {
                             return MethodName(info.param.method) + "_" + info.param.form->name;
                         });

TEST(Adaptive, StiffMethodNeedsFarFewerEvaluationsOnTheStiffModel) {
    long long explicitWork = 0, stiffWork = 0;
    RunError(kStiff, 0.1, Method(sm_RK45), &explicitWork);
    RunError(kStiff, 0.1, Method(sm_BDF), &stiffWork);
    EXPECT_LT(stiffWork * 5, explicitWork) << stiffWork << " vs " << explicitWork;
}

// The predator-prey model of the examples.
const char* const kPrey = "0.5*N1-0.02*N1*N2";
const char* const kPredator = "-0.5*N2+0.01*N1*N2";

TEST(RK4, MatchesAnIndependentRK4ToRounding) {
    TTestModel m(kPrey, kPredator, 40, 9, 0.05, Method(sm_RK4));
    const auto f = [](const double y[2], double k[2]) {
        k[0] = 0.5 * y[0] - 0.02 * y[0] * y[1];
        k[1] = -0.5 * y[1] + 0.01 * y[0] * y[1];
    };
    double y[2] = {40, 9};
    const double h = 0.05;
    for (int step = 0; step < 2000; ++step) {
        double k[4][2], s[2];
        f(y, k[0]);
        for (int i = 0; i < 2; ++i)
            s[i] = y[i] + h / 2 * k[0][i];
        f(s, k[1]);
        for (int i = 0; i < 2; ++i)
            s[i] = y[i] + h / 2 * k[1][i];
        f(s, k[2]);
        for (int i = 0; i < 2; ++i)
            s[i] = y[i] + h * k[2][i];
        f(s, k[3]);
        for (int i = 0; i < 2; ++i)
            y[i] += h * (k[0][i] + 2 * k[1][i] + 2 * k[2][i] + k[3][i]) / 6;
        m.Step();
    }
    EXPECT_NEAR(m.t, 100, 1E-9);
    EXPECT_NEAR(m.N1, y[0], 1E-11 * y[0]);
    EXPECT_NEAR(m.N2, y[1], 1E-11 * y[1]);
}

TEST(Euler, StepIsTheForwardEulerUpdateBitForBit) {
    // The reference takes both rates at the old state through its own parsers.
    TTestModel m(kPrey, kPredator, 40, 9, 0.01);
    TTestModel ref(kPrey, kPredator, 40, 9, 0.01);
    double t = 0, n1 = 40, n2 = 9;
    for (int step = 0; step < 5000; ++step) {
        t = (step + 1) * 0.01; // counted, not summed
        const double r1 = ref.P1.Value();
        const double r2 = ref.P2.Value();
        n1 = n1 + r1 * 0.01;
        n2 = n2 + r2 * 0.01;
        ref.P1.DefineVariable("N1", n1);
        ref.P2.DefineVariable("N1", n1);
        ref.P1.DefineVariable("N2", n2);
        ref.P2.DefineVariable("N2", n2);
        m.Step();
        ASSERT_EQ(m.t, t);
        ASSERT_EQ(m.N1, n1) << step;
        ASSERT_EQ(m.N2, n2) << step;
    }
    EXPECT_EQ(m.Solver.Evaluations(), 5000);
}

TEST(Euler, ReportsAStepThatChangesADensityByMoreThanHalf) {
    TTestModel small(kPrey, kPredator, 40, 9, 0.01);
    for (int i = 0; i < 100; ++i)
        small.Step();
    EXPECT_FALSE(small.Solver.EulerStepTooLarge());

    TTestModel large("-0.6*N1", "0", 1, 1, 1); // N1 loses 60 % in one step
    large.Step();
    EXPECT_TRUE(large.Solver.EulerStepTooLarge());
    large.Solver.Attach(large.Model, Method(sm_Euler));
    EXPECT_FALSE(large.Solver.EulerStepTooLarge()); // forgotten on the next attach
}

// Every method: steps that cannot move time on, the time kept, and from a
// state the user changed.
class EveryMethod : public testing::TestWithParam<TSolverMethod> {};

TEST_P(EveryMethod, AStepThatDoesNotMoveTimeOnIsRefusedAndChangesNothing) {
    const struct {
        double t, dt;
        const char* message;
    } cases[] = {
        {0, 0, "'0' is not a valid time step: it must be greater than 0 and at most 1E300"},
        {0, -0.1, "'-0.1' is not a valid time step: it must be greater than 0 and at most 1E300"},
        {0, NAN, "'NAN' is not a valid time step: it must be greater than 0 and at most 1E300"},
        {0, 1E301, "'1E301' is not a valid time step: it must be greater than 0 and at most 1E300"},
        {25, 1E-200, "The time step 1E-200 is too small for t = 25: t + dt equals t"},
        {1E17, 1, "The time step 1 is too small for t = 1E17: t + dt equals t"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TTestModel m("-0.5*N1", "N2", 3, 2, c.dt, Method(GetParam()));
        m.t = c.t;
        try {
            m.Step();
            ADD_FAILURE() << "no error";
        } catch (const ESolverError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(m.t, c.t);
        EXPECT_EQ(m.N1, 3);
        EXPECT_EQ(m.N2, 2);
    }
}

TEST_P(EveryMethod, TimeIsCountedFromTheLastChangeNotSummed) {
    // Summed, 1000 steps of 0.1 end at 99.9999999999986; counted, the k-th
    // step after a change of t or dt ends at that time + k dt, rounded once.
    TTestModel m("0", "0", 1, 1, 0.1, Method(GetParam()));
    for (int k = 1; k <= 1000; ++k) {
        m.Step();
        ASSERT_EQ(m.t, k * 0.1) << k;
    }
    m.dt = 0.3;
    for (int k = 1; k <= 10; ++k)
        m.Step();
    EXPECT_EQ(m.t, 100 + 10 * 0.3);
    m.t = 7; // the user moved the time (a Reset does)
    m.Step();
    EXPECT_EQ(m.t, 7.3);
}

TEST(Adaptive, ATinyStepIsTakenOrRefusedNeverGarbage) {
    // From t = 0 even 1E-200 moves time on; the adaptive methods take steps
    // down to the square root of the least normal number and refuse smaller
    // ones, where their interpolant would give a state far from the start.
    for (TSolverMethod method : {sm_RK45, sm_BDF}) {
        SCOPED_TRACE(MethodName(method));
        TTestModel m("-0.5*N1", "N2", 25, 2, 1E-150, Method(method));
        m.Step();
        EXPECT_EQ(m.t, 1E-150);
        EXPECT_DOUBLE_EQ(m.N1, 25);
        EXPECT_DOUBLE_EQ(m.N2, 2);
        TTestModel tiny("-0.5*N1", "N2", 25, 2, 1E-200, Method(method));
        EXPECT_THROW(tiny.Step(), ESolverError);
        EXPECT_EQ(tiny.t, 0);
        EXPECT_EQ(tiny.N1, 25);
    }
}

TEST_P(EveryMethod, StartsAgainFromAStateTheUserChanged) {
    // Decay at rate 0.5 from 1; after two steps the user sets N1 := 8, the
    // time back to 0 (a Reset) and later the step to 0.05.
    TTestModel m("-0.5*N1", "0", 1, 1, 0.1, Method(GetParam(), 1E-9, 1E-12));
    m.Step();
    m.Step();
    m.N1 = 8;
    m.t = 0;
    for (int i = 0; i < 10; ++i)
        m.Step();
    m.dt = 0.05;
    for (int i = 0; i < 20; ++i)
        m.Step();
    const double tol = GetParam() == sm_Euler ? 5E-2 : 1E-6;
    EXPECT_NEAR(m.t, 2, 1E-12);
    EXPECT_NEAR(m.N1, 8 * std::exp(-0.5 * 2), tol * 8);
    EXPECT_EQ(m.P1.VariableValue("N1"), m.N1); // the cells hold the state reached
    EXPECT_EQ(m.P2.VariableValue("N1"), m.N1);
}

INSTANTIATE_TEST_SUITE_P(Methods, EveryMethod, testing::Values(sm_Euler, sm_RK4, sm_RK45, sm_BDF),
                         [](const auto& info) { return MethodName(info.param); });

// N1' = N1 from 1, steps of 0.3 toward a stop at 1: the adaptive methods
// end a step at 1 exactly, with e there, and go on to the output times they
// had (1.2, 1.5); the fixed-step ones keep their steps (0.9, 1.2).
TEST(StepUntil, EndsAtTheStopWhereTheMethodCanAndKeepsTheOutputTimes) {
    const struct {
        TSolverMethod method;
        double times[3];
    } cases[] = {{sm_Euler, {0.9, 1.2, 1.5}},
                 {sm_RK4, {0.9, 1.2, 1.5}},
                 {sm_RK45, {0.9, 1, 1.2}},
                 {sm_BDF, {0.9, 1, 1.2}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(MethodName(c.method));
        TTestModel m("N1", "0", 1, 1, 0.3, Method(c.method));
        m.Step();
        m.Step();
        for (double t : c.times) {
            m.Solver.StepUntil(m.t, m.dt, 1, m.N1, m.N2);
            EXPECT_DOUBLE_EQ(m.t, t);
        }
        if (c.method >= sm_RK45) {
            m.Solver.StepUntil(m.t, m.dt, 1, m.N1, m.N2); // past the stop: plain steps
            EXPECT_DOUBLE_EQ(m.t, 1.5);
            EXPECT_NEAR(m.N1, std::exp(1.5), 1E-4 * std::exp(1.5));
        }
    }
    // A run continued from an exact stop is attached again (as the window's
    // Continue does) and still steps onto its output times: 1, then 1.2.
    for (const TSolverMethod method : {sm_RK45, sm_BDF}) {
        SCOPED_TRACE(MethodName(method));
        TTestModel m("N1", "0", 1, 1, 0.3, Method(method));
        for (int i = 0; i < 4; ++i)
            m.Solver.StepUntil(m.t, m.dt, 1, m.N1, m.N2);
        ASSERT_EQ(m.t, 1);
        m.Solver.Attach(m.Model, Method(method));
        m.Step();
        EXPECT_DOUBLE_EQ(m.t, 1.2);
        EXPECT_NEAR(m.N1, std::exp(1.2), 1E-4 * std::exp(1.2));
    }
}

} // namespace
