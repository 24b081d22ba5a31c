#include "PlotGraph.h"
#include "Appearance.h"
#include "Axis.h"
#include "Dimensions.h"
#include "Legend.h"
#include "Series.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Numbers(const TPlotGraph& g) {
    std::vector<int> v;
    for (const auto& s : g.SeriesList())
        v.push_back(s->Number());
    return v;
}

TEST(PlotGraphSeries, GetSeriesInsertsInNumberOrderAndAnnouncesOnce) {
    TPlotGraph g;
    std::vector<int> announced;
    g.OnNewSeries = [&](QObject* sender, int index) {
        EXPECT_EQ(sender, &g);
        announced.push_back(index);
    };
    g.GetSeries(5);
    g.GetSeries(1);
    TSeries& three = g.GetSeries(3);
    EXPECT_EQ(&g.GetSeries(3), &three);
    EXPECT_EQ(Numbers(g), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(announced, (std::vector<int>{5, 1, 3}));
    EXPECT_EQ(g.HighestSeriesNumber(), 5);
    EXPECT_EQ(g.FindSeries(4), nullptr);
}

TEST(PlotGraphSeries, ClearAllSeriesAnnouncesEachAndRepaintsOnce) {
    TPlotGraph g;
    g.GetSeries(1);
    g.GetSeries(2);
    std::vector<int> deleted;
    g.OnDeleteSeries = [&](QObject* sender, int index) {
        EXPECT_EQ(static_cast<TSeries*>(sender)->Number(), index);
        deleted.push_back(index);
    };
    const int f = g.FullRepaintCount();
    g.ClearAllSeries();
    EXPECT_TRUE(g.SeriesList().empty());
    EXPECT_EQ(deleted, (std::vector<int>{1, 2}));
    EXPECT_EQ(g.FullRepaintCount(), f + 1);
    EXPECT_TRUE(g.Plotting());
}

TEST(PlotGraphSeries, HasDataLooksAtTheAxisOfEachSeries) {
    TPlotGraph g;
    EXPECT_FALSE(g.HasData());
    TSeries& s = g.GetSeries(1);
    EXPECT_FALSE(g.HasData());
    s.SetFirstAxis(false);
    s.AddPoint(1, 1);
    EXPECT_TRUE(g.HasData());
    EXPECT_TRUE(g.HasData(&g.XAxis()));
    EXPECT_FALSE(g.HasData(&g.YAxis()));
    EXPECT_TRUE(g.HasData(&g.YAxis_Second()));
}

TEST(PlotGraphMarks, AddMarkReplacesByIdAndKeepsIdOrder) {
    TPlotGraph g;
    const int f = g.FullRepaintCount();
    g.AddMark({.ID = 7, .Caption = "seven"});
    g.AddMark({.ID = 2, .Caption = "two"});
    g.AddMark({.ID = 7, .X1Value = 1, .Caption = "again"});
    ASSERT_EQ(g.Marks().size(), 2u);
    EXPECT_EQ(g.Marks()[0].ID, 2);
    EXPECT_EQ(g.Marks()[1].Caption, "again");
    EXPECT_EQ(g.FullRepaintCount(), f + 3);
    g.ClearMarks();
    EXPECT_TRUE(g.Marks().empty());
}

TEST(PlotGraphDraw, FullDrawRescalesAutoSizedAxesFromTheData) {
    TPlotGraph g;
    std::vector<int> rescales;
    g.OnRescale = [&](QObject*) { rescales.push_back(1); };
    g.XAxis().SetAutoSizing(true);
    g.XAxis().SetAutoStepping(true);
    g.YAxis().SetAutoSizing(true);
    TSeries& s = g.GetSeries(1);
    TSeries& hidden = g.GetSeries(2);
    hidden.AddPoint(-100, -100);
    hidden.SetVisible(false);
    rescales.clear();
    s.AddPoint(0.1, 2);
    s.AddPoint(0.9, 3);
    EXPECT_NEAR(g.XAxis().Min(), 0, 1e-12);
    EXPECT_NEAR(g.XAxis().Max(), 1, 1e-9);
    // Fitted with step 0.1, then the step is chosen again for [0, 1].
    EXPECT_NEAR(g.XAxis().StepSize(), 0.2, 1e-12);
    EXPECT_GE(g.YAxis().Min(), 0); // the hidden series does not count
    EXPECT_GE(g.YAxis().Max(), 3);
    EXPECT_TRUE(g.MetricsOK());
    EXPECT_FALSE(rescales.empty());
    // Pixel scales over the plot rectangle of the 200x200 control.
    EXPECT_NEAR(g.XAxis().PixelScale(), (200 - 40 - 15) / 1.0, 1e-6);
}

TEST(PlotGraphDraw, InvalidAxisClearsMetricsOkUntilFixed) {
    TPlotGraph g;
    g.XAxis().SetMax(0); // Min = Max
    EXPECT_FALSE(g.MetricsOK());
    EXPECT_FALSE(g.XAxis().RangeValid());
    int rescales = 0;
    g.OnRescale = [&](QObject*) { ++rescales; };
    g.SetPlotting(true);
    EXPECT_EQ(rescales, 0);
    g.XAxis().SetMax(10); // raises before its repaint finds the axes valid again
    EXPECT_TRUE(g.MetricsOK());
    EXPECT_EQ(rescales, 0);
    g.SetPlotting(true);
    EXPECT_EQ(rescales, 1);
}

TEST(PlotGraphDraw, PlottingOffSkipsRepaintsFromSetters) {
    TPlotGraph g;
    g.SetPlotting(false);
    const int f = g.FullRepaintCount();
    g.Appearance().SetGridColor(clRed);
    g.Dimensions().SetLeftMargin(50);
    g.Legend().setTop(20);
    g.XAxis().SetTitle("t");
    EXPECT_EQ(g.FullRepaintCount(), f);
    g.SetPlotting(true);
    EXPECT_EQ(g.FullRepaintCount(), f + 1);
}

TEST(PlotGraphAppearance, StepLimitsAreGuarded) {
    TPlotGraph g;
    TAppearance& a = g.Appearance();
    a.SetMaxSteps(100);
    EXPECT_EQ(a.MaxSteps(), 50);
    a.SetMinSteps(20); // not below 0.4 * 50
    EXPECT_EQ(a.MinSteps(), 5);
    a.SetMinSteps(0);
    EXPECT_EQ(a.MinSteps(), 5);
    a.SetMinSteps(19);
    EXPECT_EQ(a.MinSteps(), 19);
    a.SetMaxSteps(47); // must exceed 2.5 * 19 = 47.5
    EXPECT_EQ(a.MaxSteps(), 50);
    a.SetMaxSteps(90);
    EXPECT_EQ(a.MaxSteps(), 90);
}

TEST(PlotGraphAppearance, OnlyChangedValuesRepaintWhereSaid) {
    TPlotGraph g;
    TAppearance& a = g.Appearance();
    int f = g.FullRepaintCount();
    a.SetCrossAtZero(true);
    a.SetCrossColor(a.CrossColor());
    a.SetCrosslength(4);
    a.SetShowMarks(false);
    EXPECT_EQ(g.FullRepaintCount(), f);
    a.SetShowTicks(true); // always repaints
    EXPECT_EQ(g.FullRepaintCount(), ++f);
    a.SetErrorCaption("bad"); // axes valid: no repaint
    EXPECT_EQ(g.FullRepaintCount(), f);
    g.XAxis().SetMin(5);
    f = g.FullRepaintCount();
    a.SetErrorCaption("worse");
    EXPECT_EQ(g.FullRepaintCount(), f + 1);
}

TEST(PlotGraphDimensions, TickLengthZeroTurnsTicksOffForGood) {
    TPlotGraph g;
    g.Dimensions().SetTickLength(0);
    EXPECT_FALSE(g.Appearance().ShowTicks());
    g.Dimensions().SetTickLength(4);
    EXPECT_FALSE(g.Appearance().ShowTicks());
}

TEST(PlotGraphDimensions, PrintPercentagesAreLimitedAndNeverRepaint) {
    TPlotGraph g;
    TDimensions& d = g.Dimensions();
    const int f = g.FullRepaintCount();
    d.SetPrintScalePct(10);
    EXPECT_EQ(d.PrintScalePct(), 20);
    d.SetPrintScalePct(150);
    EXPECT_EQ(d.PrintScalePct(), 100);
    d.SetPrintXOffsetPct(101);
    EXPECT_EQ(d.PrintXOffsetPct(), 100);
    d.SetPrintYOffsetPct(-3);
    EXPECT_EQ(d.PrintYOffsetPct(), 0);
    EXPECT_EQ(g.FullRepaintCount(), f);
}

TEST(PlotGraphLegend, DefaultsAndUnchangedValues) {
    TPlotGraph g;
    TLegend& l = g.Legend();
    EXPECT_EQ(l.width(), 180);
    EXPECT_EQ(l.color(), g.Appearance().BackgroundColor());
    EXPECT_FALSE(l.visible());
    const int f = g.FullRepaintCount();
    l.setLeft(10);
    l.SetLayout(TLegend::lsAcross);
    EXPECT_EQ(g.FullRepaintCount(), f);
    l.SetLayout(TLegend::lsDown);
    EXPECT_EQ(g.FullRepaintCount(), f + 1);
}

TEST(PlotGraphDefaults, ResetRestoresEverySettingsObject) {
    TPlotGraph g;
    g.Appearance().SetGraphTitle("x");
    g.Dimensions().SetTopMargin(99);
    g.YAxis().SetLogCycleDivisions(9);
    g.Legend().setVisible(true);
    g.SetDefaults();
    EXPECT_EQ(g.Appearance().GraphTitle(), "PlotGraph 3.01");
    EXPECT_EQ(g.Dimensions().TopMargin(), 30);
    EXPECT_EQ(g.YAxis().LogCycleDivisions(), 2);
    EXPECT_FALSE(g.Legend().visible());
    EXPECT_TRUE(g.Plotting());
    EXPECT_TRUE(g.DragAllowed());
}

} // namespace
