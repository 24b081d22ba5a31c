// The phase plane's graph: trajectories in time order, the figure painted
// through the overlay hook, the click that asks for a run and the markers'
// tips.
#include "PhasePlaneGraph.h"
#include "Appearance.h"
#include "Axis.h"
#include "DistinctColor.h"
#include "QtColor.h"
#include "Series.h"

#include <QImage>
#include <QPicture>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr TColor kLine = 0xFF0000; // the trajectory's blue

TEST(TimeOrderStore, KeepsEveryPointWhereItCame) {
    struct Case {
        bool timeOrder;
        std::vector<std::pair<double, double>> added;
        std::vector<std::pair<double, double>> kept;
    };
    const Case cases[] = {
        // A path goes back over x and repeats it: nothing moves, nothing is replaced.
        {true, {{1, 1}, {3, 2}, {2, 3}, {2, 4}, {0, 5}}, {{1, 1}, {3, 2}, {2, 3}, {2, 4}, {0, 5}}},
        // The same points in an ordinary store: by x, the repeated x replaced.
        {false, {{1, 1}, {3, 2}, {2, 3}, {2, 4}, {0, 5}}, {{0, 5}, {1, 1}, {2, 4}, {3, 2}}},
    };
    for (const Case& c : cases) {
        TDataSeries s;
        s.SetTimeOrder(c.timeOrder);
        for (auto [x, y] : c.added)
            s.AddPoint(x, y);
        s.SetDuplicatesAllowed(false); // removes runs of equal x, but not from a path
        std::vector<std::pair<double, double>> kept;
        for (const TDataPoint& p : s.Points())
            kept.emplace_back(p.X, p.Y);
        EXPECT_EQ(kept, c.kept) << c.timeOrder;
        EXPECT_EQ(s.XMin(), 0);
        EXPECT_EQ(s.XMax(), 3);
        EXPECT_EQ(s.YMax(), 5);
    }
}

struct PlaneGraph : ::testing::Test {
    QWidget host;
    TPhasePlaneGraph* g = new TPhasePlaneGraph(&host);
    void SetUp() override {
        host.resize(420, 320);
        g->setGeometry(10, 10, 400, 300);
        g->Appearance().SetBackgroundColor(clWhite);
        g->Appearance().SetMarginColor(clWhite);
        g->Appearance().SetCrossAtZero(false);
        for (TAxis* a : {&g->XAxis(), &g->YAxis()}) {
            a->SetMin(0);
            a->SetMax(10);
            a->SetGridlines(false);
        }
    }
    QImage Picture() {
        QImage image(g->size(), QImage::Format_RGB32);
        g->DrawToBitmap(image);
        return image;
    }
    // Pixels of a colour within r of the point (n1, n2) of the plane.
    int ColourNear(const QImage& image, double n1, double n2, TColor colour, int r = 1) {
        const QPoint c(g->XToPixel(n1), g->YToPixel(n2));
        int n = 0;
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                n += image.pixel(c + QPoint(dx, dy)) == ToQColor(colour).rgb();
        return n;
    }
};

TEST_F(PlaneGraph, TrajectoryIsDrawnInTheOrderOfItsPoints) {
    // A Z: diagonal up, back along the top, diagonal down. In x order the
    // same points would make a U with vertical sides.
    TSeries& t = g->Trajectory();
    for (auto [x, y] : {std::pair{1.0, 1.0}, {9.0, 9.0}, {1.0, 9.0}, {9.0, 1.0}})
        t.AddPoint(x, y);
    const QImage image = Picture();
    EXPECT_GT(ColourNear(image, 5, 5, kLine), 0);    // where both diagonals cross
    EXPECT_GT(ColourNear(image, 5, 9, kLine), 0);    // the top stroke
    EXPECT_EQ(ColourNear(image, 1, 5, kLine, 2), 0); // no left side
    EXPECT_EQ(ColourNear(image, 9, 5, kLine, 2), 0); // no right side
    EXPECT_EQ(ColourNear(image, 5, 1, kLine, 2), 0); // no bottom
}

