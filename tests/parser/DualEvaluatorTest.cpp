#include "DualEvaluator.h"
#include "FpFaults.h"
#include "JetEvaluator.h"
#include "ParserErrors.h"
#include "ParserTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace {

// Exact to rounding: a few units in the last place of the closed form.
void ExpectDerivative(double got, double expected, const std::string& what) {
    if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(got)) << what << " = " << got;
    else if (std::isinf(expected))
        EXPECT_EQ(got, expected) << what;
    else
        EXPECT_NEAR(got, expected, 1e-14 * std::max(1.0, std::fabs(expected))) << what;
}

struct Case {
    const char* text;
    double x, y;
    double dx, dy; // closed forms
};

} // namespace

TEST(DualEvaluator, EveryOperationAndFunctionAgainstItsClosedForm) {
    const double x = 1.3, y = 0.7, pi2 = std::numbers::pi * std::numbers::pi;
    const double r = x / y, s = x * y;
    const Case cases[] = {
        {"X", x, y, 1, 0},
        {"Y", x, y, 0, 1},
        {"2", x, y, 0, 0},
        {"A*B+PI", x, y, 0, 0},
        {"-X", x, y, -1, 0},
        {"X+Y", x, y, 1, 1},
        {"X-Y", x, y, 1, -1},
        {"X*Y", x, y, y, x},
        {"X/Y", x, y, 1 / y, -x / (y * y)},
        {"XDIVY", 7.5, 2, 0, 0},
        {"XMODY", 7.5, 2, 0, 0},
        {"X^2", x, y, 2 * x, 0},
        {"X^3", x, y, 3 * x * x, 0},
        {"X^4", x, y, 4 * x * x * x, 0},
        {"X^7", x, y, 7 * std::pow(x, 6), 0},
        {"X^-3", x, y, -3 * std::pow(x, -4), 0},
        {"X^0", x, y, 0, 0},
        {"X^0.5", x, y, 0.5 / std::sqrt(x), 0},
        {"X^Y", x, y, y * std::pow(x, y - 1), std::pow(x, y) * std::log(x)},
        {"X^Y", x, 3, 3 * x * x, std::pow(x, 3) * std::log(x)}, // whole exponent, by squaring
        {"X^Y", -2, 3, 12, NAN},                                // no power off whole exponents
        {"X^Y", 0, 2.5, 0, 0},
        {"X^Y", x, 0, 0, std::log(x)},
        {"2^X", x, y, std::log(2.0) * std::pow(2, x), 0},
        {"TAN(X*Y)", x, y, y / (std::cos(s) * std::cos(s)), x / (std::cos(s) * std::cos(s))},
        {"SIN(X*Y)", x, y, std::cos(s) * y, std::cos(s) * x},
        {"COS(X-Y)", x, y, -std::sin(x - y), std::sin(x - y)},
        {"SINH(X*Y)", x, y, std::cosh(s) * y, std::cosh(s) * x},
        {"COSH(X*Y)", x, y, std::sinh(s) * y, std::sinh(s) * x},
        {"ARCTAN(X/Y)", x, y, 1 / (1 + r * r) / y, -1 / (1 + r * r) * x / (y * y)},
        {"EXP(X*Y)", x, y, std::exp(s) * y, std::exp(s) * x},
        {"LN(X*Y)", x, y, 1 / x, 1 / y},
        {"SQRT(X*Y)", x, y, 0.5 / std::sqrt(s) * y, 0.5 / std::sqrt(s) * x},
        {"ABS(X-Y)", x, y, 1, -1},
        {"ABS(X-Y)", y, x, -1, 1},
        {"HEAV(X-Y)", x, y, 0, 0},
        {"SIGN(X-Y)", x, y, 0, 0},
        {"ZERO(X-Y)", x, y, 0, 0},
        {"PH(X*Y)", x, y, pi2 * y, pi2 * x},
        {"MAX(X,Y)", x, y, 1, 0},
        {"MAX(X,Y)", y, x, 0, 1},
        {"MIN(X,Y)", x, y, 0, 1},
        {"MIN(X*X,Y)", 0.5, y, 1, 0},
        // Kinks and jumps: the mean of the one-sided slopes, or flat.
        {"ABS(X)", 0, y, 0, 0},
        {"MAX(X,-X)", 0, y, 0, 0},
        {"MAX(X,Y)", 1, 1, 0.5, 0.5},
        {"MIN(X,2*Y)", 1, 0.5, 0.5, 1},
        {"HEAV(X)", 0, y, 0, 0},
        {"SIGN(X)", 0, y, 0, 0},
        {"SIN(X)", 1e19, y, 0, 0},
        {"COS(X*Y)", 1e19, 1, 0, 0},
        // A derivative that does not exist where the value does.
        {"SQRT(X)", 0, y, HUGE_VAL, 0},
        {"X^0.5", 0, y, HUGE_VAL, 0},
        // A constant operand adds nothing, however steep the function is there.
        {"SQRT(A-2)*X", x, y, 0, 0},
        // Compositions.
        {"X*X*Y", x, y, 2 * x * y, x * x},
        {"0.5*X-0.02*X*Y", 40, 9, 0.5 - 0.02 * 9, -0.02 * 40},
        {"-(X-Y)^2", x, y, -2 * (x - y), 2 * (x - y)},
        {"EXP(-X/10)*SIN(Y)", x, y, -0.1 * std::exp(-x / 10) * std::sin(y),
         std::exp(-x / 10) * std::cos(y)},
    };
    for (const Case& c : cases) {
        Bound b(c.text, c.x, c.y);
        const double value = b.parser.Value();
        std::vector<double> results;
        for (const TTerm& t : b.parser.Terms())
            results.push_back(*t.result);

        TDualEvaluator dual(b.parser, b.x, b.y);
        const TValueGradient g = dual.Evaluate();
        const std::string what =
            std::string(c.text) + " at " + std::to_string(c.x) + "," + std::to_string(c.y);
        EXPECT_EQ(g.value, value) << what;
        ExpectDerivative(g.d1, c.dx, what + " d/dX");
        ExpectDerivative(g.d2, c.dy, what + " d/dY");
        EXPECT_EQ(fpfaults::Pending(), 0u) << what;
        // The parser's own cells are untouched.
        for (size_t i = 0; i < results.size(); ++i)
            EXPECT_EQ(*b.parser.Terms()[i].result, results[i]) << what;
        EXPECT_EQ(*b.x, c.x);
        EXPECT_EQ(*b.y, c.y);
    }
}

