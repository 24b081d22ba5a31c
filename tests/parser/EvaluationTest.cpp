// What one evaluation gives: the value, or the fault the arithmetic raises
// first, for operations done in extended precision and for evaluations in
// which several operations fault.
#include "FloatText.h"
#include "ParserTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

using Bindings = std::vector<std::pair<const char*, double>>;

struct Case {
    const char* text;
    Bindings vars;
    const char* outcome; // the general number text of the value, or the fault's message
};

std::string Outcome(const Case& c) {
    TMathParser p;
    for (const auto& [name, value] : c.vars)
        p.DefineVariable(name, value);
    p.SetExpression(c.text);
    try {
        return FloatToText(p.Value());
    } catch (const Exception& e) {
        return e.Message();
    }
}

constexpr const char* kOverflow = "Floating point overflow";
constexpr const char* kZeroDivide = "Floating point division by zero";
constexpr const char* kInvalid = "Invalid floating point operation";
constexpr const char* kIntDivide = "Division by zero";

} // namespace

TEST(Evaluation, ExtendedResultsBeyondADoubleOverflow) {
    const Case cases[] = {
        {"X^A", {{"X", 10}, {"A", 5000.5}}, kOverflow},
        {"10^A", {{"A", 1e21}}, kOverflow},
        {"X^A", {{"X", 2}, {"A", 3e9}}, kOverflow},
        {"X^SINH(10)", {{"X", 10}}, kOverflow},
        {"X^A", {{"X", 0.1}, {"A", -5000.5}}, kOverflow},
        {"X^-5000", {{"X", 10}}, kOverflow},
        {"PH(1.7E308)", {}, kOverflow},
        {"PH(-1.7E308)", {}, kOverflow},
        {"SINH(X)", {{"X", 12000}}, kOverflow},
        {"SINH(X)", {{"X", -12000}}, kOverflow},
        {"COSH(X)", {{"X", -12000}}, kOverflow},
        {"X^3", {{"X", 1e103}}, kOverflow},
        {"X^4", {{"X", -1e78}}, kOverflow},
        // Within the double range after rounding: no fault.
        {"X^A", {{"X", 10}, {"A", 308.25}}, "1.77827941003892E308"},
        {"SINH(710)", {}, "1.11699738308086E308"},
        {"X^3", {{"X", 5.6e102}}, "1.75616E308"},
        // An infinite operand is no overflow of this operation.
        {"SINH(X)", {{"X", HUGE_VAL}}, "INF"},
        {"X^0.5", {{"X", HUGE_VAL}}, "INF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Outcome(c), c.outcome) << c.text;
}

TEST(Evaluation, FirstFaultInEvaluationOrderIsReported) {
    const Case cases[] = {
        {"1/0*0", {}, kZeroDivide},
        {"LN(0)*0", {}, kZeroDivide},
        {"1/X-1/X", {{"X", 0}}, kZeroDivide},
        {"EXP(1000)-EXP(1000)", {}, kOverflow},
        // Operands of one operation run left to right.
        {"SQRT(-1)*EXP(1000)", {}, kInvalid},
        {"EXP(1000)*SQRT(-1)", {}, kOverflow},
        {"0/0+1/0", {}, kInvalid},
        {"1/0+0/0", {}, kZeroDivide},
        // Faults found by a check and by the hardware, in either order.
        {"1/X+7DIVX", {{"X", 0}}, kZeroDivide},
        {"7DIVX+1/X", {{"X", 0}}, kIntDivide},
        {"(3E9DIV2)+1/X", {{"X", 0}}, kInvalid},
        {"EXP(1000)+X^A", {{"X", 10}, {"A", 5000.5}}, kOverflow},
        {"X^A+SQRT(-1)", {{"X", 10}, {"A", 5000.5}}, kOverflow},
        {"SQRT(-1)+X^A", {{"X", 10}, {"A", 5000.5}}, kInvalid},
        // Deeper terms run first.
        {"1/X+(0/X)*2", {{"X", 0}}, kInvalid},
        // A cube or fourth power that overflows between other arithmetic.
        {"1/Y*2+X^3", {{"X", 1e103}, {"Y", 0}}, kZeroDivide},
        {"X^4/2-1/Y", {{"X", -1e78}, {"Y", 0}}, kOverflow},
        {"-X^3+SQRT(-1)", {{"X", 1e103}}, kOverflow},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Outcome(c), c.outcome) << c.text;
}

TEST(Evaluation, FaultedEvaluationDrawsOnlyTheNumbersBeforeTheFault) {
    TMathParser p;
    p.SetX(0);
    for (const auto& [text, draws] :
         {std::pair{"(1/X)*RND(5)", 0u}, {"RND(5)*(1/X)", 1u}, {"RND(5)*RND(5)+1/X", 2u}}) {
        SetRandomSeed(0);
        p.SetExpression(text);
        EXPECT_THROW(p.Value(), EZeroDivide) << text;
        std::uint32_t expected = 0;
        for (unsigned i = 0; i < draws; ++i)
            expected = expected * 134775813u + 1u;
        EXPECT_EQ(RandomSeed(), expected) << text;
    }
}

TEST(Evaluation, PowersAndHyperbolicsInExtendedPrecision) {
    const double x = -84.571067811865476, x3 = -83.831067811865481;
    const Case cases[] = {
        // The cube and fourth power agree with the same power by squaring.
        {"SIN(X^4)", {{"X", x}}, "-0.0423393783128742"},
        {"SIN(X^A)", {{"X", x}, {"A", 4}}, "-0.0423393783128742"},
        {"SIN(X^3)", {{"X", x3}}, "0.977216487313936"},
        {"SIN(X^A)", {{"X", x3}, {"A", 3}}, "0.977216487313936"},
        // SINH takes exp(-x) rather than the reciprocal of exp(x).
        {"SINH(1E-10)", {}, "1.00000000006996E-10"},
        {"COSH(1E-5)", {}, "1.00000000005"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Outcome(c), c.outcome) << c.text;
}
