#include "Axis.h"
#include "Appearance.h"
#include "DateSerial.h"
#include "Exception.h"
#include "PlotGraph.h"
#include "Series.h"

#include "GraphTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace {

TEST(AxisGetStep, FollowsTheOneTwoFiveLadder) {
    const struct {
        double low, high, step;
    } cases[] = {
        {0, 1, 0.2},  {0, 10, 2},     {0, 0.3, 0.05},     {0, 7, 1},
        {-1, 1, 0.2}, {0, 1000, 200}, {0, 0.001, 0.0001}, {100, 101, 0.2},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(TAxis::GetStep(5, c.low, c.high), c.step, c.step * 1e-9) << c.high;
    EXPECT_EQ(ErrorOf([] { TAxis::GetStep(5, 2, 2); }), "GetStep entered with bad range");
    EXPECT_EQ(ErrorOf([] { TAxis::GetStep(5, 3, 2); }), "GetStep entered with bad range");
}

TEST(AxisGetStep, NonFiniteRangeIsAnInvalidOperationNotACrash) {
    EXPECT_THROW(TAxis::GetStep(5, 0, std::numeric_limits<double>::infinity()), EInvalidOp);
    EXPECT_THROW(TAxis::GetStep(5, 0, std::nan("")), EInvalidOp);
}

struct FitCase {
    double oMin, oMax;
    bool autoStepping;
    double min, max, step;
};

TEST(AxisSetMinMax, FitsTheRangeWithMarginAndPullsToZero) {
    const FitCase cases[] = {
        {0.1, 0.9, true, 0, 1, 0.1}, // gap to 0 below a quarter: pulled to 0
        {3, 3, true, 0, 3.5, 0.5},   // single value
        {0, 0, true, -1, 1, 0.2},        {-3, -3, true, -3.6, 0, 0.5},
        {0, 10, true, -2, 12, 2},    // data starting at 0 get a step below it
        {5, 6, true, 4.8, 6.2, 0.2}, // far from 0: not pulled
        {-6, -5, true, -6.2, -4.8, 0.2},
    };
    for (const auto& c : cases) {
        TAxis axis(nullptr, TAxis::Kind::Y);
        axis.SetAutoStepping(c.autoStepping);
        axis.SetDataRange(c.oMin, c.oMax);
        axis.SetMinMax();
        EXPECT_NEAR(axis.Min(), c.min, 1e-9) << c.oMin << ".." << c.oMax;
        EXPECT_NEAR(axis.Max(), c.max, 1e-9) << c.oMin << ".." << c.oMax;
        EXPECT_NEAR(axis.StepSize(), c.step, 1e-12) << c.oMin << ".." << c.oMax;
    }
}

TEST(AxisSetMinMax, KeepsAFittingStepUnlessItGivesTooManyIntervals) {
    TAxis axis(nullptr, TAxis::Kind::Y);
    axis.SetStepSize(0.5);
    axis.SetDataRange(0.2, 4.7);
    axis.SetMinMax();
    EXPECT_EQ(axis.StepSize(), 0.5);
    axis.SetStepSize(0.01); // 470 intervals > MaxSteps 50
    axis.SetMinMax();
    EXPECT_NEAR(axis.StepSize(), 0.5, 1e-12);
}

TEST(AxisSetMinMax, ReportsImpossibleRanges) {
    TAxis axis(nullptr, TAxis::Kind::Y);
    axis.SetDataRange(2, 1);
    EXPECT_EQ(ErrorOf([&] { axis.SetMinMax(); }), "Impossible: oMin > oMax in SetMinMax!");
    // A range too narrow for a step of its own is no error: it is laid out
    // as one value (NarrowRangeTest.cpp).
    axis.SetDataRange(1e300, std::nextafter(1e300, 2e300));
    EXPECT_EQ(ErrorOf([&] { axis.SetMinMax(); }), "");
}

TEST(AxisDecadeTable, NormalisesTheDivisionCount) {
    const struct {
        int given, n;
        std::vector<double> table;
    } cases[] = {
        {0, 0, {1, 10}},
        {1, 1, {1, 5, 10}},
        {3, 2, {1, 2, 5, 10}},
        {4, 5, {1, 1.5, 2, 3, 5, 7, 10}},
        {8, 7, {1, 1.5, 2, 3, 4, 5, 6, 8, 10}},
        {12, 9, {1, 1.2, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10}},
    };
    for (const auto& c : cases) {
        TAxis axis(nullptr, TAxis::Kind::X);
        axis.SetLogCycleDivisions(c.given);
        EXPECT_EQ(axis.LogCycleDivisions(), c.n);
        const auto& s = axis.LogTickState();
        EXPECT_EQ(std::vector<double>(s.Table.begin(), s.Table.begin() + c.n + 2), c.table);
        EXPECT_TRUE(s.LabelAll);
    }
}

// A graph with one series whose points span the given range on YAxis.
struct GraphWithData {
    TPlotGraph graph;
    TAxis& axis = graph.YAxis();
    explicit GraphWithData(double lo, double hi) {
        graph.SetPlotting(false);
        TSeries& s = graph.GetSeries(1);
        s.AddPoint(0, lo);
        s.AddPoint(1, hi);
        axis.SetDataRange(lo, hi);
    }
};

TEST(AxisAutoScale, LogAxisWithNarrowDataIsFittedLinearly) {
    GraphWithData g(2, 5);
    g.axis.SetLogScale(true);
    g.axis.SetAutoSizing(true);
    g.axis.SetAutoStepping(true);
    EXPECT_TRUE(g.axis.AutoScale());
    EXPECT_TRUE(g.axis.LogTickState().NarrowLog);
    EXPECT_TRUE(g.axis.LogTickState().LabelAll);
    // Step 0.5 with at least 1 % of a step of margin; not pulled to 0.
    EXPECT_NEAR(g.axis.Min(), 1.5, 1e-12);
    EXPECT_NEAR(g.axis.Max(), 5.5, 1e-12);
    EXPECT_TRUE(g.axis.CheckRange());
    TLogTickState state = g.axis.LogTickState();
    bool labelled = false;
    const double first = g.axis.FirstTick(state);
    EXPECT_NEAR(g.axis.NextTick(state, labelled, first) - first, g.axis.StepSize(), 1e-12);
}

TEST(AxisAutoScale, LogAxisOverThreeDecadesTakesWholeDecades) {
    GraphWithData g(1, 1000);
    g.axis.SetLogScale(true);
    g.axis.SetAutoSizing(true);
    g.axis.AutoScale();
    EXPECT_FALSE(g.axis.LogTickState().NarrowLog);
    EXPECT_NEAR(g.axis.Min(), 1, 1e-12);
    EXPECT_EQ(g.axis.Max(), 1000); // upper power 100, whole decades: 100 * 10
    EXPECT_TRUE(g.axis.CheckRange());
}

TEST(AxisAutoScale, LogAxisBelowThirtyUsesTheTableEntries) {
    GraphWithData g(1.3, 17);
    g.axis.SetLogScale(true);
    g.axis.SetAutoSizing(true);
    g.axis.AutoScale();
    EXPECT_NEAR(g.axis.Min(), 1, 1e-9);
    EXPECT_NEAR(g.axis.Max(), 20, 1e-6);
}

TEST(AxisAutoScale, LogAxisWithNonPositiveDataIsLeftAlone) {
    GraphWithData g(-1, 10);
    g.axis.SetLogScale(true);
    g.axis.SetAutoSizing(true);
    g.axis.SetMin(0.5);
    g.axis.SetAutoSizing(true);
    EXPECT_FALSE(g.axis.AutoScale());
    EXPECT_EQ(g.axis.Min(), 0.5);
}

TEST(AxisAutoScale, NotAutoSizedWithDataChangesNothing) {
    GraphWithData g(0.1, 0.9);
    g.axis.SetMax(7);
    EXPECT_FALSE(g.axis.AutoScale());
    EXPECT_EQ(g.axis.Max(), 7);
}

TEST(AxisAutoScale, MinScaleLengthWidensTheDataRange) {
    GraphWithData g(1, 1.5);
    g.axis.SetMinScaleLength(10);
    g.axis.SetAutoSizing(true);
    g.axis.SetAutoStepping(true);
    g.axis.AutoScale();
    EXPECT_EQ(g.axis.DataMax(), 11);
    EXPECT_GE(g.axis.Max(), 11);
}

TEST(AxisNoData, LinearRangesAreOrderedOrWidened) {
    const struct {
        double min, max;
        bool result;
        double newMin, newMax;
    } cases[] = {
        {0, 1, false, 0, 1}, {5, 2, true, 2, 5},    {3, 3, true, 0, 3},
        {0, 0, true, -1, 1}, {-3, -3, true, -3, 0},
    };
    for (const auto& c : cases) {
        TAxis axis(nullptr, TAxis::Kind::Y);
        axis.SetMax(c.max);
        axis.SetMin(c.min);
        EXPECT_EQ(axis.AutoScale(), c.result) << c.min << " " << c.max;
        EXPECT_EQ(axis.Min(), c.newMin);
        EXPECT_EQ(axis.Max(), c.newMax);
        EXPECT_GT(axis.StepSize(), 0);
    }
}

TEST(AxisNoData, LogRangesBecomePositive) {
    TAxis axis(nullptr, TAxis::Kind::Y);
    axis.SetLogScale(true);
    axis.SetMin(-5);
    axis.SetMax(100);
    EXPECT_FALSE(axis.AutoScale());
    EXPECT_DOUBLE_EQ(axis.Min(), 10);
    axis.SetMax(-1);
    axis.SetMin(-2);
    axis.AutoScale();
    EXPECT_EQ(axis.Min(), 1);
    EXPECT_EQ(axis.Max(), 10);
    EXPECT_TRUE(axis.CheckRange());
}

TEST(AxisNoData, TimeAxisEndsNowWithFiveTicks) {
    TAxis axis(nullptr, TAxis::Kind::X);
    axis.SetShowAsTime(true);
    axis.SetDateTickType(TAxis::dt_hourly);
    const double before = Now();
    EXPECT_TRUE(axis.AutoScale());
    EXPECT_GE(axis.Max(), before - 1e-6);
    EXPECT_LE(axis.Max(), Now() + 1e-6);
    EXPECT_NEAR(axis.Max() - axis.Min(), 5.0 / 24, 1e-9);
    EXPECT_TRUE(axis.CheckRange());
}

TEST(AxisCheckRange, MarksInconsistentRanges) {
    TAxis axis(nullptr, TAxis::Kind::X);
    EXPECT_TRUE(axis.CheckRange());
    axis.SetMin(1);
    EXPECT_FALSE(axis.CheckRange());
    EXPECT_FALSE(axis.RangeValid());
    axis.SetMin(0);
    axis.SetLogScale(true);
    EXPECT_FALSE(axis.CheckRange());
    axis.SetLogScale(false);
    axis.SetShowAsTime(true);
    axis.SetMax(100);
    axis.SetMin(0.5);
    EXPECT_FALSE(axis.CheckRange());
    axis.SetMin(1);
    EXPECT_TRUE(axis.CheckRange());
}

TEST(AxisCalcMetrics, GivesPixelsPerUnitOrAnError) {
    TAxis axis(nullptr, TAxis::Kind::X);
    axis.SetMax(10);
    axis.CalcMetrics(200);
    EXPECT_DOUBLE_EQ(axis.PixelScale(), 20);
    axis.SetLogScale(true);
    axis.SetMin(1);
    axis.CalcMetrics(100);
    EXPECT_DOUBLE_EQ(axis.PixelScale(), 100 / std::log(10.0));
    axis.SetMin(10);
    EXPECT_EQ(ErrorOf([&] { axis.CalcMetrics(100); }), "X axisCalcMetrics: XMin>=XMax");
}

std::vector<double> Walk(TAxis& axis, std::vector<bool>* labels = nullptr) {
    TLogTickState state = axis.LogTickState();
    std::vector<double> ticks;
    double t = axis.FirstTick(state);
    const double limit = axis.Max() + 0.001 * (axis.Max() - axis.Min());
    bool labelled = true;
    while (t < limit && ticks.size() < 100) {
        ticks.push_back(t);
        if (labels) labels->push_back(labelled);
        t = axis.NextTick(state, labelled, t);
    }
    return ticks;
}

TEST(AxisTicks, LinearWalkStartsOnAStepMultipleAndSetsDecimals) {
    TAxis axis(nullptr, TAxis::Kind::X);
    axis.SetMax(1.1);
    axis.SetMin(-0.45);
    axis.SetStepSize(0.5);
    const auto ticks = Walk(axis);
    // The first step multiple at or above Min; 1.5 lies beyond the tick limit.
    EXPECT_EQ(ticks, (std::vector<double>{0, 0.5, 1}));
    const struct {
        double step;
        int decimals;
    } cases[] = {{0.2, 1}, {0.05, 2}, {2, 0}, {500, 0}, {0.001, 3}};
    for (const auto& c : cases) {
        axis.SetStepSize(c.step);
        TLogTickState s = axis.LogTickState();
        axis.FirstTick(s);
        EXPECT_EQ(axis.LabelDecimals(), c.decimals) << c.step;
    }
    axis.SetAutoLabelDecimals(false);
    axis.SetLabelDecimals(7);
    TLogTickState s = axis.LogTickState();
    axis.FirstTick(s);
    EXPECT_EQ(axis.LabelDecimals(), 7);
}

TEST(AxisTicks, LogWalkMultipliesTheDecadeTable) {
    TAxis axis(nullptr, TAxis::Kind::Y);
    axis.SetLogScale(true);
    axis.SetMin(1);
    axis.SetMax(1000);
    axis.UpdateLabelAll(); // 3 decades * 2 divisions < 10: every tick labelled
    std::vector<bool> labels;
    auto ticks = Walk(axis, &labels);
    const std::vector<double> expected = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
    ASSERT_EQ(ticks.size(), expected.size());
    for (std::size_t i = 0; i < ticks.size(); ++i)
        EXPECT_NEAR(ticks[i], expected[i], expected[i] * 1e-9);
    EXPECT_EQ(labels, std::vector<bool>(10, true));
    // Over many decades only the decade values get labels.
    axis.SetMax(1e6);
    axis.UpdateLabelAll();
    labels.clear();
    ticks = Walk(axis, &labels);
    for (std::size_t i = 1; i < ticks.size(); ++i)
        EXPECT_EQ(labels[i], i % 3 == 0) << ticks[i];
    // The template itself is untouched by a walk.
    EXPECT_EQ(axis.LogTickState().Table[1], 2);
}

TEST(AxisTicks, LogWalkBelowOneStartsInTheRightDecade) {
    TAxis axis(nullptr, TAxis::Kind::Y);
    axis.SetLogScale(true);
    axis.SetMin(0.05);
    axis.SetMax(1);
    const auto ticks = Walk(axis);
    ASSERT_FALSE(ticks.empty());
    EXPECT_NEAR(ticks[0], 0.05, 1e-12);
    EXPECT_NEAR(ticks[1], 0.1, 1e-12);
    EXPECT_EQ(ticks.back(), 1);
    EXPECT_EQ(axis.LabelDecimals(), 0); // set at the last decade start, 1
}

TEST(AxisAutoDecimals, StepDecimalsTable) {
    EXPECT_EQ(TAxis::StepDecimals(0.2), 1);
    EXPECT_EQ(TAxis::StepDecimals(5), 0);
    EXPECT_EQ(TAxis::StepDecimals(50), -1);
    EXPECT_EQ(TAxis::StepDecimals(0.01), 2);
}

TEST(AxisDates, TickLengthsInDays) {
    EXPECT_DOUBLE_EQ(TAxis::DateTickLength(TAxis::dt_minute, 5, 0, 1), 1 / 1440.0);
    EXPECT_DOUBLE_EQ(TAxis::DateTickLength(TAxis::dt_weekly, 5, 0, 1), 7);
    EXPECT_DOUBLE_EQ(TAxis::DateTickLength(TAxis::dt_decade, 5, 0, 1), 3654);
    EXPECT_DOUBLE_EQ(TAxis::DateTickLength(TAxis::dt_custom, 5, 0, 10), 2);
}

double At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0);
}

