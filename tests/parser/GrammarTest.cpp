#include "FloatText.h"
#include "ParserErrors.h"
#include "ParserTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using K = TTermKind;

TEST(Grammar, SumsGroupFromTheRightDifferencesFromTheLeft) {
    // 1 + 1e16 - 1e16 rounds differently depending on the grouping.
    EXPECT_EQ(Eval("A+B+C", 1, 1e16, -1e16), 1.0);       // A+(B+C)
    EXPECT_EQ(Eval("A+B-C", 1, 1e16, 1e16), 1.0);        // A+(B-C)
    EXPECT_EQ(Eval("A-B+C", 1e16, 1e16, 1), 1.0);        // (A-B)+C
    EXPECT_EQ(Eval("A-B-C", 10, 3, 2), 5.0);             // (A-B)-C
    EXPECT_EQ(Eval("A/B/C", 12, 3, 2), 2.0);             // (A/B)/C
    EXPECT_EQ(Eval("A*B*C", 1e300, 1e10, 1e-10), 1e300); // A*(B*C), no overflow
}

TEST(Grammar, IntegerQuotientAgainstProduct) {
    EXPECT_EQ(Eval("7DIV2*3"), 9.0);
    EXPECT_EQ(Eval("2*7DIV2"), 6.0);
    EXPECT_EQ(Eval("7MOD4MOD2"), 1.0);
    EXPECT_EQ(Eval("-7MOD2"), -1.0);
    EXPECT_EQ(Eval("-7DIV2"), -3.0);
    EXPECT_EQ(Eval("7.9DIV-2.9"), -3.0);
}

TEST(Grammar, UnaryMinusRules) {
    EXPECT_EQ(Eval("-X-2"), -4.0);
    EXPECT_EQ(Eval("-2-X"), -4.0);
    EXPECT_EQ(Eval("-X"), -2.0);
    EXPECT_EQ(Eval("-2^2"), -4.0);
    EXPECT_EQ(Eval("-A^2", 3), -9.0);
    EXPECT_EQ(Eval("A*-2", 3), -6.0);
    EXPECT_EQ(Eval("-(A+B)"), -3.0);
    for (const char* bad : {"--X", "--2", "A*-B", "A+-B", "A^B^C", "A/-B", "-"})
        EXPECT_NE(CompileError(bad), "") << bad;
}

TEST(Grammar, PredatorRateWithoutSpaces) {
    TMathParser p;
    p.DefineVariable("N1", 40);
    p.DefineVariable("N2", 9);
    p.SetExpression("-0.5*N2-0.01*N1*N2");
    EXPECT_DOUBLE_EQ(p.Value(), -0.5 * 9 - 0.01 * 40 * 9);
}

TEST(Grammar, KindsOfTerms) {
    EXPECT_EQ(Kinds("X"), (std::vector<K>{K::Variable}));
    EXPECT_EQ(Kinds("((X))"), (std::vector<K>{K::Variable}));
    EXPECT_EQ(Kinds("2"), (std::vector<K>{K::Variable}));
    EXPECT_EQ(Kinds("X^2"), (std::vector<K>{K::Square}));
    EXPECT_EQ(Kinds("X^(3)"), (std::vector<K>{K::Cube}));
    EXPECT_EQ(Kinds("X^4"), (std::vector<K>{K::FourthPower}));
    EXPECT_EQ(Kinds("X^-2"), (std::vector<K>{K::IntPower}));
    EXPECT_EQ(Kinds("X^0.5"), (std::vector<K>{K::Power}));
    EXPECT_EQ(Kinds("X^A"), (std::vector<K>{K::Power}));
    EXPECT_EQ(Kinds("SIN(X)"), (std::vector<K>{K::Function1}));
    EXPECT_EQ(Kinds("MAX(X,1)"), (std::vector<K>{K::Function2}));
    // Deepest row first: both products before the difference.
    EXPECT_EQ(Kinds("A*B-C*D"), (std::vector<K>{K::Product, K::Product, K::Difference}));
    EXPECT_EQ(Kinds("-(X+1)"), (std::vector<K>{K::Sum, K::Negate}));
    EXPECT_EQ(Kinds("7DIV2MOD3/X"), (std::vector<K>{K::IntQuotient, K::Remainder, K::Quotient}));
}

