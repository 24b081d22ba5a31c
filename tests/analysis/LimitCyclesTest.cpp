#include "LimitCycles.h"

#include "Solver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

namespace {

using std::numbers::pi;

struct TCompiled {
    TCompiledModel model;
    TEquilibria equilibria;
    TCompiled(const std::string& rate1, const std::string& rate2, const TPlaneRect& box) {
        std::vector<ParameterRow> rows;
        model.Compile(rows, rate1, rate2);
        equilibria = FindEquilibria(model, box);
    }
};

// The period of the cycle through (n1, n2) by another integrator: the run's
// Dormand-Prince at tight tolerances, forward in time for a stable cycle and
// backward for an unstable one, timing returns to the level of N1 at the
// point after a few periods have let the orbit settle; and the least N1 of
// its last period, sampled a thousand times a period (to about 1E-5 of it).
struct TReference {
    double period = 0;
    double n1Min = 0;
};

TReference Reference(const std::string& rate1, const std::string& rate2, const TLimitCycle& c) {
    TCompiledModel model;
    std::vector<ParameterRow> rows;
    model.Compile(rows, rate1, rate2);
    TSolver solver;
    solver.Attach(model, {sm_RK45, 1e-12, 1e-300});
    const double level = (c.n1Min + c.n1Max) / 2;
    solver.Watch([level](double n1, double) { return n1 - level; });
    double t = 0, n1 = c.n1, n2 = c.n2;
    const double dt = c.period / 1000;
    const bool forward = c.kind == TCycleKind::Stable;
    TReference r{0, HUGE_VAL};
    for (int i = 0; i < 1000 * 8; ++i) {
        forward ? solver.Step(t, dt, n1, n2) : solver.StepBackward(t, dt, n1, n2);
        if (i >= 1000 * 7) r.n1Min = std::min(r.n1Min, n1);
    }
    std::vector<double> times;
    for (const TCrossing& x : solver.Crossings())
        if (x.direction == solver.Crossings().back().direction) times.push_back(x.t);
    r.period = std::fabs(times.back() - times[times.size() - 2]);
    return r;
}

struct TExpectedCycle {
    double period;
    double n1Min, n1Max, n2Min, n2Max;
    double multiplier;
    TCycleKind kind;
};

struct TCase {
    const char* what;
    std::string rate1, rate2;
    TPlaneRect box;
    std::vector<TExpectedCycle> cycles; // ordered by period, then N1max
    bool centre = false;
};

// Around (5, 5) the radius obeys r' = −0.1·r(r − 1)(r − 2) and the angle
// turns at 1: an unstable cycle of radius 1 and a stable one of radius 2,
// both of period 2π, with multipliers exp(2π·g′(r)): e^{0.2π} and e^{−0.4π}.
const std::string kRadius = "sqrt((N1-5)^2+(N2-5)^2)";
const std::string kGrowth = "(-0.1*(" + kRadius + "-1)*(" + kRadius + "-2))";
const std::string kHopf1 = kGrowth + "*(N1-5)-(N2-5)";
const std::string kHopf2 = kGrowth + "*(N2-5)+(N1-5)";

// r' = −0.1·r(r − 1.5)²(r − 3): a fold of cycles at radius 1.5, where orbits
// inside wind out and orbits outside wind in too, and a stable cycle at 3.
const std::string kFold = "(-0.1*(" + kRadius + "-1.5)^2*(" + kRadius + "-3))";

const double kSlowPeriod = 2 * pi / std::sqrt(1e-4 * (1e-4 + 2));

std::vector<TCase> Cases() {
    const TCycleKind stable = TCycleKind::Stable, unstable = TCycleKind::Unstable;
    const TCycleKind fold = TCycleKind::SemiStable;
    return {
        {"a stable and an unstable circle",
         kHopf1,
         kHopf2,
         {0, 10, 0, 10},
         {{2 * pi, 4, 6, 4, 6, std::exp(0.2 * pi), unstable},
          {2 * pi, 3, 7, 3, 7, std::exp(-0.4 * pi), stable}}},
        {"a cycle partly outside the box",
         kHopf1,
         kHopf2,
         {0, 6.5, 0, 6.5},
         {{2 * pi, 4, 6, 4, 6, std::exp(0.2 * pi), unstable},
          {2 * pi, 3, 7, 3, 7, std::exp(-0.4 * pi), stable}}},
        {"a fold of cycles inside a stable cycle",
         kFold + "*(N1-5)-(N2-5)",
         kFold + "*(N2-5)+(N1-5)",
         {0, 10, 0, 10},
         {{2 * pi, NAN, NAN, NAN, NAN, NAN, fold}, {2 * pi, 2, 8, 2, 8, NAN, stable}}},
        // r' = r(1 − r), θ' = μ + 1 − cos θ: the unit circle, slowed to a crawl
        // where a saddle and a node are about to be born on it, with period
        // 2π/√(μ(μ + 2)) and multiplier exp(−T), as ∮ sin θ dt vanishes.
        {"a cycle of period 444 beside the ghost of a saddle-node",
         "N1*(1-sqrt(N1^2+N2^2))-N2*(1.0001-N1/sqrt(N1^2+N2^2))",
         "N2*(1-sqrt(N1^2+N2^2))+N1*(1.0001-N1/sqrt(N1^2+N2^2))",
         {-2, 2, -2, 2},
         {{kSlowPeriod, -1, 1, -1, 1, std::exp(-kSlowPeriod), stable}}},
        {"van der Pol at mu = 1, shifted: period 6.6632868593231",
         "N2-5",
         "(1-(N1-5)^2)*(N2-5)-(N1-5)",
         {0, 10, 0, 10},
         // Extremes and multiplier: from the finder's own return map below.
         {{6.6632868593231302, NAN, NAN, NAN, NAN, NAN, stable}}},
        {"a relaxation cycle: the prey falls to 1E-16 of its peak",
         "0.8*N1*(1-N1/600)-0.05*N1*N2/(1+0.01*N1)",
         "0.025*N1*N2/(1+0.01*N1)-0.3*N2",
         {0, 500, 0, 500},
         {{NAN, NAN, NAN, NAN, NAN, NAN, stable}}},
        {"a cycle whose prey passes its minimum at 0.004, where the library once named no root",
         "0.8*N1*(1-N1/132.162642045454)-0.08*N1*N2/(1+0.08*0.2*N1)",
         "0.5*0.08*N1*N2/(1+0.08*0.2*N1)-0.3*N2",
         {0, 500, 0, 500},
         {{NAN, NAN, NAN, NAN, NAN, NAN, stable}}},
        {"cycles around three equilibria: a double well with damping that changes sign",
         "N2",
         "N1-N1^3-N2*(N1^2-0.8)",
         {-3, 3, -3, 3},
         {{NAN, NAN, NAN, NAN, NAN, NAN, stable}, {NAN, NAN, NAN, NAN, NAN, NAN, unstable}}},
        {"Lotka-Volterra: closed orbits around a centre",
         "N1*(1-N2)",
         "N2*(N1-1)",
         {0, 4, 0, 4},
         {},
         true},
        {"a damped focus", "-0.1*(N1-5)-(N2-5)", "(N1-5)-0.1*(N2-5)", {0, 10, 0, 10}, {}},
    };
}

void PrintTo(const TCase& c, std::ostream* out) {
    *out << c.what;
}

std::string Listed(const TLimitCycles& found) {
    std::string text;
    for (const TLimitCycle& c : found.cycles)
        text += "\n  period " + std::to_string(c.period) + " N1 " + std::to_string(c.n1Min) + ".." +
                std::to_string(c.n1Max) + " N2 " + std::to_string(c.n2Min) + ".." +
                std::to_string(c.n2Max) + " multiplier " + std::to_string(c.multiplier) + " " +
                CycleKindName(c.kind);
    for (const std::string& note : found.unresolved)
        text += "\n  " + note;
    return text;
}

class Cycles : public testing::TestWithParam<TCase> {};

TEST_P(Cycles, FoundWithPeriodExtentAndMultiplier) {
    const TCase c = GetParam();
    TCompiled m(c.rate1, c.rate2, c.box);
    const TLimitCycles found = FindLimitCycles(m.model, c.box, m.equilibria);
    EXPECT_EQ(found.error, "");
    EXPECT_EQ(found.centre, c.centre);
    EXPECT_TRUE(found.unresolved.empty()) << Listed(found);
    ASSERT_EQ(found.cycles.size(), c.cycles.size()) << Listed(found);
    const double extent = c.box.Extent();
    for (size_t i = 0; i < c.cycles.size(); ++i) {
        const TExpectedCycle& e = c.cycles[i];
        const TLimitCycle& got = found.cycles[i];
        double period = e.period;
        if (std::isnan(period)) {
            const TReference r = Reference(c.rate1, c.rate2, got);
            period = r.period;
            // Sampled, the reference's least N1 lies a little above the true
            // one; found where the rate vanishes, the finder's is the least.
            EXPECT_NEAR(got.n1Min, r.n1Min, 1e-4 * std::fabs(r.n1Min) + 1e-9 * extent) << i;
            EXPECT_LE(got.n1Min, r.n1Min) << i;
        }
        EXPECT_NEAR(got.period, period, 1e-7 * period) << i;
        if (!std::isnan(e.n1Min)) {
            EXPECT_NEAR(got.n1Min, e.n1Min, 1e-7 * extent) << i;
            EXPECT_NEAR(got.n1Max, e.n1Max, 1e-7 * extent) << i;
            EXPECT_NEAR(got.n2Min, e.n2Min, 1e-7 * extent) << i;
            EXPECT_NEAR(got.n2Max, e.n2Max, 1e-7 * extent) << i;
        }
        if (!std::isnan(e.multiplier)) {
            EXPECT_NEAR(got.multiplier, e.multiplier, 1e-4 * e.multiplier) << i;
        }
        EXPECT_EQ(got.kind, e.kind) << i;
        ASSERT_GE(got.path.size(), 3u);
        EXPECT_EQ(got.path.front().n1, got.path.back().n1);
        EXPECT_EQ(got.path.front().n2, got.path.back().n2);
    }
}

INSTANTIATE_TEST_SUITE_P(LimitCycles, Cycles, testing::ValuesIn(Cases()));

} // namespace

namespace {

// A search asked to stop before it begins follows no orbit, says so, and
// leaves the densities' cells as they were, as does a search that ran.
TEST(LimitCycles, CancelledOrNotLeavesTheModelAsItWas) {
    const TPlaneRect box{0, 10, 0, 10};
    TCompiled m(kHopf1, kHopf2, box);
    for (const bool cancel : {true, false}) {
        m.model.Store(1.25, 2.5);
        const std::atomic<bool> stop{cancel};
        TCycleOptions options;
        options.cancel = &stop;
        const long long before = m.model.Evaluations();
        const TLimitCycles found = FindLimitCycles(m.model, box, m.equilibria, options);
        EXPECT_EQ(found.cancelled, cancel);
        EXPECT_EQ(found.cycles.size(), cancel ? 0u : 2u);
        EXPECT_EQ(m.model.Evaluations() == before, cancel);
        EXPECT_EQ(m.model.StoredN1(), 1.25);
        EXPECT_EQ(m.model.StoredN2(), 2.5);
    }
}

} // namespace
