#include "DataSeries.h"
#include "Appearance.h"
#include "Axis.h"
#include "PlotGraph.h"
#include "Series.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A store that records its change codes.
struct Recorder : TDataSeries {
    std::vector<TChangeCode> codes;
    int tooMany = 0;
    std::function<void()> onTooMany;
    void Changed(TChangeCode c) override { codes.push_back(c); }
    bool TooManyPoints() override {
        ++tooMany;
        if (onTooMany) onTooMany();
        return true;
    }
};

std::vector<double> Xs(const TDataSeries& s) {
    std::vector<double> v;
    for (const auto& p : s.Points())
        v.push_back(p.X);
    return v;
}
std::vector<std::uint32_t> Ids(const TDataSeries& s) {
    std::vector<std::uint32_t> v;
    for (const auto& p : s.Points())
        v.push_back(p.Id);
    return v;
}

TEST(DataSeriesAddPoint, KeepsXOrderAndNumbersPoints) {
    Recorder s;
    for (double x : {1.0, 3.0, 2.0, 0.0, 4.0})
        s.AddPoint(x, x * 10);
    EXPECT_EQ(Xs(s), (std::vector<double>{0, 1, 2, 3, 4}));
    EXPECT_EQ(Ids(s), (std::vector<std::uint32_t>{4, 1, 3, 2, 5}));
    EXPECT_EQ(s.codes, std::vector<TChangeCode>(5, ch_PointAdded));
    EXPECT_EQ(s.LastX(), 4);
    EXPECT_EQ(s.LastY(), 40);
    EXPECT_EQ(s.Points()[0].Fit, 0);
}