TEST_F(PlaneGraph, AppendedPointsGoOnFromTheLastOnScreen) {
    host.show();
    g->Appearance().SetPreventFlicker(true);
    TSeries& t = g->Trajectory();
    t.AddPoint(9, 1);
    t.AddPoint(1, 1); // back in x: still inside the axes, drawn incrementally
    const int full = g->FullRepaintCount();
    t.AddPoint(1, 9);
    EXPECT_EQ(g->FullRepaintCount(), full);
    const QImage& screen = g->BackBuffer();
    EXPECT_EQ(ColourNear(screen, 5, 1, kLine), 3); // 9,1 → 1,1
    EXPECT_EQ(ColourNear(screen, 1, 5, kLine), 3); // 1,1 → 1,9
    EXPECT_EQ(ColourNear(screen, 5, 5, kLine, 2), 0);
}

TEST_F(PlaneGraph, EachPieceIsASeriesOfItsOwnAndInheritsTheHold) {
    TSeries& first = g->Trajectory();
    first.AddPoint(1, 1);
    first.AddPoint(2, 2);
    first.SetHold(true);
    first.AddPoint(3, 3);
    EXPECT_EQ(ColourNear(g->BackBuffer(), 2.5, 2.5, kLine), 0);
    TSeries& second = g->StartTrajectory();
    EXPECT_NE(&second, &first);
    EXPECT_EQ(&g->Trajectory(), &second);
    EXPECT_FALSE(first.Hold());
    EXPECT_GT(ColourNear(g->BackBuffer(), 2.5, 2.5, kLine), 0); // what it held is drawn
    EXPECT_TRUE(second.Hold());
    EXPECT_TRUE(second.TimeOrder());
    EXPECT_EQ(second.PointLimit(), 0);
    EXPECT_EQ(second.LineColor(), kLine);
    // A new piece is not joined to the last: nothing between (3,3) and (9,1).
    second.SetHold(false);
    second.AddPoint(9, 1);
    second.AddPoint(9, 3);
    EXPECT_EQ(ColourNear(Picture(), 6, 2, kLine, 2), 0);
    g->ClearTrajectories();
    EXPECT_TRUE(g->SeriesList().empty());
    EXPECT_EQ(g->Trajectory().Number(), 1);
}

TEST(ChainSegments, JoinsPiecesThatShareEndPointsOnly) {
    struct Case {
        const char* what;
        std::vector<QLineF> pieces;
        std::vector<QPolygonF> chains;
    };
    const Case cases[] = {
        {"pieces out of order and turned", // one curve
         {QLineF(1, 0, 2, 1), QLineF(3, 1, 2, 1), QLineF(0, 0, 1, 0)},
         {QPolygonF({{0, 0}, {1, 0}, {2, 1}, {3, 1}})}},
        {"a gap stays a gap",
         {QLineF(0, 0, 1, 1), QLineF(1.0000001, 1, 2, 2)},
         {QPolygonF({{0, 0}, {1, 1}}), QPolygonF({{1.0000001, 1}, {2, 2}})}},
        {"a closed loop", // ends where it starts
         {QLineF(0, 0, 1, 0), QLineF(1, 1, 0, 0), QLineF(1, 0, 1, 1)},
         {QPolygonF({{0, 0}, {1, 0}, {1, 1}, {0, 0}})}},
        {"zero and minus zero are one point",
         {QLineF(-1, 0, -0.0, 0), QLineF(0, 0, 1, 0)},
         {QPolygonF({{-1, 0}, {0, 0}, {1, 0}})}},
        {"three pieces meeting: one goes through, one starts there",
         {QLineF(0, 0, 1, 0), QLineF(1, 0, 2, 0), QLineF(1, 0, 1, 1)},
         {QPolygonF({{0, 0}, {1, 0}, {2, 0}}), QPolygonF({{1, 0}, {1, 1}})}},
    };
    for (const Case& c : cases) {
        const std::vector<QPolygonF> chains = ChainSegments(c.pieces);
        ASSERT_EQ(chains.size(), c.chains.size()) << c.what;
        for (std::size_t i = 0; i < chains.size(); ++i) {
            // A chain may run either way.
            QPolygonF reversed(chains[i].rbegin(), chains[i].rend());
            EXPECT_TRUE(chains[i] == c.chains[i] || reversed == c.chains[i]) << c.what;
        }
    }
}

