#include "JetEvaluator.h"
#include "DualEvaluator.h"
#include "FpFaults.h"
#include "ParserErrors.h"
#include "ParserTestUtil.h"
#include "RandomSequence.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

// value, d1, d2, d11, d12, d22, d111, d112, d122, d222
using Ten = std::array<double, 10>;

Ten Numbers(const TJet3& j) {
    return {j.value, j.d1, j.d2, j.d11, j.d12, j.d22, j.d111, j.d112, j.d122, j.d222};
}

// h(s(x, y)) by the chain rule, from h, h', h'', h''' at s and the derivatives
// of s (its value unused).
Ten Composed(double h0, double h1, double h2, double h3, const Ten& s) {
    const double s1 = s[1], s2 = s[2], s11 = s[3], s12 = s[4], s22 = s[5];
    return {h0,
            h1 * s1,
            h1 * s2,
            h2 * s1 * s1 + h1 * s11,
            h2 * s1 * s2 + h1 * s12,
            h2 * s2 * s2 + h1 * s22,
            h3 * s1 * s1 * s1 + 3 * h2 * s11 * s1 + h1 * s[6],
            h3 * s1 * s1 * s2 + h2 * (s11 * s2 + 2 * s12 * s1) + h1 * s[7],
            h3 * s1 * s2 * s2 + h2 * (s22 * s1 + 2 * s12 * s2) + h1 * s[8],
            h3 * s2 * s2 * s2 + 3 * h2 * s22 * s2 + h1 * s[9]};
}

// s = x²y, the inner law of the function cases ("X^2*Y").
Ten Inner(double x, double y) {
    return {x * x * y, 2 * x * y, x * x, 2 * y, 2 * x, 0, 0, 2, 0, 0};
}

struct Case {
    const char* text;
    double x, y;
    Ten expected;
};

} // namespace