TEST(AxisDates, AutoScaleMovesToTickBoundaries) {
    // Tuesday 5 March 2024 07:04:09 to Thursday 14 Nov 2024 13:31:00.
    const double lo = At(2024, 3, 5, 7, 4, 9), hi = At(2024, 11, 14, 13, 31);
    const struct {
        TAxis::Dateticks type;
        double min, max;
    } cases[] = {
        {TAxis::dt_minute, At(2024, 3, 5, 7, 4), At(2024, 11, 14, 13, 31)},
        {TAxis::dt_5minute, At(2024, 3, 5, 7, 0), At(2024, 11, 14, 13, 35)},
        {TAxis::dt_halfhourly, At(2024, 3, 5, 7, 0), At(2024, 11, 14, 14, 0)},
        {TAxis::dt_hourly, At(2024, 3, 5, 7), At(2024, 11, 14, 14)},
        {TAxis::dt_daily, At(2024, 3, 5), At(2024, 11, 15)},
        {TAxis::dt_weekly, At(2024, 3, 3), At(2024, 11, 17)},
        {TAxis::dt_monthly, At(2024, 3, 1), At(2024, 12, 1)},
        {TAxis::dt_2monthly, At(2024, 3, 1), At(2025, 1, 1)},
        {TAxis::dt_quarterly, At(2024, 1, 1), At(2025, 1, 1)},
        {TAxis::dt_annually, At(2024, 1, 1), At(2025, 1, 1)},
        {TAxis::dt_decade, At(2020, 1, 1), At(2030, 1, 1)},
        {TAxis::dt_century, At(2000, 1, 1), At(2100, 1, 1)},
    };
    for (const auto& c : cases) {
        TAxis axis(nullptr, TAxis::Kind::X);
        axis.SetShowAsTime(true);
        axis.SetDateTickType(c.type);
        axis.SetDataRange(lo, hi);
        axis.DateAutoScale();
        EXPECT_NEAR(axis.Min(), c.min, 1e-7) << c.type;
        EXPECT_NEAR(axis.Max(), c.max, 1e-7) << c.type;
    }
}

