#include "SpecialCurves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

ParameterRow Row(const char* name, double value) {
    return {name, std::to_string(value), ""};
}

// The unfolding of a Bogdanov–Takens point about (5, 5): x' = y,
// y' = b1 + b2·x + x² − x·y. Its equilibria (x² + b2·x + b1 = 0, y = 0) have
// tr J = −x and det J = −(b2 + 2x): a fold along b1 = b2²/4 and Hopf points
// along b1 = 0 with b2 < 0, the two curves meeting at b1 = b2 = 0.
TEST(SpecialCurves, FoldAndHopfCurvesMeetAtTheBogdanovTakensPoint) {
    std::vector<ParameterRow> rows{Row("b1", -0.1), Row("b2", -1)};
    TCompiledModel model;
    model.Compile(rows, "N2-5", "b1+b2*(N1-5)+(N1-5)^2-(N1-5)*(N2-5)");
    TSpecialCurveOptions options;
    options.from1 = -0.5;
    options.to1 = 0.5;
    options.from2 = -1.2;
    options.to2 = 1.2;
    options.box = {0, 10, 0, 10};
    const TSpecialCurves found = ContinueSpecialPoints(model, 0, 1, options);
    EXPECT_EQ(found.error, "");
    EXPECT_TRUE(found.stopped.empty()) << found.stopped.front();
    int folds = 0, hopfs = 0, bt = 0;
    for (const TSpecialCurve& c : found.curves) {
        (c.kind == TCurveKind::Fold ? folds : hopfs) += 1;
        ASSERT_GE(c.rows.size(), 10u);
        for (const TSpecialCurveRow& r : c.rows) {
            if (c.kind == TCurveKind::Fold)
                EXPECT_NEAR(r.p1, r.p2 * r.p2 / 4, 1e-9) << r.p2;
            else {
                EXPECT_NEAR(r.p1, 0, 1e-9) << r.p2;
                EXPECT_LE(r.p2, 1e-8);
            }
            if (r.label == TCodimTwo::BogdanovTakens) {
                ++bt;
                EXPECT_NEAR(r.p1, 0, 1e-9);
                EXPECT_NEAR(r.p2, 0, 1e-8);
            }
        }
    }
    EXPECT_EQ(folds, 1);
    EXPECT_EQ(hopfs, 1);
    EXPECT_EQ(bt, 2); // once on each curve
    EXPECT_EQ(model.Parameter(0), -0.1);
    EXPECT_EQ(model.Parameter(1), -1);
}

// About (5, 5), r' = r(mu + c·r² − r⁴), θ' = 1: Hopf points all along mu = 0,
// supercritical for c < 0 and subcritical for c > 0, with a Bautin point at
// c = 0 between.
TEST(SpecialCurves, BautinPointWhereTheLyapunovCoefficientVanishes) {
    const std::string r2 = "((N1-5)^2+(N2-5)^2)";
    const std::string g = "(mu+c*" + r2 + "-" + r2 + "^2)";
    std::vector<ParameterRow> rows{Row("mu", 0.1), Row("c", -0.5)};
    TCompiledModel model;
    model.Compile(rows, "(N1-5)*" + g + "-(N2-5)", "(N2-5)*" + g + "+(N1-5)");
    TSpecialCurveOptions options;
    options.from1 = -0.5;
    options.to1 = 0.5;
    options.from2 = -1;
    options.to2 = 1;
    options.box = {0, 10, 0, 10};
    const TSpecialCurves found = ContinueSpecialPoints(model, 0, 1, options);
    ASSERT_EQ(found.curves.size(), 1u);
    const TSpecialCurve& hopf = found.curves[0];
    EXPECT_EQ(hopf.kind, TCurveKind::Hopf);
    int bautin = 0;
    for (const TSpecialCurveRow& r : hopf.rows) {
        EXPECT_NEAR(r.p1, 0, 1e-9);
        if (r.label == TCodimTwo::Bautin) {
            ++bautin;
            EXPECT_NEAR(r.p2, 0, 1e-8);
        }
    }
    EXPECT_EQ(bautin, 1);
    // Across the whole of c's range.
    EXPECT_NEAR(std::min(hopf.rows.front().p2, hopf.rows.back().p2), -1, 1e-6);
    EXPECT_NEAR(std::max(hopf.rows.front().p2, hopf.rows.back().p2), 1, 1e-6);
}

} // namespace

namespace {

// x' = b1 + b2·x − x³ about (5, 5), y' = −y: folds along 27·b1² = 4·b2³
// (x² = b2/3), the two branches of the curve meeting in a cusp at b1 = b2 = 0.
TEST(SpecialCurves, CuspWhereTheFoldsTwoBranchesMeet) {
    std::vector<ParameterRow> rows{Row("b1", 0.1), Row("b2", 1)};
    TCompiledModel model;
    model.Compile(rows, "b1+b2*(N1-5)-(N1-5)^3", "-(N2-5)");
    TSpecialCurveOptions options;
    options.from1 = -1;
    options.to1 = 1;
    options.from2 = -0.5;
    options.to2 = 1.5;
    options.box = {0, 10, 0, 10};
    const TSpecialCurves found = ContinueSpecialPoints(model, 0, 1, options);
    int cusps = 0;
    for (const TSpecialCurve& c : found.curves) {
        EXPECT_EQ(c.kind, TCurveKind::Fold);
        for (const TSpecialCurveRow& r : c.rows) {
            EXPECT_NEAR(27 * r.p1 * r.p1, 4 * r.p2 * r.p2 * r.p2, 1e-8) << r.p2;
            if (r.label == TCodimTwo::Cusp) {
                ++cusps;
                EXPECT_NEAR(r.p1, 0, 1e-9);
                EXPECT_NEAR(r.p2, 0, 1e-6);
            }
        }
    }
    EXPECT_EQ(found.curves.size(), 1u);
    EXPECT_EQ(cusps, 1);
}

} // namespace