TEST(JetEvaluator, EveryDerivativeUpToThirdOrderAgainstItsClosedForm) {
    std::vector<Case> cases;
    // Polynomial: -x⁴ + x⁵y + x³y², also at x = 0, where the powers must be exact.
    for (const auto& [x, y] : {std::pair{1.3, 0.7}, {0.0, 0.7}})
        cases.push_back({"-X^4+X^5*Y+X^3*Y^2",
                         x,
                         y,
                         {-std::pow(x, 4) + std::pow(x, 5) * y + std::pow(x, 3) * y * y,
                          -4 * std::pow(x, 3) + 5 * std::pow(x, 4) * y + 3 * x * x * y * y,
                          std::pow(x, 5) + 2 * std::pow(x, 3) * y,
                          -12 * x * x + 20 * std::pow(x, 3) * y + 6 * x * y * y,
                          5 * std::pow(x, 4) + 6 * x * x * y, 2 * std::pow(x, 3),
                          -24 * x + 60 * x * x * y + 6 * y * y, 20 * std::pow(x, 3) + 12 * x * y,
                          6 * x * x, 0}});
    for (const auto& [x, y] : {std::pair{1.3, 0.7}, {-0.4, 2.5}})
        cases.push_back({"X/Y",
                         x,
                         y,
                         {x / y, 1 / y, -x / (y * y), 0, -1 / (y * y), 2 * x / std::pow(y, 3), 0, 0,
                          2 / std::pow(y, 3), -6 * x / std::pow(y, 4)}});
    // Holling type II with A = 2, B = 5: Ax y/g, g = 1 + ABx, so ∂x(x/g) = 1/g².
    for (const auto& [x, y] : {std::pair{1.3, 0.7}, {0.05, 3.0}}) {
        const double a = 2, k = 2 * 5, g = 1 + k * x;
        cases.push_back({"A*X*Y/(1+A*B*X)",
                         x,
                         y,
                         {a * x * y / g, a * y / (g * g), a * x / g,
                          -2 * a * y * k / std::pow(g, 3), a / (g * g), 0,
                          6 * a * y * k * k / std::pow(g, 4), -2 * a * k / std::pow(g, 3), 0, 0}});
    }
    for (const auto& [x, y] : {std::pair{1.3, 0.7}, {-0.6, 0.45}}) {
        const Ten s = Inner(x, y);
        const double v = s[0], c = std::cos(v), q = 1 + v * v;
        const auto add = [&](const char* text, double h0, double h1, double h2, double h3) {
            cases.push_back({text, x, y, Composed(h0, h1, h2, h3, s)});
        };
        add("EXP(X^2*Y)", std::exp(v), std::exp(v), std::exp(v), std::exp(v));
        add("LN(X^2*Y)", std::log(v), 1 / v, -1 / (v * v), 2 / (v * v * v));
        add("SIN(X^2*Y)", std::sin(v), c, -std::sin(v), -c);
        add("COS(X^2*Y)", c, -std::sin(v), -c, std::sin(v));
        add("TAN(X^2*Y)", std::tan(v), 1 / (c * c), 2 * std::sin(v) / (c * c * c),
            2 / (c * c) + 6 * std::sin(v) * std::sin(v) / (c * c * c * c));
        add("SINH(X^2*Y)", std::sinh(v), std::cosh(v), std::sinh(v), std::cosh(v));
        add("COSH(X^2*Y)", std::cosh(v), std::sinh(v), std::cosh(v), std::sinh(v));
        add("ARCTAN(X^2*Y)", std::atan(v), 1 / q, -2 * v / (q * q), (6 * v * v - 2) / (q * q * q));
        add("SQRT(X^2*Y)", std::sqrt(v), 0.5 / std::sqrt(v), -0.25 * std::pow(v, -1.5),
            0.375 * std::pow(v, -2.5));
        add("(X^2*Y)^2.5", std::pow(v, 2.5), 2.5 * std::pow(v, 1.5), 3.75 * std::sqrt(v),
            1.875 / std::sqrt(v));
        add("(X^2*Y)^-3", std::pow(v, -3), -3 * std::pow(v, -4), 12 * std::pow(v, -5),
            -60 * std::pow(v, -6));
        const double side = v > 1 ? 1 : -1;
        add("ABS(X^2*Y-1)", std::fabs(v - 1), side, 0, 0);
    }
    // x^y = exp(y ln x), with a fractional and a whole exponent.
    for (const auto& [x, y] : {std::pair{1.3, 0.7}, {0.8, 3.0}}) {
        const double p = std::pow(x, y), l = std::log(x);
        const Ten s = {y * l,        y / x, l, -y / (x * x), 1 / x, 0, 2 * y / (x * x * x),
                       -1 / (x * x), 0,     0};
        cases.push_back({"X^Y", x, y, Composed(p, p, p, p, s)});
    }
    // 0^y is 0 for every y > 0; x^y is x³ along y = 3.
    cases.push_back({"X^Y", 0, 3, {0, 0, 0, 0, 0, 0, 6, 0, 0, 0}});
    // Along y = 2 it is x², but ∂xxy jumps there: ∂xx x^y is 0, 2 or ∞ as y passes 2.
    cases.push_back({"X^Y", 0, 2, {0, 0, 0, 2, 0, 0, 0, NAN, 0, 0}});
    // MAX and MIN follow the active branch; at a tie, the mean of both.
    const double x = 1.3, y = 0.7;
    const Ten cube = {x * x * x, 3 * x * x, 0, 6 * x, 0, 0, 6, 0, 0, 0};
    const Ten square = {y * y, 0, 2 * y, 0, 0, 2, 0, 0, 0, 0};
    cases.push_back({"MAX(X^3,Y^2)", x, y, cube});
    cases.push_back({"MIN(Y^2,X^3)", x, y, square});
    cases.push_back({"MIN(X^3,Y^2)", y, x, {y * y * y, 3 * y * y, 0, 6 * y, 0, 0, 6, 0, 0, 0}});
    cases.push_back({"MAX(X*X,Y)", 1, 1, {1, 1, 0.5, 1, 0, 0, 0, 0, 0, 0}});

    const char* names[] = {"value", "d1",   "d2",   "d11",  "d12",
                           "d22",   "d111", "d112", "d122", "d222"};
    for (const Case& c : cases) {
        Bound b(c.text, c.x, c.y);
        TJetEvaluator jet(b.parser, b.x, b.y);
        const Ten got = Numbers(jet.Evaluate());
        EXPECT_EQ(fpfaults::Pending(), 0u) << c.text;
        for (size_t i = 0; i < got.size(); ++i) {
            const std::string what =
                std::string(c.text) + " at " + std::to_string(c.x) + "," + std::to_string(c.y);
            if (std::isnan(c.expected[i]))
                EXPECT_TRUE(std::isnan(got[i])) << what << ": " << names[i] << " = " << got[i];
            else
                EXPECT_NEAR(got[i], c.expected[i], 1e-12 * std::max(1.0, std::fabs(c.expected[i])))
                    << what << ": " << names[i];
        }
    }
}

