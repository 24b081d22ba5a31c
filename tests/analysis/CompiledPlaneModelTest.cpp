#include "ClosedFormModel.h"
#include "CompiledModel.h"
#include "Equilibria.h"
#include "MathParser.h"
#include "Nullclines.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A model compiled as a run compiles it, with the state N1 = 40, N2 = 9.
struct TBoundParsers {
    TCompiledModel model;
    TMathParser& p1 = model.Parser(0);
    TMathParser& p2 = model.Parser(1);

    TBoundParsers(const char* rate1, const char* rate2) { Compile(rate1, rate2); }
    void Compile(const char* rate1, const char* rate2) {
        std::vector<ParameterRow> rows = {{"a", "0.5", "", {}}, {"b", "0.02", "", {}}};
        model.Compile(rows, rate1, rate2, 40, 9);
    }
    TCompiledModel& Model() { return model; }
    double Cell(int which, const char* name) const {
        return model.Parser(which).VariableValue(name);
    }
};

TEST(CompiledPlaneModel, RatesAtPointsLeaveTheRunsCellsAlone) {
    TBoundParsers run("a*N1-b*N1*N2", "1/(N1-3)-N2");
    TCompiledModel& model = run.Model();
    EXPECT_DOUBLE_EQ(model.Rate(0, 10, 5), 0.5 * 10 - 0.02 * 10 * 5);
    EXPECT_DOUBLE_EQ(model.Rate(1, 5, 2), 1 / 2.0 - 2);
    EXPECT_TRUE(std::isnan(model.Rate(1, 3, 2))); // the parser's division by zero
    for (int which : {0, 1})
        EXPECT_EQ(run.Cell(which, "N1"), 40);
    for (int which : {0, 1})
        EXPECT_EQ(run.Cell(which, "N2"), 9);
    EXPECT_DOUBLE_EQ(run.p1.Value(), 0.5 * 40 - 0.02 * 40 * 9);
}

TEST(CompiledPlaneModel, NullclinesAsTheClosedForm) {
    TBoundParsers run("N1*(1-N1-0.5*N2)", "N2*(1-N2-0.5*N1)");
    TCompiledModel& parsed = run.Model();
    TDualModel closed([](auto x, auto y) { return x * (1 - x - 0.5 * y); },
                      [](auto x, auto y) { return y * (1 - y - 0.5 * x); });
    const TPlaneRect box{0, 2, 0, 2};
    const TNullclines a = Nullclines(parsed, box), b = Nullclines(closed, box);
    for (int which = 0; which < 2; ++which) {
        ASSERT_EQ(a.segments[which].size(), b.segments[which].size());
        for (std::size_t k = 0; k < a.segments[which].size(); ++k) {
            EXPECT_NEAR(a.segments[which][k].n1a, b.segments[which][k].n1a, 1e-12);
            EXPECT_NEAR(a.segments[which][k].n2b, b.segments[which][k].n2b, 1e-12);
        }
    }
}

// The compiled rate laws give the same equilibria, eigenvalues and kinds as
// the closed form, through their exact gradients.
TEST(CompiledPlaneModel, EquilibriaAsTheClosedForm) {
    TBoundParsers run("N1*(1-N1-0.5*N2)", "N2*(1-N2-0.5*N1)");
    TCompiledModel& parsed = run.Model();
    ASSERT_TRUE(parsed.HasGradient());
    TDualModel closed([](auto x, auto y) { return x * (1 - x - 0.5 * y); },
                      [](auto x, auto y) { return y * (1 - y - 0.5 * x); });
    const TPlaneRect box{-0.5, 2, -0.5, 2};
    const TEquilibria a = FindEquilibria(parsed, box), b = FindEquilibria(closed, box);
    ASSERT_TRUE(a.error.empty()) << a.error;
    ASSERT_EQ(a.points.size(), 4u);
    ASSERT_EQ(a.points.size(), b.points.size());
    for (std::size_t k = 0; k < a.points.size(); ++k) {
        EXPECT_NEAR(a.points[k].n1, b.points[k].n1, 1e-12);
        EXPECT_NEAR(a.points[k].n2, b.points[k].n2, 1e-12);
        EXPECT_EQ(a.points[k].stability.kind, b.points[k].stability.kind);
    }
    EXPECT_EQ(run.Cell(0, "N1"), 40); // the run's cells are where they were
    EXPECT_EQ(run.Cell(1, "N2"), 9);
}

// A rate law calling a function added without a derivative still gives
// rates, and the equilibrium search says why it cannot go on.
TEST(CompiledPlaneModel, WithoutDerivativesTheSearchSaysSo) {
    TBoundParsers run("N1*(1-N1)", "N2");
    run.p2.AddFunctionOneParam("HALF", [](const TTerm& t) { *t.result = *t.a / 2; });
    run.Compile("N1*(1-N1)", "HALF(N1)-N2");
    TCompiledModel& parsed = run.Model();
    EXPECT_FALSE(parsed.HasGradient());
    EXPECT_DOUBLE_EQ(parsed.Rate(1, 1, 0.25), 0.25);
    EXPECT_EQ(FindEquilibria(parsed, {0, 2, 0, 2}).error, kNoDerivatives);
}

} // namespace
