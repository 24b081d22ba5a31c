// Axes over values that differ only in their last digits: a density that
// barely moves (N2 from 9 to 9.000000000001), a rate 0 under an adaptive
// solver. Such a range has no ticks of its own (its step, next to the values,
// is beyond the 32-bit tick arithmetic and close to what doubles tell apart),
// so it is laid out as for equal minimum and maximum, without an error: on
// the axis alone, in a full draw of a graph (linear and log), while points are
// appended, on a range set by hand, and in the phase plane.
#include "Appearance.h"
#include "Axis.h"
#include "PhasePlaneGraph.h"
#include "PlotGraph.h"
#include "QtColor.h"
#include "Series.h"

#include "GraphTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMaxDouble = std::numeric_limits<double>::max();

struct Narrow {
    double lo, hi;
};

const Narrow kNarrow[] = {
    {9, 9 + 1e-12},
    {-5, -5 + 1e-13},
    {1e6, 1e6 * (1 + 1e-15)},
    {0, 1e-300},
    {1e300, 1.0000001e300},
    {-1.0000001e300, -1e300},
    {1, std::nextafter(1.0, 2.0)},
    {-1, std::nextafter(-1.0, 0.0)},
    {5, 5 + 1e-9},
    {1e15, 1e15 + 1},
    {123456.789, std::nextafter(123456.789, kInf)},
    {1e-300, 1e-300 * (1 + 1e-15)},
    {1e300, std::nextafter(1e300, kInf)},
    {1e-200, 1.0000000000001e-200},
    {-1e-200, -0.9999999999999e-200},
    {0, 5e-324},                              // the smallest denormal
    {5e-324, 1e-323},                         // two denormals
    {-5e-324, 5e-324},                        // around 0
    {0, 1e-320},                              // a range whose own step is denormal
    {1.7e308, std::nextafter(1.7e308, kInf)}, // 1.2 times it is no double
    {-kMaxDouble, std::nextafter(-kMaxDouble, 0.0)},
};

std::string Name(const Narrow& c) {
    std::ostringstream s;
    s.precision(17);
    s << c.lo << " .. " << c.hi;
    return s.str();
}

TLabelMetrics Metrics() {
    TLabelMetrics m;
    m.Width = [](const QString& text) { return 7 * static_cast<int>(text.size()); };
    m.Height = 12;
    m.CharWidth = 7;
    return m;
}

// The fitted range holds the values, and the ticks planned on it are finite,
// at least the two ends and few.
void ExpectLaidOut(const TAxis& axis, const Narrow& c) {
    EXPECT_TRUE(std::isfinite(axis.Min()) && std::isfinite(axis.Max()));
    EXPECT_LT(axis.Min(), axis.Max());
    EXPECT_LE(axis.Min(), c.lo);
    EXPECT_GE(axis.Max(), c.hi);
    EXPECT_GT(axis.StepSize(), 0);
    const TTickPlan& plan = axis.TickPlan();
    EXPECT_GE(plan.Ticks.size(), 2u);
    EXPECT_LE(plan.Ticks.size(), 60u);
    int labelled = 0;
    for (const TTick& t : plan.Ticks) {
        EXPECT_TRUE(std::isfinite(t.Value)) << t.Value;
        EXPECT_GE(t.Value, axis.Min() - axis.StepSize());
        EXPECT_LE(t.Value, axis.Max() + 0.001 * (axis.Max() - axis.Min())); // the walk's limit
        labelled += t.Labelled;
    }
    EXPECT_GE(labelled, 2);
}

TEST(NarrowRange, SetMinMaxLaysItOutAsOneValue) {
    for (const Narrow& c : kNarrow) {
        for (const bool autoStepping : {true, false}) {
            SCOPED_TRACE(Name(c) + (autoStepping ? ", automatic step" : ", step 0.2"));
            TAxis axis(nullptr, TAxis::Kind::Y);
            axis.SetAutoStepping(autoStepping);
            axis.SetDataRange(c.lo, c.hi);
            ASSERT_EQ(ErrorOf([&] { axis.SetMinMax(); }), "");
            ASSERT_TRUE(axis.CheckRange());
            ASSERT_EQ(ErrorOf([&] {
                          axis.CalcMetrics(280);
                          axis.PlanTicks(Metrics(), 280);
                      }),
                      "");
            ExpectLaidOut(axis, c);
        }
    }
}