TEST(DualEvaluator, FollowsTheCellsAndReadsTheNextRandomNumbers) {
    Bound b("X*X*Y+RND(1000*Y)+RND(1000*X)", 3, 2);
    TDualEvaluator dual(b.parser, b.x, b.y);
    for (const auto& [x, y] : {std::pair{3.0, 2.0}, {-1.5, 4.0}, {0.25, -7.0}}) {
        *b.x = x;
        *b.y = y;
        SetRandomSeed(12345);
        const TValueGradient g = dual.Evaluate();
        EXPECT_EQ(RandomSeed(), 12345u) << "the sequence stays where it is";
        EXPECT_EQ(g.value, b.parser.Value()) << "the numbers the next evaluation draws";
        EXPECT_EQ(g.d1, 2 * x * y);
        EXPECT_EQ(g.d2, x * x);
    }
    // The same cell twice: both derivatives with respect to it.
    TDualEvaluator same(b.parser, b.x, b.x);
    *b.x = 3;
    *b.y = 2;
    const TValueGradient g = same.Evaluate();
    EXPECT_EQ(g.d1, 12.0);
    EXPECT_EQ(g.d2, 12.0);
}

// The gradient's and the third-order jet's faults alike.
TEST(DualEvaluator, FaultsAreThoseOfValue) {
    for (const char* text : {"1/X", "LN(X)*0", "SQRT(X-1)", "EXP(1000*Y)-EXP(1000*Y)", "7DIVX",
                             "X^A+1/X", "PH(1E308*Y)"}) {
        Bound b(text, 0, 1);
        TDualEvaluator dual(b.parser, b.x, b.y);
        TJetEvaluator jet(b.parser, b.x, b.y);
        std::string expected, got, gotJet;
        try {
            b.parser.Value();
        } catch (const Exception& e) {
            expected = e.Message();
        }
        try {
            dual.Evaluate();
        } catch (const Exception& e) {
            got = e.Message();
        }
        try {
            jet.Evaluate();
        } catch (const Exception& e) {
            gotJet = e.Message();
        }
        EXPECT_NE(expected, "") << text;
        EXPECT_EQ(got, expected) << text;
        EXPECT_EQ(gotJet, expected) << text;
        *b.x = 2; // usable after a fault
        *b.y = 0;
        EXPECT_EQ(dual.Evaluate().value, b.parser.Value()) << text;
        EXPECT_EQ(jet.Evaluate().value, b.parser.Value()) << text;
    }
    TMathParser empty;
    EXPECT_EQ(TDualEvaluator(empty, nullptr, nullptr).Evaluate().value, 0.0);
}