TEST(Grammar, Powers) {
    EXPECT_EQ(Eval("X^-2"), 0.25);
    EXPECT_EQ(Eval("X^0"), 1.0);
    EXPECT_EQ(Eval("X^10"), 1024.0);
    EXPECT_EQ(Eval("(-2)^3"), -8.0);
    EXPECT_EQ(Eval("X^A", 3), 8.0);      // whole exponent done by squaring
    EXPECT_EQ(Eval("(0-2)^A", 3), -8.0); // also for a negative base
    EXPECT_DOUBLE_EQ(Eval("X^0.5"), std::sqrt(2.0));
    EXPECT_EQ(Eval("A^0.5", 0), 0.0); // an extinct population stays at 0
    EXPECT_THROW(Eval("(-8)^(1/3)"), EInvalidOp);
    EXPECT_THROW(Eval("A^-0.5", 0), EZeroDivide);
    EXPECT_THROW(Eval("A^-2", 0), EZeroDivide);
    EXPECT_THROW(Eval("A^1000", 10), EOverflow);
}

TEST(Grammar, Numerals) {
    EXPECT_EQ(Eval("2*1E-5"), 2e-5);
    EXPECT_EQ(Eval("1E+5*X"), 2e5);
    EXPECT_EQ(Eval(".5"), 0.5);
    EXPECT_EQ(Eval("E5"), 0.0); // no digit before the exponent reads as 0
    EXPECT_EQ(Eval("+5*X"), 10.0);
    EXPECT_EQ(Eval("PI"), std::numbers::pi);
    EXPECT_EQ(Eval("-PI"), -std::numbers::pi);
    for (const char* bad : {"1.", "1E", "1E+", "1..2", "ADIV", "A*+", "1E400"})
        EXPECT_NE(CompileError(bad), "") << bad;
}

TEST(Grammar, LocaleNumerals) {
    TMathParser p;
    p.SetClassicNumberformat(false);
    SetDecimalSeparator(',');
    p.SetExpression("MAX(1,5,2)"); // cut at the first comma: MAX(1; 5,2)
    EXPECT_EQ(p.Value(), 5.2);
    p.SetExpression("2,5*2");
    EXPECT_EQ(p.Value(), 5.0);
    SetDecimalSeparator('.');
    p.SetClassicNumberformat(true);
    EXPECT_THROW(p.SetExpression("2,5*2"), ESyntaxError);
}

TEST(Grammar, LocaleNumeralEndingInTheSeparatorIsAnOperand) {
    // Accepted alone, so also as any operand of an operator or call.
    const struct {
        char separator;
        const char* text;
        double value;
    } cases[] = {
        {'.', "5.", 5},          {'.', "(5.+1)*2", 12}, {'.', "5.+1", 6},
        {'.', "(5.-1)*2", 8},    {'.', "-5.-1", -6},    {'.', "2*5.-1", 9},
        {'.', "MAX(5.+1,2)", 6}, {',', "(5,+1)*2", 12}, {',', "5,-1", 4},
    };
    for (const auto& c : cases) {
        SetDecimalSeparator(c.separator);
        TMathParser p;
        p.SetClassicNumberformat(false);
        try {
            p.SetExpression(c.text);
            EXPECT_EQ(p.Value(), c.value) << c.text;
        } catch (const EMathParserError& e) {
            ADD_FAILURE() << c.text << ": " << e.Message();
        }
    }
    SetDecimalSeparator('.');
}

TEST(Grammar, CaseAndBlanks) {
    EXPECT_EQ(Eval("x+1"), Eval("X+1"));
    EXPECT_EQ(Eval("  X+1  "), 3.0);
    EXPECT_EQ(Eval("sin(x)"), Eval("SIN(X)"));
}
