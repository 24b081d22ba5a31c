#include "SolverSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(SolverSettings, MethodNamesReadBackInAnyCase) {
    for (TSolverMethod m : {sm_Euler, sm_RK4, sm_RK45, sm_BDF}) {
        std::string name = MethodName(m);
        EXPECT_EQ(MethodFromName(name), m);
        for (char& c : name)
            c = static_cast<char>(std::toupper(c));
        EXPECT_EQ(MethodFromName(name), m) << name;
    }
    EXPECT_EQ(MethodName(sm_RK45), "rk45");
}

TEST(SolverSettings, UnknownMethodIsRefusedByName) {
    for (const char* bad : {"", "rk", "rk 4", "Runge-Kutta", " euler"}) {
        try {
            MethodFromName(bad);
            FAIL() << "accepted '" << bad << "'";
        } catch (const ESolverError& e) {
            EXPECT_EQ(e.Message(), std::string("Unknown method '") + bad + "'");
        }
    }
}

TEST(SolverSettings, TolerancesArePositiveFiniteNumbers) {
    EXPECT_EQ(ToleranceFromText("1E-6"), 1E-6);
    EXPECT_EQ(ToleranceFromText(" 0.5 "), 0.5);
    EXPECT_THROW(ToleranceFromText("small"), EConvertError);
    EXPECT_THROW(ToleranceFromText(""), EConvertError);
    for (const char* bad : {"0", "-1E-6", "1E400"}) {
        try {
            ToleranceFromText(bad);
            FAIL() << "accepted " << bad;
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find(bad), std::string::npos) << e.Message();
        }
    }
}

} // namespace
