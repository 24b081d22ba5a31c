#include "Equilibria.h"
#include "ClosedFormModel.h"
#include "Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

namespace {

using C = std::complex<double>;

struct TExpected {
    double n1, n2;
    C lambda1, lambda2;
    const char* kind;
};

struct TCase {
    const char* what;
    TDualRate rate1, rate2;
    TPlaneRect box;
    std::vector<TExpected> points; // ordered by N1, then N2
};

// Lotka–Volterra as in the shipped predator–prey example.
constexpr double a = 0.5, b = 0.02, c = 0.5, d = 0.01;

// Logistic prey, predator with a linear response: a stable focus at
// (m, 1 − m/K) with the Jacobian [[−m/K, −m], [1 − m/K, 0]].
constexpr double kK = 10, kM = 0.5;

// Rosenzweig–MacArthur prey and predator past the enrichment threshold: an
// unstable focus at (1/3, 58/45) with the Jacobian [[5/24, −1/4], [29/40, 0]].
constexpr double kR = 10, kMort = 0.25;

C Focus(double trace, double det, int sign) {
    return {trace / 2, sign * std::sqrt(det - trace * trace / 4)};
}

std::vector<TCase> Cases() {
    return {
        {"Lotka-Volterra: saddle at the origin and a centre",
         [](auto x, auto y) { return a * x - b * x * y; },
         [](auto x, auto y) { return -c * y + d * x * y; },
         {0, 100, 0, 100},
         {{0, 0, -c, a, "saddle"}, {c / d, a / b, {0, 0.5}, {0, -0.5}, "centre"}}},
        {"competition with coexistence",
         [](auto x, auto y) { return x * (1 - x - 0.5 * y); },
         [](auto x, auto y) { return y * (1 - y - 0.5 * x); },
         {0, 2, 0, 2},
         {{0, 0, 1, 1, "unstable node"},
          {0, 1, -1, 0.5, "saddle"},
          {2.0 / 3, 2.0 / 3, -1, -1.0 / 3, "stable node"},
          {1, 0, -1, 0.5, "saddle"}}},
        {"competition with exclusion (the coexistence point lies outside)",
         [](auto x, auto y) { return x * (1 - x - 0.5 * y); },
         [](auto x, auto y) { return y * (1 - y - 1.5 * x); },
         {0, 2, 0, 2},
         {{0, 0, 1, 1, "unstable node"},
          {0, 1, -1, 0.5, "saddle"},
          {1, 0, -1, -0.5, "stable node"}}},
        {"bistable competition: equal eigenvalues are a node",
         [](auto x, auto y) { return x * (1 - x - 2 * y); },
         [](auto x, auto y) { return y * (1 - y - 2 * x); },
         {0, 2, 0, 2},
         {{0, 0, 1, 1, "unstable node"},
          {0, 1, -1, -1, "stable node"},
          {1.0 / 3, 1.0 / 3, -1, 1.0 / 3, "saddle"},
          {1, 0, -1, -1, "stable node"}}},
        {"predator-prey with a stable focus",
         [](auto x, auto y) { return x * (1 - x / kK - y); },
         [](auto x, auto y) { return y * (x - kM); },
         {0, 12, 0, 2},
         {{0, 0, -kM, 1, "saddle"},
          {kM, 1 - kM / kK, Focus(-kM / kK, kM * (1 - kM / kK), 1),
           Focus(-kM / kK, kM * (1 - kM / kK), -1), "stable focus"},
          {kK, 0, -1, kK - kM, "saddle"}}},
        {"predator-prey with an unstable focus",
         [](auto x, auto y) { return x * (1 - x / kR) - x * y / (1 + x); },
         [](auto x, auto y) { return y * (x / (1 + x) - kMort); },
         {0, 12, 0, 3},
         {{0, 0, -kMort, 1, "saddle"},
          {1.0 / 3, 58.0 / 45, Focus(5.0 / 24, 29.0 / 160, 1), Focus(5.0 / 24, 29.0 / 160, -1),
           "unstable focus"},
          {kR, 0, -1, kR / (1 + kR) - kMort, "saddle"}}},
        {"saddle-node: a zero eigenvalue",
         [](auto x, auto y) { return x * x - y; },
         [](auto, auto y) { return -y; },
         {-1, 1, -1, 1},
         {{0, 0, -1, 0, "degenerate"}}},
        {"centre off the grid nodes",
         [](auto, auto y) { return y - 0.7071; },
         [](auto x, auto) { return -(x - 0.3183); },
         {0, 1, 0, 1},
         {{0.3183, 0.7071, {0, 1}, {0, -1}, "centre"}}},
        {"a pole makes no equilibrium",
         [](auto x, auto) { return 1 / (x - 3) - 1; },
         [](auto, auto y) { return y - 1; },
         {0.013, 10.013, 0, 2},
         {{4, 1, -1, 1, "saddle"}}},
        {"none in the range",
         [](auto x, auto) { return 1 + 0 * x; },
         [](auto, auto y) { return y; },
         {-1, 1, -1, 1},
         {}},
    };
}

TEST(Equilibria, ClosedFormModels) {
    for (const TCase& t : Cases()) {
        SCOPED_TRACE(t.what);
        TDualModel model(t.rate1, t.rate2);
        const TEquilibria found = FindEquilibria(model, t.box);
        EXPECT_EQ(found.error, "");
        ASSERT_EQ(found.points.size(), t.points.size());
        const double tol = 1e-9 * t.box.Extent();
        for (std::size_t k = 0; k < t.points.size(); ++k) {
            const TExpected& want = t.points[k];
            const TEquilibrium& got = found.points[k];
            EXPECT_NEAR(got.n1, want.n1, tol);
            EXPECT_NEAR(got.n2, want.n2, tol);
            EXPECT_NEAR(got.stability.lambda1.real(), want.lambda1.real(), 1e-9);
            EXPECT_NEAR(got.stability.lambda1.imag(), want.lambda1.imag(), 1e-9);
            EXPECT_NEAR(got.stability.lambda2.real(), want.lambda2.real(), 1e-9);
            EXPECT_NEAR(got.stability.lambda2.imag(), want.lambda2.imag(), 1e-9);
            EXPECT_EQ(std::string(KindName(got.stability.kind)), want.kind);
        }
    }
}

TEST(Equilibria, DefaultBox) {
    const struct {
        double n1, n2, top;
    } cases[] = {{40, 9, 400}, {10, 15, 150}, {0.5, 0.2, 10}, {-3, 0, 10}, {NAN, 2, 20}};
    for (const auto& c : cases) {
        const TPlaneRect box = DefaultBox(c.n1, c.n2);
        EXPECT_EQ(box.n1Min, 0);
        EXPECT_EQ(box.n2Min, 0);
        EXPECT_EQ(box.n1Max, c.top);
        EXPECT_EQ(box.n2Max, c.top);
    }
}

TEST(Equilibria, OnAnAxisExactlyOnIt) {
    // Newton lands on an axis equilibrium a rounding error or a denormal off
    // it (slowly, where an eigenvalue is 0); the result is put back on the
    // axis so that it prints as 0.
    TDualModel saddleNode([](auto x, auto y) { return x * x - y; },
                          [](auto, auto y) { return -y; });
    TDualModel lotkaVolterra([](auto x, auto y) { return a * x - b * x * y; },
                             [](auto x, auto y) { return -c * y + d * x * y; });
    for (TPlaneModel* model :
         {static_cast<TPlaneModel*>(&saddleNode), static_cast<TPlaneModel*>(&lotkaVolterra)}) {
        const TEquilibria found = FindEquilibria(*model, {-1.13, 100, -1.27, 100});
        ASSERT_FALSE(found.points.empty());
        EXPECT_EQ(found.points[0].n1, 0.0);
        EXPECT_EQ(found.points[0].n2, 0.0);
        EXPECT_FALSE(std::signbit(found.points[0].n1));
        EXPECT_FALSE(std::signbit(found.points[0].n2));
    }
}

// Competition with coexistence, raising the platform's fault at every point
// of a strip between its equilibria.
class TFaultyStrip : public TDualModel {
public:
    TFaultyStrip()
        : TDualModel([](auto x, auto y) { return x * (1 - x - 0.5 * y); },
                     [](auto x, auto y) { return y * (1 - y - 0.5 * x); }) {}
    double Rate(int which, double N1, double N2) override {
        Check(N1);
        return TDualModel::Rate(which, N1, N2);
    }
    TRateGradient RateGradient(int which, double N1, double N2) override {
        Check(N1);
        return TDualModel::RateGradient(which, N1, N2);
    }
    int faults = 0;

private:
    void Check(double N1) {
        if (N1 > 1.4 && N1 < 1.6) {
            ++faults;
            throw EZeroDivide();
        }
    }
};

TEST(Equilibria, FaultsAtSinglePointsAreSkipped) {
    TFaultyStrip model;
    const TEquilibria found = FindEquilibria(model, {0, 2, 0, 2});
    EXPECT_GT(model.faults, 0);
    EXPECT_EQ(found.error, "");
    EXPECT_EQ(found.points.size(), 4u);
}

class TRatesOnly : public TPlaneModel {
public:
    double Rate(int which, double N1, double N2) override { return which == 0 ? N1 : N2; }
};

TEST(Equilibria, SearchesThatCannotRunSayWhy) {
    TRatesOnly noGradient;
    EXPECT_EQ(FindEquilibria(noGradient, {-1, 1, -1, 1}).error, kNoDerivatives);

    TDualModel model([](auto x, auto) { return x; }, [](auto, auto y) { return y; });
    for (const TPlaneRect& box : {TPlaneRect{1, 1, 0, 1}, TPlaneRect{0, 1, 2, 1},
                                  TPlaneRect{0, NAN, 0, 1}, TPlaneRect{-1e308, 1e308, 0, 1}}) {
        const TEquilibria found = FindEquilibria(model, box);
        EXPECT_EQ(found.error, kEmptyRange);
        EXPECT_TRUE(found.points.empty());
    }

    TDualModel nowhere([](auto x, auto) { return sqrt(-1 - x * x); },
                       [](auto, auto y) { return y; });
    EXPECT_EQ(FindEquilibria(nowhere, {-1, 1, -1, 1}).error, kNowhereFinite);

    // The rates the window starts with, and a line of equilibria at N2 = 0.5.
    TDualModel zero([](auto x, auto) { return 0 * x; }, [](auto x, auto) { return 0 * x; });
    TDualModel line([](auto x, auto y) { return (y - 0.5) * x; },
                    [](auto x, auto y) { return (y - 0.5) * (1 + x); });
    for (TPlaneModel* model :
         {static_cast<TPlaneModel*>(&zero), static_cast<TPlaneModel*>(&line)}) {
        const TEquilibria found = FindEquilibria(*model, {0, 1, 0, 1});
        EXPECT_EQ(found.error, kNotIsolated);
        EXPECT_TRUE(found.points.empty());
    }
}

} // namespace