TEST(AxisDates, ValuesOnABoundaryStay) {
    TAxis axis(nullptr, TAxis::Kind::X);
    axis.SetShowAsTime(true);
    axis.SetDateTickType(TAxis::dt_monthly);
    axis.SetDataRange(At(2024, 1, 1), At(2024, 6, 1));
    axis.DateAutoScale();
    EXPECT_EQ(axis.Min(), At(2024, 1, 1));
    EXPECT_EQ(axis.Max(), At(2024, 6, 1));
    // No range or a range before day 1: nothing changes.
    axis.SetDataRange(0.5, 0.7);
    axis.DateAutoScale();
    EXPECT_EQ(axis.Min(), At(2024, 1, 1));
}

TEST(AxisDates, TickWalkFollowsTheCalendar) {
    TAxis axis(nullptr, TAxis::Kind::X);
    axis.SetShowAsTime(true);
    axis.SetDateTickType(TAxis::dt_2monthly);
    axis.SetMax(At(2025, 4, 1));
    axis.SetMin(At(2024, 8, 15));
    const auto ticks = Walk(axis);
    const std::vector<double> expected = {At(2024, 9, 1), At(2024, 11, 1), At(2025, 1, 1),
                                          At(2025, 3, 1)};
    EXPECT_EQ(ticks, expected);

    axis.SetDateTickType(TAxis::dt_weekly);
    const auto weeks = Walk(axis);
    ASSERT_FALSE(weeks.empty());
    EXPECT_EQ(weeks[0], At(2024, 8, 18)); // the Sunday after Min
    for (double w : weeks)
        EXPECT_EQ(DayOfWeek(w), 1);

    axis.SetDateTickType(TAxis::dt_custom);
    axis.SetStepSize(30);
    const auto custom = Walk(axis);
    EXPECT_EQ(custom[0], axis.Min());
    EXPECT_EQ(custom[1], axis.Min() + 30);

    axis.SetDateTickType(TAxis::dt_annually);
    axis.SetMax(At(2030, 6, 1));
    EXPECT_EQ(Walk(axis), (std::vector<double>{At(2025, 1, 1), At(2026, 1, 1), At(2027, 1, 1),
                                               At(2028, 1, 1), At(2029, 1, 1), At(2030, 1, 1)}));
}