TEST(DualEvaluator, UnknownFunctionIsRefused) {
    TMathParser p;
    p.AddFunctionOneParam("TWICE", [](const TTerm& t) { *t.result = 2 * *t.a; });
    double* x = p.DefineVariable("X", 1);
    p.SetExpression("TWICE(X)");
    EXPECT_THROW(TDualEvaluator(p, x, x), ENoDerivative);
}

namespace {

// A random rate law in X and Y of smooth pieces (and ABS, MAX, MIN, whose
// kinks the difference check below steps around).
std::string RandomLaw(std::mt19937& rng, int depth) {
    std::uniform_int_distribution<int> pick(0, 99);
    const int k = pick(rng);
    if (depth == 0 || k < 20) {
        static const char* leaves[] = {"X", "Y", "A", "0.5", "3", "X", "Y"};
        return leaves[pick(rng) % 7];
    }
    const auto sub = [&] { return "(" + RandomLaw(rng, depth - 1) + ")"; };
    if (k < 55) {
        static const char* ops[] = {"+", "-", "*", "/"};
        return sub() + ops[pick(rng) % 4] + sub();
    }
    if (k < 65) {
        static const char* powers[] = {"^2", "^3", "^4", "^5", "^-2", "^1.5", "^Y"};
        return sub() + powers[pick(rng) % 7];
    }
    if (k < 90) {
        static const char* f1[] = {"SIN",  "COS",  "TAN",  "EXP",    "LN",
                                   "SQRT", "SINH", "COSH", "ARCTAN", "ABS"};
        return std::string(f1[pick(rng) % 10]) + sub();
    }
    if (k < 95) return "-" + sub();
    return std::string(pick(rng) % 2 ? "MAX(" : "MIN(") + RandomLaw(rng, depth - 1) + "," +
           RandomLaw(rng, depth - 1) + ")";
}

// The central difference of the law in one cell.
double Difference(TMathParser& p, double* cell, double h) {
    const double keep = *cell;
    *cell = keep + h;
    const double up = p.Value();
    *cell = keep - h;
    const double down = p.Value();
    *cell = keep;
    return (up - down) / (2 * h);
}

} // namespace

TEST(DualEvaluator, AgreesWithCentralDifferencesOnRandomLaws) {
    std::mt19937 rng(2024);
    std::uniform_real_distribution<double> coordinate(-2, 2);
    int compared = 0;
    for (int i = 0; i < 3000; ++i) {
        Bound b(RandomLaw(rng, 4), coordinate(rng), coordinate(rng));
        TDualEvaluator dual(b.parser, b.x, b.y);
        TValueGradient g;
        try {
            g = dual.Evaluate();
            for (double* cell : {b.x, b.y}) {
                const double h = 1e-5 * std::max(1.0, std::fabs(*cell));
                const double coarse = Difference(b.parser, cell, h);
                const double fine = Difference(b.parser, cell, h / 4);
                const double scale = 1 + std::fabs(fine);
                // Steep or not smooth within the step: no fair comparison.
                if (!std::isfinite(coarse) || !std::isfinite(fine) ||
                    std::fabs(coarse - fine) > 1e-4 * scale || std::fabs(fine) > 1e6)
                    continue;
                const double got = cell == b.x ? g.d1 : g.d2;
                EXPECT_NEAR(got, fine, 1e-4 * scale)
                    << b.parser.Expression() << " at " << *b.x << "," << *b.y;
                ++compared;
            }
        } catch (const Exception&) {
            continue; // outside the law's domain
        }
    }
    EXPECT_GT(compared, 2000);
}
