#include "TestModel.h"

#include "FloatText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

namespace {

// The time a "Solver stopped at t = ...: ..." message names.
double NamedTime(const std::string& message) {
    const std::string head = "Solver stopped at t = ";
    EXPECT_EQ(message.rfind(head, 0), 0u) << message;
    return TextToFloat(message.substr(head.size(), message.find(':') - head.size()));
}

// With N1' = N1 + 1 from N1 = 0 and dt = 1, the four RK4 stages see N1 = 0,
// 0.5, 0.75 and 1.75; a second rate that divides by (N1 - c) faults in the
// stage that reaches c, or the update of N2 overflows in forming a state.
struct TStageFault {
    const char* name;
    const char* rate2;
    const char* message;
};

class RK4Fault : public testing::TestWithParam<TStageFault> {};

TEST_P(RK4Fault, LeavesTheLastCompletedStepUntouched) {
    const TStageFault& c = GetParam();
    TTestModel m("N1+1", c.rate2, 0, 1, 1, Method(sm_RK4));
    try {
        m.Step();
        FAIL() << "no fault";
    } catch (const ESolverError& e) {
        EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(m.t, 0);
    EXPECT_EQ(m.N1, 0);
    EXPECT_EQ(m.N2, 1);
    EXPECT_EQ(m.P1.VariableValue("N1"), 0); // no stage state left in the cells
    EXPECT_EQ(m.P2.VariableValue("N1"), 0);
    EXPECT_EQ(m.P2.VariableValue("N2"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Stages, RK4Fault,
    testing::Values(
        TStageFault{"first", "1/N1", "Solver stopped at t = 0: Floating point division by zero"},
        TStageFault{"second", "1/(N1-0.5)",
                    "Solver stopped at t = 0: Floating point division by zero"},
        TStageFault{"third", "SQRT(0.7-N1)",
                    "Solver stopped at t = 0: Invalid floating point operation"},
        TStageFault{"fourth", "1/(N1-1.75)",
                    "Solver stopped at t = 0: Floating point division by zero"},
        TStageFault{"state", "1.5E308", "Solver stopped at t = 0: Floating point overflow"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RK4Fault, ALaterStepNamesTheTimeItStartedFrom) {
    TTestModel m("1", "1/(N1-2.5)", 0, 1, 1, Method(sm_RK4));
    m.Step();
    m.Step();
    try {
        m.Step(); // from N1 = 2 its second stage reaches 2.5
        FAIL() << "no fault";
    } catch (const ESolverError& e) {
        EXPECT_EQ(e.Message(), "Solver stopped at t = 2: Floating point division by zero");
    }
    EXPECT_EQ(m.t, 2);
    EXPECT_EQ(m.N1, 2);
}

// The adaptive methods: N1 grows at rate 1 and the second rate is the square
// root of (2.5 - N1), invalid beyond t = 2.5. Wherever the integrator first
// steps past it, the state stays an output step already completed.
class AdaptiveFault : public testing::TestWithParam<TSolverMethod> {};

TEST_P(AdaptiveFault, StopsAtACompletedOutputStep) {
    TTestModel m("1", "SQRT(2.5-N1)", 0, 1, 1, Method(GetParam()));
    std::string message;
    for (int i = 0; i < 5 && message.empty(); ++i) {
        try {
            m.Step();
        } catch (const ESolverError& e) {
            message = e.Message();
        }
    }
    ASSERT_FALSE(message.empty());
    EXPECT_NE(message.find(": Invalid floating point operation"), std::string::npos) << message;
    EXPECT_LE(m.t, 2);
    EXPECT_EQ(m.t, std::round(m.t)); // an output step, not an internal time
    EXPECT_NEAR(m.N1, m.t, 1E-6);
    const double reached = NamedTime(message);
    EXPECT_GE(reached, m.t);
    EXPECT_LT(reached, m.t + 1); // within the output step that failed
    EXPECT_EQ(m.P1.VariableValue("N1"), m.N1);
}

TEST_P(AdaptiveFault, TooManyInternalStepsEndTheOutputStep) {
    // An oscillation of 1E6 radians per unit of time takes either method far
    // more than the allowed internal steps to follow over one output step.
    TTestModel m("1E6*N2", "-1E6*N1", 1, 0, 1, Method(GetParam()));
    try {
        m.Step();
        FAIL() << "no failure";
    } catch (const ESolverError& e) {
        EXPECT_NE(e.Message().find(": too many internal steps"), std::string::npos) << e.Message();
        EXPECT_GT(NamedTime(e.Message()), 0);
    }
    EXPECT_EQ(m.t, 0);
    EXPECT_EQ(m.N1, 1);
    EXPECT_EQ(m.N2, 0);
}

TEST_P(AdaptiveFault, ABlowUpStopsNearItsTime) {
    // N1' = N1^2 from 1 reaches infinity at t = 1.
    TTestModel m("N1*N1", "0", 1, 1, 2, Method(GetParam()));
    try {
        m.Step();
        FAIL() << "no failure";
    } catch (const ESolverError& e) {
        EXPECT_NEAR(NamedTime(e.Message()), 1, 1E-2) << e.Message();
    }
    EXPECT_EQ(m.t, 0);
    EXPECT_EQ(m.N1, 1);
    // After the failure the method starts again from the state it was given.
    m.dt = 0.5;
    m.Step();
    EXPECT_NEAR(m.N1, 2, 2E-4);
}

INSTANTIATE_TEST_SUITE_P(Methods, AdaptiveFault, testing::Values(sm_RK45, sm_BDF),
                         [](const auto& info) { return MethodName(info.param); });

TEST(Fault, EveryMethodStopsOnATimeThatOverflows) {
    for (TSolverMethod method : {sm_RK4, sm_RK45, sm_BDF}) {
        TTestModel m("0", "0", 1, 1, 1E300, Method(method));
        m.t = DBL_MAX;
        EXPECT_THROW(m.Step(), ESolverError) << MethodName(method);
        EXPECT_EQ(m.t, DBL_MAX);
    }
    TTestModel euler("0", "0", 1, 1, 1E300);
    euler.t = DBL_MAX;
    EXPECT_THROW(euler.Step(), ESolverError);
}

} // namespace

// An Euler fault names the time its step started from, as the other methods
// do, while the step stays stopped where the fault arose: t advanced.
TEST(Fault, AnEulerFaultNamesTheTimeItsStepStartedFrom) {
    struct TCase {
        const char* rate1;
        const char* rate2;
        int steps; // clean steps before the faulting one (dt = 1, N1 = 1)
        const char* message;
    } cases[] = {
        {"1/(N1-1)", "0", 0, "Solver stopped at t = 0: Floating point division by zero"},
        {"1", "1/(N1-3)", 2, "Solver stopped at t = 2: Floating point division by zero"},
        {"SQRT(1.5-N1)", "0", 1, "Solver stopped at t = 1: Invalid floating point operation"},
        {"N1*1E200", "0", 1, "Solver stopped at t = 1: Floating point overflow"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.rate1);
        TTestModel m(c.rate1, c.rate2, 1, 1, 1);
        for (int i = 0; i < c.steps; ++i)
            m.Step();
        try {
            m.Step();
            ADD_FAILURE() << "no fault";
        } catch (const ESolverError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(m.t, c.steps + 1);
    }
}