TEST(AxisSetters, MaxSwitchesAutoSizingOffEvenWhenEqual) {
    TPlotGraph graph;
    int rescales = 0;
    graph.OnRescale = [&](QObject*) { ++rescales; };
    graph.RequestRepaint(TPlotGraph::TRepaintKind::Full); // valid axes: MetricsOK
    ASSERT_TRUE(graph.MetricsOK());
    TAxis& x = graph.XAxis();
    x.SetAutoSizing(true);
    const int repaints = graph.FullRepaintCount();
    x.SetMax(x.Max());
    EXPECT_FALSE(x.AutoSizing());
    EXPECT_EQ(graph.FullRepaintCount(), repaints);
    EXPECT_EQ(rescales, 0);
    x.SetMax(5);
    EXPECT_EQ(graph.FullRepaintCount(), repaints + 1);
    EXPECT_EQ(rescales, 1);
    x.SetStepSize(1);
    EXPECT_EQ(rescales, 2);
}

TEST(AxisSetters, MinScaleLengthRepaintsOnlyWhenItMatters) {
    TPlotGraph graph;
    TAxis& x = graph.XAxis(); // span 1
    int n = graph.FullRepaintCount();
    x.SetMinScaleLength(0.5);
    EXPECT_EQ(graph.FullRepaintCount(), n);
    x.SetMinScaleLength(2);
    EXPECT_EQ(graph.FullRepaintCount(), ++n);
    x.SetMinScaleLength(1); // the old value 2 was not the span
    EXPECT_EQ(graph.FullRepaintCount(), n);
    x.SetMinScaleLength(0.3); // the old value equalled the span
    EXPECT_EQ(graph.FullRepaintCount(), ++n);
}

