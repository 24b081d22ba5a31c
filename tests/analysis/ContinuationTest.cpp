#include "Continuation.h"
#include "LimitCycles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct TSpecial {
    TSpecialPoint label;
    double p, n1, n2;
};

struct TCase {
    const char* what;
    std::vector<ParameterRow> rows;
    std::string rate1, rate2;
    const char* parameter;
    TContinuationOptions options;
    std::vector<TSpecial> special; // each listed once, in any order
    int branches;
};

void PrintTo(const TCase& c, std::ostream* out) {
    *out << c.what;
}

ParameterRow Row(const char* name, double value) {
    return {name, std::to_string(value), ""};
}

std::vector<TCase> Cases() {
    using enum TSpecialPoint;
    return {
        {"a competitor invades where a12 = K1/K2: a branch point, the other branch followed",
         {Row("a12", 0.5)},
         "0.6*N1*(1-(N1+a12*N2)/100)",
         "0.8*N2*(1-(N2+1.2*N1)/80)",
         "a12",
         {0, 2, {0, 150, 0, 150}},
         {{BranchPoint, 1.25, 0, 80}},
         4},
        {"constant harvest folds the logistic branch at H = rK/4",
         {Row("H", 1)},
         "N1*(1-N1/100)-H",
         "-N2",
         "H",
         {0, 40, {0, 200, 0, 200}},
         {{Fold, 25, 50, 0}},
         1},
        {"the paradox of enrichment: a Hopf point at K = 1400/11",
         {Row("K", 100)},
         "0.8*N1*(1-N1/K)-0.05*N1*N2/(1+0.01*N1)",
         "0.025*N1*N2/(1+0.01*N1)-0.3*N2",
         "K",
         {50, 200, {0, 500, 0, 500}},
         {{HopfSupercritical, 1400.0 / 11, 150.0 / 11, 0}},
         3},
        {"a pitchfork of the symmetric equilibrium of a competition model, where the "
         "asymmetric pair is born; it ends in the invasion points on the axes",
         {Row("a", 0.5)},
         "N1*(1-N1-a*N2^2)",
         "N2*(1-N2-a*N1^2)",
         "a",
         {0.3, 1.2, {0, 2, 0, 2}},
         {{BranchPoint, 0.75, 2.0 / 3, 2.0 / 3}, {BranchPoint, 1, 0, 1}, {BranchPoint, 1, 1, 0}},
         5},
        {"Lotka-Volterra: a centre all along, no Hopf point",
         {Row("a", 0.5)},
         "a*N1-0.02*N1*N2",
         "-0.5*N2+0.01*N1*N2",
         "a",
         {0.1, 1, {0, 100, 0, 100}},
         {},
         2},
    };
}

class Continuation : public testing::TestWithParam<TCase> {};

