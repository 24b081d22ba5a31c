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

// Each case's equilibria, each once, where they are and of their kind.
void ExpectFound(const std::vector<TCase>& cases) {
    for (const TCase& t : cases) {
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

TEST(Equilibria, ClosedFormModels) {
    ExpectFound(Cases());
}

// The eigenvalues of [[a, b], [c, d]] when they are real, ascending.
std::pair<double, double> RealEigen(double a, double b, double c, double d) {
    const double half = (a + d) / 2, root = std::sqrt(half * half - (a * d - b * c));
    return {half - root, half + root};
}

TEST(Equilibria, ThoseCloserThanAGridCellAreEachFound) {
    // The box 0 to 99.3 makes grid cells 0.4965 wide, nodes off the round
    // values. A parabola crossed by a line near its vertex: a node and a
    // saddle 2·d apart, with the eigenvalues ±2·d and 1.
    const auto parabola = [](double d) {
        return TCase{"",
                     [](TDual x, TDual y) { return (y - 40) - (x - 50.125) * (x - 50.125); },
                     [d](TDual, TDual y) { return y - 40 - d * d; },
                     {0, 99.3, 0, 99.3},
                     {{50.125 - d, 40 + d * d, 2 * d, 1, "unstable node"},
                      {50.125 + d, 40 + d * d, -2 * d, 1, "saddle"}}};
    };
    std::vector<TCase> cases = {parabola(0.1), parabola(0.001)};
    cases[0].what = "0.2 apart, in the grid's rows";
    cases[1].what = "0.002 apart";
    const auto [s1, s2] = RealEigen(1, 0.2, 1, 0);
    const auto [u1, u2] = RealEigen(1, -0.2, 1, 0);
    cases.push_back(
        {"0.2 apart, across the grid's rows",
         [](auto x, auto y) { return (x - 40) - (y - 50.125) * (y - 50.125); },
         [](auto x, auto) { return x - 40.01; },
         {0, 99.3, 0, 99.3},
         {{40.01, 50.025, s1, s2, "saddle"}, {40.01, 50.225, u1, u2, "unstable node"}}});
    // A circle of radius 0.15, between the grid's nodes, cut by a line through
    // its centre.
    cases.push_back(
        {"a small closed nullcline cut by a line",
         [](auto x, auto y) { return (x - 50.3) * (x - 50.3) + (y - 40.2) * (y - 40.2) - 0.0225; },
         [](auto, auto y) { return y - 40.2; },
         {0, 99.3, 0, 99.3},
         {{50.15, 40.2, -0.3, 1, "saddle"}, {50.45, 40.2, 0.3, 1, "unstable node"}}});
    ExpectFound(cases);
}

TEST(Equilibria, NullclinesThatTouchMakeOneDegenerateEquilibrium) {
    // Written out so that the rounding of the rates hides the double root's
    // exact place from Newton's method: it stops some 1E-7 off it, on either
    // side, as a saddle or a node.
    const auto touching = [](double a, double b) {
        return TCase{"a parabola on a line",
                     [a, b](TDual x, TDual y) { return (y - b) - (x * x - 2 * a * x + a * a); },
                     [b](TDual, TDual y) { return y - b; },
                     {0, 100, 0, 100},
                     {{a, b, 0, 1, "degenerate"}}};
    };
    // A circle of radius 5 round (30.3, 40.1) on its tangent at the top.
    const TCase circle{"a circle on its tangent",
                       [](auto x, auto y) {
                           return x * x + y * y - 2 * 30.3 * x - 2 * 40.1 * y + 30.3 * 30.3 +
                                  40.1 * 40.1 - 25;
                       },
                       [](auto, auto y) { return y - 45.1; },
                       {0, 100, 0, 100},
                       {{30.3, 45.1, 0, 1, "degenerate"}}};
    ExpectFound({touching(25.3, 30.7), touching(61.1, 30.7), circle});
}

TEST(Equilibria, OnesOnAnEdgeAreFoundWhenTheyRoundToAHairOutside) {
    // The equilibrium (1/3, 1/7) and boxes with an edge or a corner on it as
    // printed to 15 digits: 0.333333333333333 lies below 1/3, ...334 above.
    const TPlaneRect boxes[] = {
        {0, 0.333333333333333, 0, 1},                 // right
        {0, 1, 0, 0.142857142857142},                 // top
        {0.333333333333334, 1, 0, 1},                 // left
        {0, 1, 0.142857142857143, 1},                 // bottom
        {0, 0.333333333333333, 0, 0.142857142857142}, // top right
        {0.333333333333334, 1, 0.142857142857143, 1}, // bottom left
    };
    for (const TPlaneRect& box : boxes) {
        TDualModel model([](auto x, auto) { return 3 * x - 1; },
                         [](auto, auto y) { return 7 * y - 1; });
        const TEquilibria found = FindEquilibria(model, box);
        ASSERT_EQ(found.points.size(), 1u)
            << box.n1Min << ":" << box.n1Max << ":" << box.n2Min << ":" << box.n2Max;
        EXPECT_NEAR(found.points[0].n1, 1.0 / 3, 1e-15);
        EXPECT_NEAR(found.points[0].n2, 1.0 / 7, 1e-15);
    }
}

// Holling–Tanner: dN2/dt = 0.2·N2·(1 − 0.5·N2/N1) is 0/0 at the origin and
// tends to 0 on the way there along N2 = 0; so does dN1/dt at (−10, 0).
TEST(Equilibria, PointsWhereARateIsUndefinedAreNone) {
    const double x = (std::sqrt(16100.0) - 110) / 2; // x² + 110·x − 1000 = 0, N2 = 2·x
    const double a = 1 - x / 50 - 20 * x / ((10 + x) * (10 + x));
    const double trace = a - 0.2, det = -0.2 * a + 0.4 * x / (10 + x);
    const TDualRate prey = [](TDual n1, TDual n2) {
        return n1 * (1 - n1 / 100) - n1 * n2 / (10 + n1);
    };
    const TDualRate predator = [](TDual n1, TDual n2) { return 0.2 * n2 * (1 - 0.5 * n2 / n1); };
    const TExpected focus{x, 2 * x, Focus(trace, det, 1), Focus(trace, det, -1), "unstable focus"};
    ExpectFound({{"the origin inside", prey, predator, {-1, 20, -1, 20}, {focus}},
                 {"the origin and (-10, 0) on the edges",
                  prey,
                  predator,
                  {-10, 110, -10, 110},
                  {focus, {100, 0, -1, 0.2, "saddle"}}}});
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
}

TEST(Equilibria, CurvesOfThemAreNamedBesideTheIsolatedOnes) {
    struct TCurveCase {
        const char* what;
        TDualRate rate1, rate2;
        TPlaneRect box;
        std::vector<TExpected> points;
        std::vector<std::string> notes;
        bool closed = false;
    };
    const std::string both = " is an equilibrium: both rates vanish along it";
    const TCurveCase cases[] = {
        {"a slanting line and an isolated point",
         [](auto x, auto y) { return (y - x / 3 - 0.1) * (x - 2); },
         [](auto x, auto y) { return (y - x / 3 - 0.1) * (y - 3); },
         {0, 4, 0, 4},
         {{2, 3, 7.0 / 3, 7.0 / 3, "unstable node"}},
         {"Every point of a curve from (0, 0.1) to (4, 1.43333)" + both}},
        {"SIR: the line N2 = 0, a grid line",
         [](auto x, auto y) { return -0.5 * x * y; },
         [](auto x, auto y) { return 0.5 * x * y - y / 7; },
         {0, 10, 0, 10},
         {},
         {"Every point of N2 = 0 with N1 from 0 to 10" + both}},
        {"a circle round an isolated point, crossed by the other nullclines",
         [](auto x, auto y) { return (x * x + y * y - 4) * (x - 1); },
         [](auto x, auto y) { return (x * x + y * y - 4) * (y - 1.5); },
         {-3, 3.1, -3, 3.2},
         {{1, 1.5, -0.75, -0.75, "stable node"}},
         {"Every point of a closed curve within N1 from -1.99999 to 1.99999 and N2 from "
          "-1.99997 to 1.99997" +
          both},
         true},
        {"dN1/dt 0 throughout",
         [](auto x, auto) { return 0 * x; },
         [](auto, auto y) { return y - 0.5; },
         {0, 1, 0, 1},
         {},
         {"Every point of N2 = 0.5 with N1 from 0 to 1 is an equilibrium: dN1/dt is 0 "
          "throughout the box and dN2/dt along it"}},
        {"both 0 throughout (the rates the window starts with)",
         [](auto x, auto) { return 0 * x; },
         [](auto x, auto) { return 0 * x; },
         {0, 1, 0, 2},
         {},
         {"Every point of the box (N1 from 0 to 1, N2 from 0 to 2) is an equilibrium: both "
          "rates are 0 throughout it"}},
    };
    for (const TCurveCase& c : cases) {
        SCOPED_TRACE(c.what);
        TDualModel model(c.rate1, c.rate2);
        const TEquilibria found = FindEquilibria(model, c.box);
        EXPECT_EQ(found.error, "");
        ASSERT_EQ(found.points.size(), c.points.size());
        for (std::size_t k = 0; k < c.points.size(); ++k) {
            EXPECT_NEAR(found.points[k].n1, c.points[k].n1, 1e-9);
            EXPECT_NEAR(found.points[k].n2, c.points[k].n2, 1e-9);
            EXPECT_EQ(std::string(KindName(found.points[k].stability.kind)), c.points[k].kind);
        }
        std::vector<std::string> notes;
        for (const TEquilibriumCurve& curve : found.curves) {
            notes.push_back(CurveNote(curve));
            EXPECT_EQ(curve.closed, c.closed);
            // Every point of the path is an equilibrium, to the grid's accuracy.
            for (const TCurvePoint& p : curve.path) {
                EXPECT_NEAR(model.Rate(0, p.n1, p.n2), 0, 1e-6);
                EXPECT_NEAR(model.Rate(1, p.n1, p.n2), 0, 1e-6);
            }
        }
        EXPECT_EQ(notes, c.notes);
    }

    // More than a hundred isolated ones are each listed: sin N1 = sin N2 = 0.
    TDualModel grid([](auto x, auto) { return sin(x); }, [](auto, auto y) { return sin(y); });
    const TEquilibria found = FindEquilibria(grid, {0.5, 40, 0.5, 40});
    EXPECT_TRUE(found.curves.empty());
    ASSERT_EQ(found.points.size(), 12u * 12u);
    for (std::size_t k = 0; k < found.points.size(); ++k) {
        const double i = double(k / 12 + 1), j = double(k % 12 + 1);
        EXPECT_NEAR(found.points[k].n1, i * M_PI, 1e-12);
        EXPECT_NEAR(found.points[k].n2, j * M_PI, 1e-12);
        EXPECT_NEAR(std::abs(found.points[k].stability.lambda1), 1, 1e-12);
    }
}

// Mutualism as the shipped example has it: the coexistence equilibrium at
// (162.5, 125) lies outside the default box 0 to 100.
TEST(Equilibria, AGrowingBoxReachesWhereNullclinesLeaveItToCross) {
    TDualModel mutualism([](auto x, auto y) { return 0.5 * x * (100 - x + 0.5 * y) / 100; },
                         [](auto x, auto y) { return 0.4 * y * (60 - y + 0.4 * x) / 60; });
    TEquilibria found = FindEquilibriaGrowing(mutualism, {0, 100, 0, 100});
    ASSERT_EQ(found.points.size(), 4u);
    EXPECT_EQ(found.points[3].n1, 162.5);
    EXPECT_EQ(found.points[3].n2, 125);
    EXPECT_EQ(std::string(KindName(found.points[3].stability.kind)), "stable node");
    EXPECT_EQ(found.box.n1Max, 200);
    EXPECT_EQ(found.box.n2Max, 200);

    // Nearly parallel lines crossing at (1000, 6): only N1's range grows.
    TDualModel lines([](auto x, auto y) { return y - 0.001 * x - 5; },
                     [](auto x, auto y) { return y - 0.002 * x - 4; });
    found = FindEquilibriaGrowing(lines, {0, 10, 0, 10});
    ASSERT_EQ(found.points.size(), 1u);
    EXPECT_NEAR(found.points[0].n1, 1000, 1e-9);
    EXPECT_NEAR(found.points[0].n2, 6, 1e-12);
    EXPECT_EQ(found.box.n1Max, 1280);
    EXPECT_EQ(found.box.n2Max, 10);

    // Lotka–Volterra: the nullclines leave the box in parallel; it stays.
    TDualModel lv([](auto x, auto y) { return a * x - b * x * y; },
                  [](auto x, auto y) { return -c * y + d * x * y; });
    found = FindEquilibriaGrowing(lv, {0, 400, 0, 400});
    EXPECT_EQ(found.points.size(), 2u);
    EXPECT_EQ(found.box.n1Max, 400);
    EXPECT_EQ(found.box.n2Max, 400);

    // N2·N1 = 10 and N2 = 0 only meet at infinity: the box stops growing
    // after three fruitless growths, or at the limit given.
    TDualModel apart([](auto x, auto y) { return x * y - 10; }, [](auto, auto y) { return y; });
    found = FindEquilibriaGrowing(apart, {0, 10, 0, 10});
    EXPECT_TRUE(found.points.empty());
    EXPECT_GT(found.box.n1Max, 10);
    EXPECT_LE(found.box.n1Max, 1e4);
    TGrowthLimits limits;
    limits.maxFactor = 5;
    EXPECT_LE(FindEquilibriaGrowing(apart, {0, 10, 0, 10}, limits).box.n1Max, 50);
    limits = {};
    limits.maxSearches = 1;
    EXPECT_EQ(FindEquilibriaGrowing(mutualism, {0, 100, 0, 100}, limits).box.n1Max, 100);
}

} // namespace