TEST(AxisSetters, ShowAsTimeWithoutDataTakesTheRangeAsData) {
    TAxis axis(nullptr, TAxis::Kind::X);
    axis.SetMax(50000);
    axis.SetMin(40000);
    axis.SetShowAsTime(true);
    EXPECT_EQ(axis.DataMin(), 40000);
    EXPECT_EQ(axis.DataMax(), 50000);
    axis.SetMax(45000);
    EXPECT_EQ(axis.DataMax(), 45000);
}

TEST(AxisDefaults, DependOnTheKindOfAxis) {
    TPlotGraph graph;
    const TAxis& x = graph.XAxis();
    const TAxis& y2 = graph.YAxis_Second();
    EXPECT_EQ(x.Title(), "X axis");
    EXPECT_EQ(graph.YAxis().Title(), "Y axis");
    EXPECT_EQ(y2.Title(), "Second Y axis");
    EXPECT_TRUE(x.ShowAxis());
    EXPECT_FALSE(y2.ShowAxis());
    EXPECT_TRUE(y2.Reversed());
    EXPECT_EQ(y2.OffsetType(), TAxis::ao_Maximum);
    EXPECT_FALSE(y2.AutoLabelDecimals());
    EXPECT_EQ(x.DateTimeFormat(), "dd-mmm");
    EXPECT_EQ(x.StepSize(), 0.2);
}

} // namespace
