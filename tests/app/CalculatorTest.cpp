#include "Calculator.h"
#include "Simulation.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
struct CalcResult {
    int code;
    std::string out, err;
};
CalcResult Calc(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = RunCalculator(args, out, err);
    return {code, out.str(), err.str()};
}
} // namespace

TEST(Calculator, PrintsGeneralNumberText) {
    const CalcResult r = Calc({"0.5*N1-0.02*N1*N2", "N1=40", "N2=9"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "12.8\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Calc({"2*1E-5"}).out, "2E-5\n");
    EXPECT_EQ(Calc({"N^2", "n=3", "N=4"}).out, "16\n"); // later definitions win
}

TEST(Calculator, RemovesBlanksAsFromARate) {
    const struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"7 DIV 2"}, "3\n"},
        {{" X +1", "X=2"}, "3\n"},
        {{"a * N1 - b*N1*N2", "a=0.5", "b=0.02", "N1=40", "N2=9"}, "12.8\n"},
        {{"1 0 0 0"}, "1000\n"}, // inside a number too
    };
    for (const auto& c : cases) {
        const CalcResult r = Calc(c.args);
        EXPECT_EQ(r.code, 0) << c.args[0];
        EXPECT_EQ(r.out, c.out) << c.args[0];
        EXPECT_EQ(r.err, "") << c.args[0];
    }
}

TEST(Calculator, ErrorsAsTheErrorDisplayShowsThem) {
    EXPECT_EQ(Calc({"A^B^C"}).err, "Error parsing expression:\nA^B\nC.\n");
    EXPECT_EQ(Calc({"1/X", "X=0"}).err, "Floating point division by zero.\n");
    EXPECT_EQ(Calc({"X", "X=abc"}).err, "'abc' is not a valid floating point value.\n");
    // Each message names what is wrong.
    EXPECT_EQ(Calc({"X", "2X=1"}).err, "'2X' is not a valid parameter name.\n");
    EXPECT_EQ(Calc({"1", "=3"}).err, "'' is not a valid parameter name.\n");
    EXPECT_EQ(Calc({"X", std::string("X=0.0\0x", 7)}).err,
              "'0.0\\0x' is not a valid floating point value.\n");
    EXPECT_TRUE(Calc({"2*-x", "x=1"})
                    .err.ends_with(
                        "\nA minus after an operator needs brackets: write 2*(-x), not 2*-x.\n"));
    EXPECT_EQ(Calc({"2*(-x)", "x=1"}).out, "-2\n");
    EXPECT_EQ(Calc({"2*-3"}).out, "-6\n");
    EXPECT_EQ(Calc({std::string(kMaxRateLength + 1, '1')}).err,
              "The rate given has 30001 characters; a rate may have at most 30000.\n");
    const CalcResult noValue = Calc({"X", "X"});
    EXPECT_EQ(noValue.code, 1);
    EXPECT_EQ(noValue.out, "");
    EXPECT_NE(noValue.err, "");
    EXPECT_EQ(Calc({}).code, 1);
}