TEST(DataSeriesAddPoint, SameXReplacesAndKeepsTheId) {
    Recorder s;
    s.AddPoint(1, 1);
    s.AddPoint(2, 2);
    s.AddPoint(2, 5); // same as the last point
    s.AddPoint(1, 7); // same as an earlier point
    EXPECT_EQ(Xs(s), (std::vector<double>{1, 2}));
    EXPECT_EQ(Ids(s), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(s.Points()[0].Y, 7);
    EXPECT_EQ(s.Points()[1].Y, 5);
    EXPECT_EQ(s.codes[2], ch_DataChanged);
    EXPECT_EQ(s.codes[3], ch_DataChanged);
    // Extents are only widened: the replaced y=2 still counts.
    EXPECT_EQ(s.YMin(), 1);
    EXPECT_EQ(s.YMax(), 7);
}

TEST(DataSeriesAddPoint, ToleranceMergesCloseAbscissae) {
    Recorder s;
    s.SetNumericalTolerance(0.1);
    s.AddPoint(1, 1);
    s.AddPoint(1.05, 2); // within tolerance of the tail: replaced
    s.AddPoint(1.2, 3);  // beyond: appended
    s.AddPoint(0.97, 4); // within tolerance of the first: replaced
    s.AddPoint(0.5, 5);  // inserted in front
    EXPECT_EQ(Xs(s), (std::vector<double>{0.5, 0.97, 1.2}));
    EXPECT_EQ(Ids(s), (std::vector<std::uint32_t>{3, 1, 2}));
}

TEST(DataSeriesAddPoint, DuplicatesStandSideBySide) {
    Recorder s;
    s.SetDuplicatesAllowed(true);
    s.AddPoint(1, 10);
    s.AddPoint(2, 20);
    s.AddPoint(2, 21); // after the equal last point
    s.AddPoint(1, 11); // before the equal earlier point
    ASSERT_EQ(s.Count(), 4);
    EXPECT_EQ(s.Points()[0].Y, 11);
    EXPECT_EQ(s.Points()[1].Y, 10);
    EXPECT_EQ(s.Points()[3].Y, 21);
    s.SetDuplicatesAllowed(false); // removes all but the first of each run
    EXPECT_EQ(s.Count(), 2);
    EXPECT_EQ(s.Points()[0].Y, 11);
    EXPECT_EQ(s.Points()[1].Y, 20);
    EXPECT_TRUE(s.ExtentsStale());
    EXPECT_EQ(s.codes.back(), ch_DataChanged);
    const auto codes = s.codes.size();
    s.RemoveDuplicates(); // nothing left to remove: no change
    EXPECT_EQ(s.codes.size(), codes);
}

TEST(DataSeriesExtents, WidenPerPointAndRecalculate) {
    Recorder s;
    s.AddPoint(5, 3);
    EXPECT_EQ(s.XMin(), 5);
    EXPECT_EQ(s.XMax(), 5);
    s.AddPoint(2, -1);
    s.AddPoint(9, 8);
    EXPECT_EQ(s.XMin(), 2);
    EXPECT_EQ(s.XMax(), 9);
    EXPECT_EQ(s.YMin(), -1);
    EXPECT_EQ(s.YMax(), 8);
    s.SetZeroValue(1);
    EXPECT_TRUE(s.ExtentsStale());
    s.RecalcExtents();
    EXPECT_EQ(s.YMin(), -2);
    EXPECT_EQ(s.YMax(), 7);
    EXPECT_FALSE(s.ExtentsStale());
}

TEST(DataSeriesZero, AutoZeroFollowsTheSmallestY) {
    Recorder s;
    s.AddPoint(0, 5);
    s.SetZeroValue(2);
    EXPECT_FALSE(s.AutoZero());
    EXPECT_EQ(s.codes.back(), ch_ZeroChanged);
    s.SetAutoZero(true);
    s.RecalcExtents();
    EXPECT_EQ(s.ZeroValue(), 5);
    EXPECT_EQ(s.YMin(), 0);
    s.AddPoint(1, 3); // below the zero: the zero follows, extents go stale
    EXPECT_EQ(s.ZeroValue(), 3);
    EXPECT_TRUE(s.ExtentsStale());
    // Setting the same zero value while AutoZero is on still fixes it.
    const auto n = s.codes.size();
    s.SetZeroValue(3);
    EXPECT_FALSE(s.AutoZero());
    EXPECT_EQ(s.codes.size(), n + 1);
    s.SetZeroValue(3); // now unchanged: nothing
    EXPECT_EQ(s.codes.size(), n + 1);
}

TEST(DataSeriesClear, EmptiesAndRestartsIds) {
    Recorder s;
    s.AddPoint(1, 1);
    s.AddPoint(2, 2);
    s.Clear();
    EXPECT_EQ(s.Count(), 0);
    EXPECT_TRUE(s.ExtentsStale());
    EXPECT_EQ(s.codes.back(), ch_DataChanged);
    s.AddPoint(7, 7);
    EXPECT_EQ(s.Points()[0].Id, 1u);
    EXPECT_EQ(s.XMin(), 7);
    EXPECT_FALSE(s.ExtentsStale());
    s.RecalcExtents(); // harmless on any store, including an empty one
    Recorder empty;
    empty.RecalcExtents();
    EXPECT_EQ(empty.XMin(), 0);
}

TEST(DataSeriesLimit, RaisesOnEveryAdditionAboveTheLimit) {
    Recorder s;
    s.SetPointLimit(3);
    for (int i = 0; i < 5; ++i)
        s.AddPoint(i, i);
    EXPECT_EQ(s.tooMany, 2);
    EXPECT_EQ(s.codes.size(), 5u); // the repaint still follows
    s.SetPointLimit(0);
    s.AddPoint(9, 9);
    EXPECT_EQ(s.tooMany, 2);
}

TEST(DataSeriesLimit, HandlerMayClearTheStore) {
    Recorder s;
    s.SetPointLimit(2);
    s.onTooMany = [&] { s.Clear(); };
    for (int i = 0; i < 3; ++i)
        s.AddPoint(i, i);
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(s.codes.back(), ch_PointAdded);
    s.AddPoint(5, 5);
    EXPECT_EQ(s.Points()[0].Id, 1u);
}

TEST(DataSeriesRegression, SettersMarkTheFitStale) {
    Recorder s;
    s.SetRegressionType(2);
    EXPECT_TRUE(s.RegressionStale());
    EXPECT_EQ(s.codes.back(), ch_RegressionChanged);
    s.SetRegressionStale(false);
    s.SetRegressionFraction(0.05); // unchanged
    EXPECT_FALSE(s.RegressionStale());
    s.SetRegressionControlValue1(50);
    EXPECT_TRUE(s.RegressionStale());
}

// --- TSeries: descriptor and repaint decision ------------------------------

struct SeriesFixture : testing::Test {
    TPlotGraph graph;
    TSeries& s = graph.GetSeries(1);
    int full() const { return graph.FullRepaintCount(); }
    int inc() const { return graph.IncrementalRepaintCount(); }
};

TEST_F(SeriesFixture, DefaultsDependOnTheNumber) {
    const struct {
        int number;
        TColor color;
        int shape, style;
        bool fill;
    } cases[] = {
        {1, 0x008000, sh_Square, 0, true},  {2, 0xFF0000, sh_Circle, 1, true},
        {3, 0x0000FF, sh_Diamond, 2, true}, {4, 0x808080, sh_Cross, 3, true},
        {5, 0x000080, sh_Square, 4, false}, {6, 0x008000, sh_Circle, 0, false},
        {0, 0x008000, sh_Circle, 0, true},
    };
    for (const auto& c : cases) {
        TSeries& t = graph.GetSeries(c.number);
        EXPECT_EQ(t.LineColor(), c.color) << c.number;
        EXPECT_EQ(t.PointColor(), c.color);
        EXPECT_EQ(t.PointShape(), c.shape);
        EXPECT_EQ(t.LineStyle(), c.style);
        EXPECT_EQ(t.FillPoints(), c.fill);
        EXPECT_EQ(t.SeriesName(), QString("Series %1").arg(c.number));
    }
    EXPECT_EQ(s.PointSize(), 4);
    EXPECT_EQ(s.BoundLineMode(), 3);
    EXPECT_EQ(s.RegressionLineColor(), 0x808080);
    EXPECT_TRUE(s.FirstAxis());
}

TEST_F(SeriesFixture, PointAddedRepaintsInFullWithoutPreventFlicker) {
    const int f = full();
    s.AddPoint(0.5, 0.5);
    EXPECT_EQ(full(), f + 1);
    EXPECT_EQ(inc(), 0);
}

TEST_F(SeriesFixture, PreventFlickerDrawsInsidePointsIncrementally) {
    graph.Appearance().SetPreventFlicker(true);
    for (TAxis* axis : {&graph.XAxis(), &graph.YAxis()}) {
        axis->SetAutoSizing(true);
        axis->SetAutoStepping(true);
    }
    s.AddPoint(0, 0);
    s.AddPoint(10, 10); // X fitted to [-2, 12] with a step of 2
    const double xMax = graph.XAxis().Max();
    int f = full();
    s.AddPoint(11, 5); // inside both ranges, and the fit stays
    EXPECT_EQ(inc(), 1);
    EXPECT_EQ(full(), f);
    // Inside, but a full draw would fit a wider range: drawn in full.
    s.AddPoint(11.99, 5);
    EXPECT_EQ(full(), f + 1);
    EXPECT_GT(graph.XAxis().Max(), xMax);
    f = full();
    s.AddPoint(xMax * 10, 0); // beyond X Max with X auto-sized: full and rescale
    EXPECT_EQ(full(), f + 1);
    EXPECT_GE(graph.XAxis().Max(), xMax * 10);
    // Replacing a point is never incremental.
    s.AddPoint(xMax * 10, 0);
    EXPECT_EQ(full(), f + 2);
    // A fixed axis counts as inside whatever the value.
    graph.YAxis().SetMax(graph.YAxis().Max()); // switches Y AutoSizing off
    f = full();
    s.AddPoint((xMax * 10 + graph.XAxis().Max()) / 2, 1e9);
    EXPECT_EQ(inc(), 2);
    EXPECT_EQ(full(), f);
}

TEST_F(SeriesFixture, PreventFlickerComparesTheStoredY) {
    graph.Appearance().SetPreventFlicker(true);
    graph.YAxis().SetAutoSizing(true);
    graph.YAxis().SetMax(10);
    graph.YAxis().SetMin(0);
    graph.YAxis().SetAutoSizing(true);
    s.SetZeroValue(100);
    graph.SetPlotting(false);
    s.AddPoint(0.1, 105); // 105 - 100 = 5 would be inside; 105 is not
    graph.SetPlotting(true);
    graph.XAxis().SetMax(1);
    const int f = full();
    s.AddPoint(0.2, 105);
    EXPECT_EQ(full(), f + 1);
}

TEST_F(SeriesFixture, HoldDefersToOneFullRepaint) {
    const int f = full();
    s.SetHold(true);
    for (int i = 0; i < 100; ++i)
        s.AddPoint(i, i);
    s.SetLineColor(clRed);
    EXPECT_EQ(full(), f);
    EXPECT_TRUE(s.HoldPending());
    s.SetHold(false);
    EXPECT_EQ(full(), f + 1);
    EXPECT_FALSE(s.HoldPending());
    s.SetHold(true);
    s.SetHold(false); // nothing arrived meanwhile
    EXPECT_EQ(full(), f + 1);
}

TEST_F(SeriesFixture, NothingIsDrawnWhileNotPlotting) {
    graph.SetPlotting(false);
    const int f = full();
    s.AddPoint(1, 1);
    s.SetVisible(false);
    EXPECT_EQ(full(), f);
    EXPECT_FALSE(s.HoldPending());
}

TEST_F(SeriesFixture, PointSizeStaysEvenForDrawnSymbols) {
    s.SetPointSize(5);
    EXPECT_EQ(s.PointSize(), 6);
    s.SetPointSize(1);
    EXPECT_EQ(s.PointSize(), 2);
    s.SetPointShape(sh_Step);
    s.SetPointSize(5);
    EXPECT_EQ(s.PointSize(), 5);
    s.SetPointShape(sh_Bar);
    EXPECT_EQ(s.PointSize(), 6);
    s.SetPointShape(sh_Step);
    s.SetPointSize(0);
    s.SetPointShape(sh_Cross);
    EXPECT_EQ(s.PointSize(), 2);
}

TEST_F(SeriesFixture, StyleSettersRepaintOnlyOnChange) {
    int f = full();
    s.SetLineColor(s.LineColor());
    s.SetVisible(true);
    EXPECT_EQ(full(), f);
    s.SetShowLine(false);
    s.SetBarWidth(2);
    EXPECT_EQ(full(), f += 2);
    // Bounds notify only when drawn as fixed lines.
    s.SetUpperBound(5);
    EXPECT_EQ(full(), f);
    s.SetBoundsMode(bm_Fixed);
    s.SetLowerBound(1);
    EXPECT_EQ(full(), f += 2);
    EXPECT_EQ(s.UpperBound(), 5);
    // Regression pen settings notify only with a regression.
    s.SetRegressionLineColor(clBlue);
    EXPECT_EQ(full(), f);
    s.SetRegressionType(1);
    s.SetRegressionLineStyle(0);
    EXPECT_EQ(full(), f += 2);
    s.SetFirstAxis(false);
    EXPECT_EQ(&s.YAxisRef(), &graph.YAxis_Second());
    EXPECT_FALSE(s.FirstAxis());
    EXPECT_EQ(full(), f + 1);
}

TEST_F(SeriesFixture, AllowDuplicatesReachesEverySeriesAndAlwaysRepaints) {
    TSeries& t = graph.GetSeries(2);
    graph.Appearance().SetAllowDuplicates(true);
    EXPECT_TRUE(s.DuplicatesAllowed());
    EXPECT_TRUE(t.DuplicatesAllowed());
    EXPECT_TRUE(graph.GetSeries(3).DuplicatesAllowed()); // new series copy it
    s.AddPoint(1, 1);
    s.AddPoint(1, 2);
    graph.SetPlotting(false);
    const int f = full();
    graph.Appearance().SetAllowDuplicates(false);
    EXPECT_EQ(full(), f + 1);
    EXPECT_EQ(s.Count(), 1);
}

TEST_F(SeriesFixture, TooManyPointsReachesTheGraphEvent) {
    std::vector<int> raised;
    graph.OnTooManyPoints = [&](QObject* sender, int index) {
        EXPECT_EQ(sender, &graph);
        raised.push_back(index);
        if (raised.size() == 3) static_cast<TSeries&>(s).Clear();
    };
    s.SetPointLimit(2);
    s.SetHold(true);
    for (int i = 0; i < 6; ++i)
        s.AddPoint(i, i);
    EXPECT_EQ(raised, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(s.Count(), 1);
}

TEST_F(SeriesFixture, TooManyPointsHandlerMayDestroyTheSeries) {
    graph.OnTooManyPoints = [&](QObject*, int) { graph.ClearAllSeries(); };
    s.SetPointLimit(1);
    const int f = full();
    s.AddPoint(1, 1);
    s.AddPoint(2, 2); // the series is gone when the handler returns
    EXPECT_TRUE(graph.SeriesList().empty());
    EXPECT_EQ(full(), f + 2); // the first point's and ClearAllSeries' own
}

} // namespace
