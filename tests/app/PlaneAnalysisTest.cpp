#include "PlaneAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A plot large enough for a 200 × 200 grid to matter.
TPhasePlaneGraph::TFigureRequest Request(double n1Min, double n1Max, double n2Min, double n2Max) {
    return {n1Min, n1Max, n2Min, n2Max, QSize(400, 300)};
}

TEST(PlaneAnalysis, NullclinesOfARateWithAPoleAreNotJoinedAcrossIt) {
    TPlaneAnalysis plane;
    // dN1/dt = 0 on N2 = 1/(N1 - 5): two branches, one each side of the pole.
    plane.Bind({}, "N2 - 1/(N1 - 5)", "N1 + N2", 1, 1);
    // The pole lies inside a grid cell, not on a node.
    const TPlaneFigure figure = plane.Figure(Request(0, 10.3, -5, 5));
    const std::vector<QPolygonF>& lines = figure.nullclines[0];
    ASSERT_FALSE(lines.empty());
    int left = 0, right = 0;
    for (const QPolygonF& line : lines) {
        const auto [lo, hi] = std::minmax_element(
            line.begin(), line.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
        EXPECT_TRUE(hi->x() < 5 || lo->x() > 5) << lo->x() << " to " << hi->x();
        (hi->x() < 5 ? left : right) += 1;
        // Along the branch itself: N2 = 1/(N1 - 5) within a cell's size.
        for (QPointF p : line)
            EXPECT_NEAR(p.y(), 1 / (p.x() - 5), 0.06) << p.x();
    }
    // Each branch is one polyline, so a dashed pen runs along it.
    EXPECT_EQ(left, 1);
    EXPECT_EQ(right, 1);
    // dN2/dt = 0 on N2 = -N1, one straight line through the visible range.
    ASSERT_EQ(figure.nullclines[1].size(), 1u);
    EXPECT_GT(figure.nullclines[1][0].size(), 100);
}

TEST(PlaneAnalysis, EquilibriaOfTheDefaultBoxAndTheRangeShown) {
    TPlaneAnalysis plane;
    EXPECT_EQ(plane.Equilibria().error, TPlaneAnalysis::kNoModel);
    // The origin lies in the default box (0 to 10); (200, 300) only in the range shown.
    plane.Bind({}, "N1*(200 - N1)", "N2*(300 - N2)", 1, 1);
    ASSERT_EQ(plane.Equilibria().points.size(), 1u);
    const TPlaneFigure figure = plane.Figure(Request(150, 250, 250, 350));
    const TEquilibria all = plane.Equilibria();
    EXPECT_EQ(all.error, "");
    ASSERT_EQ(all.points.size(), 2u);
    EXPECT_EQ(all.points[0].n1, 0);
    EXPECT_EQ(all.points[1].n1, 200);
    EXPECT_EQ(all.points[1].n2, 300);
    // Both are marked; the painter leaves out the one outside the axes.
    ASSERT_EQ(figure.markers.size(), 2u);
    EXPECT_EQ(figure.markers[0].shape, TPlaneMarkerShape::OpenCircle); // unstable node
    EXPECT_EQ(figure.markers[1].shape, TPlaneMarkerShape::FilledDisc); // stable node
    EXPECT_EQ(figure.markers[1].tip, QString::fromUtf8("N1 = 200, N2 = 300\n\u03bb1 = -300\n"
                                                       "\u03bb2 = -200\nstable node"));
    // A range that holds the box's equilibrium too lists it once, with the
    // two others on the axes.
    plane.Figure(Request(-1, 250, -1, 350));
    const std::vector<TEquilibrium> points = plane.Equilibria().points;
    EXPECT_EQ(points.size(), 4u);
    EXPECT_EQ(std::count_if(points.begin(), points.end(),
                            [](const TEquilibrium& e) { return e.n1 == 0 && e.n2 == 0; }),
              1);
}

TEST(PlaneAnalysis, TheDefaultBoxGrowsToACrossingOutsideItAndSaysWhere) {
    TPlaneAnalysis plane;
    // Mutualism: the nullclines N1 = 100 + N2/2 and N2 = 60 + 0.4·N1 leave
    // the default box 0 to 100 and cross at (162.5, 125).
    plane.Bind({}, "N1*(100 - N1 + 0.5*N2)", "N2*(60 - N2 + 0.4*N1)", 10, 10);
    plane.Figure(Request(0, 50, 0, 50));
    const TEquilibria all = plane.Equilibria();
    ASSERT_EQ(all.points.size(), 4u);
    EXPECT_EQ(all.points[3].n1, 162.5);
    EXPECT_EQ(all.points[3].n2, 125);
    EXPECT_EQ(all.box.n1Max, 200);
    EXPECT_EQ(all.box.n2Max, 200);
}

TEST(PlaneAnalysis, MarkersTellTheKindAndTipsTheEigenvalues) {
    TPlaneAnalysis plane;
    std::vector<ParameterRow> rows{
        {"a", "0.5", ""}, {"b", "0.02", ""}, {"c", "0.5", ""}, {"d", "0.01", ""}};
    plane.Bind(rows, "a*N1 - b*N1*N2", "-c*N2 + d*N1*N2", 40, 9);
    const TPlaneFigure figure = plane.Figure(Request(0, 120, 0, 60));
    ASSERT_EQ(figure.markers.size(), 2u);
    EXPECT_EQ(figure.markers[0].shape, TPlaneMarkerShape::Cross);
    EXPECT_EQ(figure.markers[1].shape, TPlaneMarkerShape::RingWithDot);
    EXPECT_EQ(figure.markers[1].tip,
              QString::fromUtf8("N1 = 50, N2 = 25\n\u03bb1 = 0.5i\n\u03bb2 = \u22120.5i\ncentre"));
    // About 400 arrows on square cells of the 400 × 300 plot.
    EXPECT_EQ(figure.arrows.size(), 23u * 17u);
    EXPECT_FALSE(figure.nullclines[0].empty());
    EXPECT_FALSE(figure.nullclines[1].empty());
}

TEST(PlaneAnalysis, AModelThatDoesNotCompileLeavesThePlaneEmpty) {
    TPlaneAnalysis plane;
    plane.Bind({}, "N1", "N2", 1, 1);
    EXPECT_THROW(plane.Bind({}, "N1*(", "N2", 1, 1), std::exception);
    EXPECT_FALSE(plane.IsBound());
    const TPlaneFigure figure = plane.Figure(Request(0, 1, 0, 1));
    EXPECT_TRUE(figure.nullclines[0].empty() && figure.arrows.empty() && figure.markers.empty());
    EXPECT_EQ(plane.Equilibria().error, TPlaneAnalysis::kNoModel);
}

} // namespace