// A figure with one piece of each nullcline, an arrow and three markers, one
// of them outside the axes.
TPlaneFigure SampleFigure() {
    TPlaneFigure f;
    f.nullclines[0] = {QPolygonF({{2, 0}, {2, 10}})};
    f.nullclines[1] = {QPolygonF({{0, 7}, {10, 7}})};
    f.arrows = {{{8, 3}, {30, 0}}};
    f.markers = {{{2, 7}, TPlaneMarkerShape::FilledDisc, QStringLiteral("stable")},
                 {{6, 3}, TPlaneMarkerShape::Cross, QStringLiteral("saddle")},
                 {{10.2, 3}, TPlaneMarkerShape::FilledDisc, QStringLiteral("beyond")}};
    return f;
}

TEST_F(PlaneGraph, TheFigureIsPaintedWithTheGraphsTransformsOnEverySurface) {
    int asked = 0;
    std::optional<TPhasePlaneGraph::TFigureRequest> last;
    g->OnFigureNeeded = [&](const TPhasePlaneGraph::TFigureRequest& r) {
        ++asked;
        last = r;
        return SampleFigure();
    };
    g->SetNullclineColor(0, clRed);
    g->SetNullclineColor(1, clGreen);
    const QImage image = Picture();
    ASSERT_EQ(asked, 1);
    EXPECT_EQ(last->n1Max, 10);
    EXPECT_EQ(last->plot, g->PlotRect().size());
    EXPECT_GT(ColourNear(image, 2, 2, clRed, 2), 0);
    EXPECT_GT(ColourNear(image, 4, 7, clGreen, 2), 0);
    EXPECT_GT(ColourNear(image, 8, 3, g->Look().arrowColor, 1), 0);
    EXPECT_EQ(ColourNear(image, 2, 7, clBlack, 1), 9); // the filled disc
    EXPECT_GT(ColourNear(image, 6, 3, clBlack, 3), 0); // the cross
    // A marker just beyond the X axis is not drawn, not even in the margin.
    ASSERT_LT(g->XToPixel(10.2) + kPlaneMarkerRadius, image.width());
    EXPECT_EQ(ColourNear(image, 10.2, 3, clBlack, kPlaneMarkerRadius), 0);

    // The same range and size: the figure is kept, on another surface too.
    QPicture picture;
    g->DrawToMetafile(picture);
    EXPECT_EQ(asked, 1);
    // The field switched off: the arrow is gone, nothing is worked out again.
    g->SetShowField(false);
    EXPECT_EQ(ColourNear(Picture(), 8, 3, g->Look().arrowColor, 1), 0);
    EXPECT_EQ(asked, 1);
    // A new range, a new size, a changed model: worked out again.
    g->XAxis().SetMax(20);
    Picture();
    EXPECT_EQ(asked, 2);
    QImage larger(600, 400, QImage::Format_RGB32);
    g->DrawToBitmap(larger);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(last->plot.width(), 600 - 40 - 15 + 1);
    g->InvalidateFigure();
    Picture();
    EXPECT_EQ(asked, 4);
}

TEST_F(PlaneGraph, AppendedPointsPassUnderTheMarkersAsInAFullRedraw) {
    host.show();
    g->Appearance().SetPreventFlicker(true);
    g->OnFigureNeeded = [](const TPhasePlaneGraph::TFigureRequest&) { return SampleFigure(); };
    g->InvalidateFigure();
    TSeries& t = g->Trajectory();
    t.AddPoint(1, 1);
    const int full = g->FullRepaintCount();
    // Through the disc at (2, 7) and the cross at (6, 3), over both nullclines.
    for (auto [x, y] : {std::pair{2.0, 7.0}, {6.0, 3.0}, {9.0, 9.0}, {6.0, 3.2}, {1.0, 2.0}}) {
        t.AddPoint(x, y);
        const QImage screen = g->BackBuffer().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(screen == Picture()) << x << ", " << y;
    }
    EXPECT_EQ(g->FullRepaintCount(), full);
    EXPECT_EQ(ColourNear(g->BackBuffer(), 2, 7, clBlack, 1), 9); // the disc stays on top
}