TEST(JetEvaluator, ValueAndGradientAreTheDualEvaluatorsToTheBit) {
    const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    for (const char* text :
         {"-X^4+X^5*Y+X^3*Y^2", "A*X*Y/(1+A*B*X)", "TAN(X/Y)-LN(X*Y)*EXP(-X)", "X^Y", "X^0.5",
          "SQRT(X)*COSH(Y)+ARCTAN(X-Y)", "ABS(X)+MAX(X,Y)*MIN(X,2*Y)", "SQRT(A-2)*X", "2^X",
          "X*X*Y+RND(1000*Y)+RND(1000*X)", "HEAV(X-Y)+SIGN(X)+XMODY+PH(X*Y)", "SIN(X*1E19)"}) {
        Bound b(text, 0, 0);
        TJetEvaluator jet(b.parser, b.x, b.y), twice(b.parser, b.x, b.x);
        TDualEvaluator dual(b.parser, b.x, b.y);
        for (const auto& [x, y] : {std::pair{1.3, 0.7}, {0.0, 2.5}, {1.0, 1.0}, {-2.0, 3.0}}) {
            *b.x = x;
            *b.y = y;
            SetRandomSeed(777);
            TValueGradient g;
            try {
                g = dual.Evaluate();
            } catch (const Exception&) {
                continue; // outside the law's domain: the faults' own test
            }
            const TJet3 j = jet.Evaluate();
            const std::string what =
                std::string(text) + " at " + std::to_string(x) + "," + std::to_string(y);
            EXPECT_EQ(RandomSeed(), 777u) << what;
            EXPECT_TRUE(same(j.value, b.parser.Value())) << what;
            EXPECT_TRUE(same(j.value, g.value)) << what;
            EXPECT_TRUE(same(j.d1, g.d1)) << what << ": " << j.d1 << " " << g.d1;
            EXPECT_TRUE(same(j.d2, g.d2)) << what << ": " << j.d2 << " " << g.d2;
            // One cell in both places: every derivative of an order is the same one.
            const TJet3 t = twice.Evaluate();
            const double tol = 1e-12 * std::max(1.0, std::fabs(t.d11));
            if (std::isfinite(t.d11)) {
                EXPECT_NEAR(t.d12, t.d11, tol) << what;
                EXPECT_NEAR(t.d22, t.d11, tol) << what;
            }
            if (std::isfinite(t.d111)) {
                const double tol3 = 1e-12 * std::max(1.0, std::fabs(t.d111));
                for (const double d : {t.d112, t.d122, t.d222})
                    EXPECT_NEAR(d, t.d111, tol3) << what;
            }
        }
    }
}

// Faults are those of Value: see DualEvaluator.FaultsAreThoseOfValue, which
// holds both evaluators to them.
TEST(JetEvaluator, UnknownFunctionsAreRefused) {
    TMathParser p;
    p.AddFunctionOneParam("TWICE", [](const TTerm& t) { *t.result = 2 * *t.a; });
    double* x = p.DefineVariable("X", 1);
    p.SetExpression("SIN(X)+TWICE(X)");
    EXPECT_THROW(TJetEvaluator(p, x, x), ENoDerivative);
}