namespace {

// Before a run the plane frames the equilibria of the box searched, where the
// nullclines meet the axes and the start, with a tenth to spare beyond the
// largest (closed forms of the competition, Allee and paradox examples).
TEST(PlaneAnalysis, TheFrameSpansEquilibriaInterceptsAndStartWithAMargin) {
    struct Case {
        const char* name;
        std::string rate1, rate2;
        double n1, n2;
        TPlaneRect frame;
    };
    const double n1Star = 0.3 / (0.025 - 0.003);
    const double n2Star = 16 * (1 - n1Star / 200) * (1 + 0.01 * n1Star);
    const Case cases[] = {
        // (0, 0), (100, 0), (0, 80); the nullclines meet the axes at (100, 0),
        // (0, 200), (0, 80) and (200/3, 0).
        {"competition",
         "0.6*N1*(1 - (N1 + 0.5*N2)/100)",
         "0.8*N2*(1 - (N2 + 1.2*N1)/80)",
         5,
         25,
         {0, 110, 0, 220}},
        // (0, 0), (20, 0), (100, 0), (50, 75); the start is the highest N1.
        {"Allee",
         "N1*(N1/20 - 1)*(1 - N1/100) - 0.01*N1*N2",
         "0.5*0.01*N1*N2 - 0.25*N2",
         100,
         5,
         {0, 110, 0, 82.5}},
        // (200, 0) and the focus (n1Star, n2Star), 0 to 1100 in the box searched.
        {"paradox",
         "0.8*N1*(1 - N1/200) - 0.05*N1*N2/(1 + 0.01*N1)",
         "0.5*0.05*N1*N2/(1 + 0.01*N1) - 0.3*N2",
         50,
         5,
         {0, 220, 0, 1.1 * n2Star}},
    };
    for (const Case& c : cases) {
        TPlaneAnalysis plane;
        plane.Bind({}, c.rate1, c.rate2, c.n1, c.n2);
        const TPlaneRect frame = plane.Frame(c.n1, c.n2);
        const double tol = 1e-6 * c.frame.Extent();
        EXPECT_NEAR(frame.n1Min, c.frame.n1Min, tol) << c.name;
        EXPECT_NEAR(frame.n1Max, c.frame.n1Max, tol) << c.name;
        EXPECT_NEAR(frame.n2Min, c.frame.n2Min, tol) << c.name;
        EXPECT_NEAR(frame.n2Max, c.frame.n2Max, tol) << c.name;
    }
}

} // namespace