TEST_F(PlaneGraph, APlainOrCtrlClickInThePlotNamesThePointUnderIt) {
    host.show();
    g->SetDragAllowed(false);
    std::vector<QPointF> clicks, ctrlClicks;
    g->OnPlaneClick = [&](double n1, double n2) { clicks.emplace_back(n1, n2); };
    g->OnPlaneCtrlClick = [&](double n1, double n2) { ctrlClicks.emplace_back(n1, n2); };
    int designer = 0;
    g->OnWantDesigner = [&](QObject*) { ++designer; };
    const QPoint at(g->XToPixel(3), g->YToPixel(6));
    struct Gesture {
        const char* what;
        QPoint press, release;
        Qt::KeyboardModifiers keys;
        bool click, ctrlClick;
    };
    const Gesture gestures[] = {
        {"click", at, at, Qt::NoModifier, true, false},
        {"slight slip", at, at + QPoint(2, 2), Qt::NoModifier, true, false},
        {"drag", at, at + QPoint(30, 0), Qt::NoModifier, false, false},
        {"shift-click (un-zoom)", at, at, Qt::ShiftModifier, false, false},
        {"in the margin", QPoint(5, 5), QPoint(5, 5), Qt::NoModifier, false, false},
        {"ctrl-click", at, at + QPoint(1, 0), Qt::ControlModifier, false, true},
        {"ctrl-drag", at, at + QPoint(30, 0), Qt::ControlModifier, false, false},
        {"ctrl-click in the margin", QPoint(5, 5), QPoint(5, 5), Qt::ControlModifier, false, false},
    };
    for (const Gesture& gesture : gestures) {
        clicks.clear();
        ctrlClicks.clear();
        QTest::mousePress(g, Qt::LeftButton, gesture.keys, gesture.press);
        QTest::mouseMove(g, gesture.release);
        QTest::mouseRelease(g, Qt::LeftButton, gesture.keys, gesture.release);
        ASSERT_EQ(clicks.size(), gesture.click ? 1u : 0u) << gesture.what;
        ASSERT_EQ(ctrlClicks.size(), gesture.ctrlClick ? 1u : 0u) << gesture.what;
        if (!gesture.click && !gesture.ctrlClick) continue;
        const QPointF p = gesture.click ? clicks[0] : ctrlClicks[0];
        EXPECT_DOUBLE_EQ(p.x(), g->PixelToX(gesture.release.x())) << gesture.what;
        EXPECT_DOUBLE_EQ(p.y(), g->PixelToY(gesture.release.y())) << gesture.what;
        EXPECT_NEAR(p.x(), 3, 0.1);
        EXPECT_NEAR(p.y(), 6, 0.1);
    }
    // Only a Ctrl-press outside the plot is the graph's own.
    EXPECT_EQ(designer, 1);
}

TEST_F(PlaneGraph, HoveringOverAMarkerFindsItsTip) {
    g->OnFigureNeeded = [](const TPhasePlaneGraph::TFigureRequest&) { return SampleFigure(); };
    Picture();
    const QPoint disc(g->XToPixel(2), g->YToPixel(7));
    ASSERT_NE(g->MarkerAt(disc + QPoint(kPlaneMarkerRadius + 2, 0)), nullptr);
    EXPECT_EQ(g->MarkerAt(disc + QPoint(kPlaneMarkerRadius + 2, 0))->tip, "stable");
    EXPECT_EQ(g->MarkerAt(QPoint(g->XToPixel(6), g->YToPixel(3)))->tip, "saddle");
    EXPECT_EQ(g->MarkerAt(disc + QPoint(kPlaneMarkerRadius + 6, 0)), nullptr);
}

} // namespace