// Each special point once, at its closed-form value to 1E-8 relative; every
// branch found once, ending at the range's ends or the box's edges.
TEST_P(Continuation, SpecialPointsAtTheirClosedForms) {
    TCase c = GetParam();
    TCompiledModel model;
    model.Compile(c.rows, c.rate1, c.rate2);
    const std::size_t index = std::size_t(model.ParameterIndex(c.parameter));
    const double before = model.Parameter(index);
    const TContinuation found = ContinueEquilibria(model, index, c.options);
    EXPECT_EQ(found.error, "");
    EXPECT_TRUE(found.stopped.empty()) << found.stopped.front();
    EXPECT_EQ(model.Parameter(index), before);
    EXPECT_EQ(int(found.branches.size()), c.branches);
    std::vector<TBranchRow> labelled;
    const TPlaneRect& box = c.options.box;
    const double lo = std::min(c.options.from, c.options.to);
    const double hi = std::max(c.options.from, c.options.to);
    for (const TBranch& b : found.branches) {
        ASSERT_GE(b.rows.size(), 2u);
        for (const TBranchRow& r : b.rows) {
            if (r.label != TSpecialPoint::None) labelled.push_back(r);
            EXPECT_TRUE(r.p >= lo - 1e-12 && r.p <= hi + 1e-12) << r.p;
        }
        const TBranchRow& end = b.rows.back();
        const double edge = std::min({end.n1 - box.n1Min, box.n1Max - end.n1, end.n2 - box.n2Min,
                                      box.n2Max - end.n2, end.p - lo, hi - end.p});
        EXPECT_NEAR(edge, 0, 1e-6 * box.Extent()) << "a branch ends inside at " << end.p;
    }
    ASSERT_EQ(labelled.size(), c.special.size());
    for (const TSpecial& s : c.special) {
        const auto at = std::find_if(labelled.begin(), labelled.end(), [&](const TBranchRow& r) {
            return r.label == s.label && std::fabs(r.p - s.p) <= 1e-6 * std::fabs(s.p) &&
                   std::fabs(r.n1 - s.n1) <= 1e-6 * box.Extent();
        });
        ASSERT_NE(at, labelled.end()) << SpecialLabel(s.label);
        EXPECT_NEAR(at->p, s.p, 1e-8 * std::fabs(s.p)) << SpecialLabel(s.label);
        EXPECT_NEAR(at->n1, s.n1, 1e-7 * box.Extent()) << SpecialLabel(s.label);
        if (s.label != TSpecialPoint::HopfSupercritical) {
            EXPECT_NEAR(at->n2, s.n2, 1e-7 * box.Extent()) << SpecialLabel(s.label);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Continuation, Continuation, testing::ValuesIn(Cases()));

// Along the paradox branch the equilibrium is stable below the Hopf point
// and unstable above it, as the trace of its Jacobian, −0.8·N1/K + ..., says.
TEST(ContinuationStability, ChangesAtTheHopfPoint) {
    std::vector<ParameterRow> rows{Row("K", 100)};
    TCompiledModel model;
    model.Compile(rows, "0.8*N1*(1-N1/K)-0.05*N1*N2/(1+0.01*N1)", "0.025*N1*N2/(1+0.01*N1)-0.3*N2");
    const TContinuation found = ContinueEquilibria(model, 0, {50, 200, {0, 500, 0, 500}});
    int checked = 0;
    for (const TBranch& b : found.branches)
        for (const TBranchRow& r : b.rows)
            if (std::fabs(r.n1 - 150.0 / 11) < 1e-6 && r.label == TSpecialPoint::None &&
                std::fabs(r.p - 1400.0 / 11) > 1e-6) {
                EXPECT_EQ(r.stable, r.p < 1400.0 / 11) << r.p;
                ++checked;
            }
    EXPECT_GT(checked, 50);
}

} // namespace

namespace {

// The cycles born at the supercritical Hopf point of the paradox of
// enrichment: the branch starts at the Hopf point with the period 2π/ω of the
// linearisation, its cycles are stable, and at the range's end its cycle is
// the one the search over the whole plane finds there.
TEST(ContinuationCycles, GrowFromTheHopfPointToTheCycleFoundAtTheEnd) {
    std::vector<ParameterRow> rows{Row("K", 100)};
    TCompiledModel model;
    model.Compile(rows, "0.8*N1*(1-N1/K)-0.05*N1*N2/(1+0.01*N1)", "0.025*N1*N2/(1+0.01*N1)-0.3*N2");
    const TPlaneRect box{0, 500, 0, 500};
    const TContinuation found = Continue(model, 0, {50, 200, box});
    EXPECT_TRUE(found.stopped.empty()) << found.stopped.front();
    const TBranch* cycles = nullptr;
    for (const TBranch& b : found.branches)
        if (b.object == TBranchObject::Cycle) cycles = &b;
    ASSERT_NE(cycles, nullptr);
    const TBranchRow& first = cycles->rows.front();
    EXPECT_NEAR(first.p, 1400.0 / 11, 1e-8 * 1400 / 11);
    model.Set("K", first.p);
    const TJacobian atHopf = model.Jacobian(first.n1, first.n2).jacobian;
    const double omega = std::sqrt(atHopf.d1dN1 * atHopf.d2dN2 - atHopf.d1dN2 * atHopf.d2dN1);
    EXPECT_NEAR(first.period, 2 * std::numbers::pi / omega, 1e-9 * first.period);
    for (size_t i = 1; i < cycles->rows.size(); ++i) {
        EXPECT_TRUE(cycles->rows[i].stable) << cycles->rows[i].p;
        EXPECT_GT(cycles->rows[i].period, cycles->rows[i - 1].period) << cycles->rows[i].p;
    }
    const TBranchRow& last = cycles->rows.back();
    ASSERT_EQ(last.p, 200);
    model.Set("K", 200);
    const TLimitCycles reference = FindLimitCycles(model, box, FindEquilibria(model, box));
    ASSERT_EQ(reference.cycles.size(), 1u);
    EXPECT_NEAR(last.period, reference.cycles[0].period, 1e-7 * last.period);
    EXPECT_NEAR(last.n1Max, reference.cycles[0].n1Max, 1e-7 * box.Extent());
}

} // namespace

namespace {

// Around (5, 5), r' = r(μ + r² − r⁴) and θ' = 1: a subcritical Hopf point at
// μ = 0 whose unstable cycles, of radius √((1 − √(1 + 4μ))/2), grow as μ
// falls until they meet the stable ones, of radius √((1 + √(1 + 4μ))/2), at
// the fold μ = −1/4; the branch turns there and goes on with the stable ones.
TEST(ContinuationCycles, SubcriticalHopfPointAndTheFoldOfItsCycles) {
    const std::string r2 = "((N1-5)^2+(N2-5)^2)";
    const std::string g = "(mu+" + r2 + "-" + r2 + "^2)";
    std::vector<ParameterRow> rows{Row("mu", 0.1)};
    TCompiledModel model;
    model.Compile(rows, "(N1-5)*" + g + "-(N2-5)", "(N2-5)*" + g + "+(N1-5)");
    const TPlaneRect box{0, 10, 0, 10};
    const TContinuation found = Continue(model, 0, {-0.5, 0.5, box});
    EXPECT_TRUE(found.stopped.empty()) << found.stopped.front();
    ASSERT_EQ(found.branches.size(), 2u);
    const TBranch& equilibria = found.branches[0];
    const auto hopf =
        std::find_if(equilibria.rows.begin(), equilibria.rows.end(),
                     [](const TBranchRow& r) { return r.label != TSpecialPoint::None; });
    ASSERT_NE(hopf, equilibria.rows.end());
    EXPECT_EQ(hopf->label, TSpecialPoint::HopfSubcritical);
    EXPECT_NEAR(hopf->p, 0, 1e-12);
    const TBranch& cycles = found.branches[1];
    ASSERT_EQ(cycles.object, TBranchObject::Cycle);
    const auto fold = std::find_if(cycles.rows.begin(), cycles.rows.end(), [](const TBranchRow& r) {
        return r.label == TSpecialPoint::CycleFold;
    });
    ASSERT_NE(fold, cycles.rows.end());
    EXPECT_NEAR(fold->p, -0.25, 1e-8);
    EXPECT_NEAR(fold->n1Max - 5, std::sqrt(0.5), 1e-4);
    EXPECT_EQ(cycles.rows.back().p, 0.5);
    for (auto r = cycles.rows.begin() + 1; r != cycles.rows.end(); ++r) {
        if (r == fold) continue;
        const bool outer = r > fold;
        EXPECT_EQ(r->stable, outer) << r->p;
        EXPECT_NEAR(r->period, 2 * std::numbers::pi, 1e-7 * r->period) << r->p;
        // Right at the fold a cycle's radius hangs on the square root of
        // the distance to it: pinned down as well, it is known less well.
        const double root = std::sqrt(1 + 4 * r->p);
        const double radius = std::sqrt((1 + (outer ? root : -root)) / 2);
        if (r->p > -0.249) {
            EXPECT_NEAR(r->n1Max - 5, radius, 1e-6) << r->p;
        }
    }
}

} // namespace

namespace {

// Around (5, 5), ρ = r², ρ' = 2ρ·(0.36 − (μ − 0.6)² − (ρ − 0.5)²) and θ' = 1:
// the cycles lie on a circle in (μ, ρ) that meets ρ = 0 at two subcritical
// Hopf points, μ = 0.6 ± √0.11, and turns at the folds μ = 0.6 ± 0.6, where
// ρ = 0.5. One branch joins the two Hopf points through both folds.
TEST(ContinuationCycles, OneBranchJoinsTwoHopfPointsThroughBothFolds) {
    const std::string rho = "((N1-5)^2+(N2-5)^2)";
    const std::string g = "(0.36-(mu-0.6)^2-(" + rho + "-0.5)^2)";
    std::vector<ParameterRow> rows{Row("mu", 0.6)};
    TCompiledModel model;
    model.Compile(rows, "(N1-5)*" + g + "-(N2-5)", "(N2-5)*" + g + "+(N1-5)");
    const TContinuation found = Continue(model, 0, {-0.2, 1.5, {0, 10, 0, 10}});
    EXPECT_TRUE(found.stopped.empty()) << found.stopped.front();
    std::vector<const TBranch*> cycles;
    for (const TBranch& b : found.branches)
        if (b.object == TBranchObject::Cycle) cycles.push_back(&b);
    ASSERT_EQ(cycles.size(), 1u);
    const std::vector<TBranchRow>& branch = cycles[0]->rows;
    const double hopf = std::sqrt(0.11);
    EXPECT_NEAR(std::min(branch.front().p, branch.back().p), 0.6 - hopf, 1e-9);
    EXPECT_NEAR(std::max(branch.front().p, branch.back().p), 0.6 + hopf, 1e-9);
    std::vector<double> folds;
    for (const TBranchRow& r : branch) {
        if (r.label == TSpecialPoint::CycleFold) {
            folds.push_back(r.p);
            EXPECT_NEAR(r.n1Max - 5, std::sqrt(0.5), 1e-4) << r.p;
        }
        // Stable on the circle's outer half, ρ > 0.5.
        const double radius = (r.n1Max - r.n1Min) / 2;
        if (std::fabs(radius * radius - 0.5) > 1e-3 && r.period > 0) {
            EXPECT_EQ(r.stable, radius * radius > 0.5) << r.p;
            EXPECT_NEAR(r.period, 2 * std::numbers::pi, 1e-7) << r.p;
        }
    }
    std::sort(folds.begin(), folds.end());
    ASSERT_EQ(folds.size(), 2u);
    EXPECT_NEAR(folds[0], 0, 1e-8);
    EXPECT_NEAR(folds[1], 1.2, 1e-8);
}

} // namespace

namespace {

// Cycles that end in a loop through saddles, their period growing without
// bound: where the branch says so, the search over the plane finds the cycle
// just inside and none just past.
struct LoopCase {
    const char* name;
    std::vector<ParameterRow> rows;
    std::string rate1, rate2;
    double from, to;
    TPlaneRect box;
    double beside; // how far inside and past the end the plane is searched
};

std::ostream& operator<<(std::ostream& os, const LoopCase& c) {
    return os << c.name;
}

class ContinuationLoops : public testing::TestWithParam<LoopCase> {};

TEST_P(ContinuationLoops, EndWhereTheCyclesMeetASaddle) {
    const LoopCase& c = GetParam();
    std::vector<ParameterRow> rows = c.rows;
    TCompiledModel model;
    model.Compile(rows, c.rate1, c.rate2);
    const TContinuation found = Continue(model, 0, {c.from, c.to, c.box});
    EXPECT_TRUE(found.stopped.empty()) << found.stopped.front();
    const TBranch* cycles = nullptr;
    for (const TBranch& b : found.branches)
        if (b.object == TBranchObject::Cycle) cycles = &b;
    ASSERT_NE(cycles, nullptr);
    const TBranchRow& end = cycles->rows.back();
    ASSERT_EQ(end.label, TSpecialPoint::Homoclinic);
    EXPECT_GT(end.period, 2.5 * cycles->rows.front().period);
    const double inside = cycles->rows.front().p < end.p ? -1 : 1;
    for (const double side : {inside, -inside}) {
        model.Set(c.rows[0].name, end.p + side * c.beside);
        const TLimitCycles there = FindLimitCycles(model, c.box, FindEquilibria(model, c.box));
        EXPECT_EQ(there.cycles.size(), side == inside ? 1u : 0u) << end.p + side * c.beside;
    }
}

INSTANTIATE_TEST_SUITE_P(ContinuationCycles, ContinuationLoops,
                         testing::Values(
                             // The unfolding of a Bogdanov–Takens point, x' = y,
                             // y' = β1 − x + x² − xy about (5, 5): the cycles born at the Hopf
                             // point β1 = 0 grow into a loop through the saddle as β1 falls.
                             LoopCase{"homoclinic",
                                      {Row("b1", -0.1)},
                                      "N2-5",
                                      "b1-(N1-5)+(N1-5)^2-(N1-5)*(N2-5)",
                                      -0.5,
                                      0.1,
                                      {0, 10, 0, 10},
                                      1e-4},
                             // Prey with an Allee threshold at 20 and capacity 100 under a
                             // predator: the cycles born at a = 1/120 grow into the loop through
                             // the saddles (20, 0) and (100, 0) within 1.4E-4 of it.
                             LoopCase{"heteroclinic",
                                      {Row("a", 0.01)},
                                      "N1*(N1/20-1)*(1-N1/100)-a*N1*N2",
                                      "0.5*a*N1*N2-0.25*N2",
                                      0,
                                      0.02,
                                      {0, 1000, 0, 1000},
                                      1e-6}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