TEST(NarrowRange, LikeEqualMinimumAndMaximum) {
    // The narrow range gets the layout of its value farthest from 0.
    const struct {
        Narrow data;
        double min, max, step;
    } cases[] = {
        {{9, 9 + 1e-12}, 0, 10, 2},   // as 9 .. 9: 0 .. 10.8 cut to a step
        {{-5, -5 + 1e-13}, -6, 0, 1}, // as -5 .. -5
        {{1e6, 1e6 * (1 + 1e-15)}, 0, 1.2e6, 2e5},
        {{-5e-324, 5e-324}, -1, 1, 0.2}, // as 0 .. 0
        {{0, 5e-324}, -1, 1, 0.2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Name(c.data));
        TAxis narrow(nullptr, TAxis::Kind::Y);
        narrow.SetAutoStepping(true);
        narrow.SetDataRange(c.data.lo, c.data.hi);
        ASSERT_EQ(ErrorOf([&] { narrow.SetMinMax(); }), "");
        EXPECT_DOUBLE_EQ(narrow.Min(), c.min);
        EXPECT_DOUBLE_EQ(narrow.Max(), c.max);
        EXPECT_DOUBLE_EQ(narrow.StepSize(), c.step);
    }
    // Ranges with ticks of their own keep the ordinary fit.
    TAxis axis(nullptr, TAxis::Kind::Y);
    axis.SetAutoStepping(true);
    axis.SetDataRange(9, 9.001);
    axis.SetMinMax();
    EXPECT_NEAR(axis.StepSize(), 1e-4, 1e-16);
    EXPECT_LT(axis.Min(), 9);
    EXPECT_GE(axis.Min(), 9 - 2e-4);
    EXPECT_GT(axis.Max(), 9.001);
    EXPECT_LE(axis.Max(), 9.001 + 2e-4);
}

// A 400x300 graph whose Y axis is fitted to the values, as the main window's.
struct Fitted {
    TPlotGraph g;
    explicit Fitted(bool log) {
        g.resize(400, 300);
        g.Appearance().SetCrossAtZero(false);
        for (TAxis* a : {&g.XAxis(), &g.YAxis()}) {
            a->SetAutoSizing(true);
            a->SetAutoStepping(true);
        }
        g.YAxis().SetLogScale(log);
    }
};

TEST(NarrowRange, FullDrawAndAppendedPointsFitTheAxis) {
    for (const Narrow& c : kNarrow) {
        for (const bool log : {false, true}) {
            if (log && c.lo <= 0) continue;
            SCOPED_TRACE(Name(c) + (log ? ", log axis" : ", linear axis"));
            Fitted f(log);
            TSeries& s = f.g.GetSeries(1);
            // Points appended one by one: each asks for an incremental draw,
            // whose automatic sizing decides whether the picture can stay.
            ASSERT_EQ(ErrorOf([&] {
                          s.AddPoint(0, c.lo);
                          f.g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
                          for (int i = 1; i <= 20; ++i) {
                              s.AddPoint(i, i % 2 ? c.hi : c.lo);
                              f.g.RequestRepaint(TPlotGraph::TRepaintKind::Incremental);
                          }
                          f.g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
                      }),
                      "");
            EXPECT_TRUE(f.g.MetricsOK());
            ExpectLaidOut(f.g.YAxis(), c);
        }
    }
}

TEST(NarrowRange, ARangeSetThatNarrowByHandShowsItsEnds) {
    for (const Narrow& c : kNarrow) {
        if (!(c.lo < c.hi)) continue;
        SCOPED_TRACE(Name(c));
        TPlotGraph g;
        g.resize(400, 300);
        TAxis& y = g.YAxis();
        y.SetMax(c.hi);
        y.SetMin(c.lo);
        y.SetAutoStepping(true); // the step of the range itself
        ASSERT_EQ(ErrorOf([&] { g.RequestRepaint(TPlotGraph::TRepaintKind::Full); }), "");
        ASSERT_TRUE(g.MetricsOK());
        const TTickPlan& plan = y.TickPlan();
        ASSERT_GE(plan.Ticks.size(), 2u);
        EXPECT_LE(plan.Ticks.size(), 60u);
        const double slack = 0.01 * (c.hi - c.lo);
        for (const TTick& t : plan.Ticks) {
            EXPECT_TRUE(std::isfinite(t.Value));
            EXPECT_GE(t.Value, c.lo - slack);
            EXPECT_LE(t.Value, c.hi + slack);
        }
        // The walk itself starts at Min instead of an unreachable multiple.
        TLogTickState state = y.LogTickState();
        double first = 0;
        ASSERT_EQ(ErrorOf([&] { first = y.FirstTick(state); }), "");
        EXPECT_TRUE(std::isfinite(first));
    }
}

TEST(NarrowRange, PhasePlaneWithAConstantSpeciesAndOneThatBarelyMoves) {
    // N1 with rate 0 stays at 5 up to rounding; N2 moves by 1e-12.
    TPhasePlaneGraph g;
    g.resize(400, 300);
    g.Appearance().SetBackgroundColor(clWhite);
    g.Appearance().SetMarginColor(clWhite);
    for (TAxis* a : {&g.XAxis(), &g.YAxis()}) {
        a->SetMin(0);
        a->SetMax(10);
        a->SetAutoSizing(true);
        a->SetAutoStepping(true);
    }
    TSeries& t = g.Trajectory();
    QImage image(g.size(), QImage::Format_RGB32);
    ASSERT_EQ(ErrorOf([&] {
                  for (int i = 0; i <= 50; ++i)
                      t.AddPoint(5 + (i % 3) * 8.881784197001252e-16, 9 + i * 2e-14);
                  g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
                  g.DrawToBitmap(image);
              }),
              "");
    EXPECT_TRUE(g.MetricsOK());
    ExpectLaidOut(g.XAxis(), {5, 5 + 2 * 8.881784197001252e-16});
    ExpectLaidOut(g.YAxis(), {9, 9 + 50 * 2e-14});
}

} // namespace