namespace {

// A stable cycle on the circle of radius 3 around (5, 5), an unstable one on
// the square from (1, 1) to (9, 9).
std::vector<TPlaneCycle> SampleCycles() {
    QPolygonF circle;
    for (int i = 0; i <= 200; ++i) {
        const double a = 2 * M_PI * i / 200;
        circle << QPointF(5 + 3 * std::cos(a), 5 + 3 * std::sin(a));
    }
    return {
        {circle, false, QStringLiteral("stable")},
        {QPolygonF({{1, 1}, {9, 1}, {9, 9}, {1, 9}, {1, 1}}), true, QStringLiteral("unstable")}};
}

TEST_F(PlaneGraph, CyclesAreDrawnSolidOrDashedAndFoundUnderTheMouse) {
    g->OnFigureNeeded = [](const TPhasePlaneGraph::TFigureRequest&) { return TPlaneFigure(); };
    Picture();
    g->SetCycles(SampleCycles());
    const TColor colour = g->Look().cycleColor;
    // The share of the pixels along the square's bottom edge (N2 = 1) in the
    // cycles' colour, a pixel above or below counting.
    const auto bottomCovered = [&](const QImage& image) {
        const int from = g->XToPixel(1.5), to = g->XToPixel(8.5), y = g->YToPixel(1);
        int hit = 0;
        for (int x = from; x <= to; ++x)
            for (int dy = -1; dy <= 1; ++dy)
                if (image.pixel(x, y + dy) == ToQColor(colour).rgb()) {
                    ++hit;
                    break;
                }
        return double(hit) / (to - from + 1);
    };
    QImage image = Picture();
    int gaps = 0; // along the solid circle
    for (int i = 0; i < 360; i += 3)
        gaps += ColourNear(image, 5 + 3 * std::cos(i * M_PI / 180),
                           5 + 3 * std::sin(i * M_PI / 180), colour) == 0;
    EXPECT_EQ(gaps, 0);
    EXPECT_GT(bottomCovered(image), 0.3);
    EXPECT_LT(bottomCovered(image), 0.9); // dashed

    // The tip of the line under the mouse, a few pixels off it included.
    const QPoint onCircle(g->XToPixel(8), g->YToPixel(5));
    ASSERT_NE(g->CycleAt(onCircle + QPoint(3, 0)), nullptr);
    EXPECT_EQ(g->CycleAt(onCircle + QPoint(3, 0))->tip, "stable");
    EXPECT_EQ(g->CycleAt(QPoint(g->XToPixel(5), g->YToPixel(1)) + QPoint(0, -2))->tip, "unstable");
    EXPECT_EQ(g->CycleAt(onCircle + QPoint(8, 0)), nullptr);
    EXPECT_EQ(g->CycleAt(QPoint(g->XToPixel(5), g->YToPixel(5))), nullptr);

    // Hidden: neither drawn nor found.
    g->SetShowCycles(false);
    image = Picture();
    EXPECT_EQ(ColourNear(image, 8, 5, colour, 2), 0);
    EXPECT_EQ(bottomCovered(image), 0);
    EXPECT_EQ(g->CycleAt(onCircle), nullptr);
}

// Whatever colours the user picks for the species, the trajectory, cycles and
// separatrices each take one that looks far from both and from each other.
TEST(PlaneColors, StayApartFromBothSpeciesAndFromEachOther) {
    // CIE L*a*b* of sRGB white, black and red (published values).
    EXPECT_NEAR(PerceivedDistance(clWhite, clBlack), 100, 0.01);
    EXPECT_NEAR(PerceivedDistance(clRed, clBlack), std::hypot(53.2408, 80.0925, 67.2032), 0.05);
    const std::pair<TColor, TColor> cases[] = {
        {clRed, RGB(0, 128, 0)}, // the program's own
        {clBlue, RGB(200, 0, 200)},
        {RGB(255, 140, 0), RGB(0, 150, 150)},
        {clWhite, clBlack},
        {clYellow, RGB(0, 255, 255)},
        {RGB(100, 0, 160), RGB(140, 70, 0)},
        {RGB(0, 0, 128), RGB(128, 0, 0)},
        {clBlack, clBlue},
        {RGB(128, 128, 128), RGB(255, 0, 255)},
    };
    for (const auto& [species1, species2] : cases) {
        TPlaneLook look;
        look.SetSpeciesColors(species1, species2);
        EXPECT_EQ(look.nullclineColors, (std::array{species1, species2}));
        std::vector<TColor> taken{species1, species2};
        for (TColor chosen : {look.trajectoryColor, look.cycleColor, look.separatrixColor}) {
            for (TColor other : taken)
                EXPECT_GE(PerceivedDistance(chosen, other), kColorsApart)
                    << std::hex << species1 << " " << species2 << ": " << chosen << " " << other;
            taken.push_back(chosen);
        }
    }
}

} // namespace
