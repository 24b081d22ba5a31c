// The tick plans a full draw makes: log ticks over the whole range, labels
// that never touch, one notation per axis, ends shown on narrow axes, and the
// pixels that follow from the plan (grid lines, the title clear of labels,
// labels inside the control).
#include "Appearance.h"
#include "Axis.h"
#include "Dimensions.h"
#include "PlotGraph.h"
#include "QtColor.h"
#include "Series.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

// A 400x300 graph on fixed ranges; each full draw plans the axes.
struct Planned {
    TPlotGraph g;
    Planned() {
        g.resize(400, 300);
        g.Appearance().SetCrossAtZero(false);
        g.Appearance().SetBackgroundColor(clWhite);
        g.Appearance().SetMarginColor(clWhite);
    }
    const TTickPlan& Plan(const TAxis& axis) {
        g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
        return axis.TickPlan();
    }
};

std::vector<double> Values(const TTickPlan& plan) {
    std::vector<double> v;
    for (const TTick& t : plan.Ticks)
        v.push_back(t.Value);
    return v;
}

// The decade table of the axis laid over every decade, from Min to Max.
std::vector<double> TableTicks(const TAxis& axis) {
    const TLogTickState& s = axis.LogTickState();
    std::vector<double> v;
    const double limit = axis.Max() + 0.001 * (axis.Max() - axis.Min());
    for (int e = -12; e <= 12; ++e)
        for (int i = 0; i <= s.N; ++i) {
            const double t = s.Table[i] * std::pow(10.0, e);
            if (t >= 0.999 * axis.Min() && t < limit) v.push_back(t);
        }
    return v;
}

void ExpectSameTicks(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], want[i] * 1e-9) << i;
}

TEST(TickPlan, LogTicksRunFromMinToMaxWithGridLines) {
    const struct {
        const char* name;
        double lo, hi;
        bool fromData;
    } cases[] = {{"Min 0.1", 0.1, 100, false},      {"Min 0.7", 0.7, 100, false},
                 {"Min 7", 7, 1000, false},         {"Min 70", 70, 10000, false},
                 {"Min 0.001", 0.001, 1, false},    {"Min 9.995", 9.995, 1000, false},
                 {"data 0.05..20", 0.05, 20, true}, {"data 0.5..200", 0.5, 200, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Planned p;
        TAxis& y = p.g.YAxis();
        y.SetLogScale(true);
        p.g.XAxis().SetMax(10);
        if (c.fromData) {
            TSeries& s = p.g.GetSeries(1);
            s.AddPoint(1, c.lo);
            s.AddPoint(2, c.hi);
            y.SetAutoSizing(true);
        } else {
            y.SetMax(c.hi);
            y.SetMin(c.lo);
        }
        const TTickPlan& plan = p.Plan(y);
        if (c.lo == 0.05) { // whole decades around the data
            EXPECT_NEAR(y.Min(), 0.01, 1e-12);
            EXPECT_NEAR(y.Max(), 100, 1e-9);
        }
        ExpectSameTicks(Values(plan), TableTicks(y));
        int labels = 0;
        for (const TTick& t : plan.Ticks)
            labels += t.Labelled;
        EXPECT_GE(labels, 3);
        // A grid line at each tick that has one, dotted across the plot.
        const QImage& img = p.g.BackBuffer();
        const QRect plot = p.g.PlotRect();
        for (const TTick& t : plan.Ticks) {
            if (!t.Grid) continue;
            const int row = p.g.YToPixel(t.Value);
            int grid = 0;
            for (int x = plot.left() + 1; x < plot.right(); ++x)
                grid += img.pixel(x, row) == ToQColor(p.g.Appearance().GridColor()).rgb();
            EXPECT_GT(grid, plot.width() / 4) << t.Value;
        }
    }
}

TEST(TickPlan, NarrowLogFollowsTheRangeAndTheScale) {
    Planned p;
    TAxis& y = p.g.YAxis();
    TSeries& s = p.g.GetSeries(1);
    s.AddPoint(0, 2);
    s.AddPoint(1, 5);
    y.SetLogScale(true);
    y.SetAutoSizing(true);
    y.SetAutoStepping(true);
    p.Plan(y);
    EXPECT_TRUE(y.LogTickState().NarrowLog);
    // By hand over six decades: ticked by the decade table, not linearly.
    y.SetMax(1e6);
    y.SetMin(1);
    EXPECT_FALSE(y.LogTickState().NarrowLog);
    const TTickPlan& wide = p.Plan(y);
    EXPECT_LT(wide.Ticks.size(), 70u);
    ExpectSameTicks(Values(wide), TableTicks(y));
    // And back within a factor of 4, or a linear axis switched to log.
    y.SetMin(3e5);
    EXPECT_TRUE(y.LogTickState().NarrowLog);
    Planned q;
    q.g.XAxis().SetMax(5);
    q.g.XAxis().SetMin(2);
    q.g.XAxis().SetLogScale(true);
    EXPECT_TRUE(q.g.XAxis().LogTickState().NarrowLog);
    const TTickPlan& narrow = q.Plan(q.g.XAxis());
    ASSERT_GE(narrow.Ticks.size(), 2u);
    EXPECT_NEAR(narrow.Ticks[1].Value - narrow.Ticks[0].Value, q.g.XAxis().StepSize(), 1e-12);
}

TEST(TickPlan, ConstantPositiveDataGetsAValidLogRangeAroundIt) {
    Planned p;
    TSeries& s = p.g.GetSeries(1);
    for (double x : {1.0, 2.0, 3.0})
        s.AddPoint(x, 3);
    TAxis& y = p.g.YAxis();
    y.SetLogScale(true);
    y.SetAutoSizing(true);
    p.Plan(y);
    EXPECT_TRUE(p.g.MetricsOK());
    EXPECT_GT(y.Min(), 0);
    EXPECT_LT(y.Min(), 3);
    EXPECT_GT(y.Max(), 3);
}

// The pixel interval of a label along its axis, as the painter places it.
std::pair<int, int> Extent(const TAxisTransform& map, const TTickPlan& plan, const TTick& t,
                           bool isX) {
    const int p = map(t.Value);
    const int size = isX ? t.Width : plan.LabelHeight;
    return {p - size / 2, p - size / 2 + size};
}

int Gap(std::pair<int, int> a, std::pair<int, int> b) {
    return std::max(b.first - a.second, a.first - b.second);
}

// Labelled neighbours stand at least MinGap apart, and labelling one tick
// more often would make some of them touch.
void ExpectClearAndFewestSkipped(const TTickPlan& plan, const TAxisTransform& map, bool isX) {
    ASSERT_GT(plan.MinGap, 0);
    std::vector<const TTick*> candidates;
    for (const TTick& t : plan.Ticks)
        if (!t.Label.isEmpty()) candidates.push_back(&t);
    const int k = plan.LabelEvery;
    EXPECT_GT(k, 1) << "a crowded axis";
    for (std::size_t i = k; i < candidates.size(); i += k) {
        EXPECT_TRUE(candidates[i]->Labelled && candidates[i - k]->Labelled);
        EXPECT_GE(
            Gap(Extent(map, plan, *candidates[i - k], isX), Extent(map, plan, *candidates[i], isX)),
            plan.MinGap)
            << candidates[i]->Label.toStdString();
    }
    if (k < 2) return;
    bool touching = false;
    for (std::size_t i = k - 1; i < candidates.size(); i += k - 1)
        if (Gap(Extent(map, plan, *candidates[i - (k - 1)], isX),
                Extent(map, plan, *candidates[i], isX)) < plan.MinGap)
            touching = true;
    EXPECT_TRUE(touching);
}

TEST(TickPlan, CrowdedLabelsNeverTouchOnScreenOrOnPaper) {
    const struct {
        const char* name;
        bool isX;
        std::function<void(TAxis&)> setup;
    } cases[] = {{"linear 0..7 step 0.2", true,
                  [](TAxis& a) {
                      a.SetMax(7);
                      a.SetMin(0);
                      a.SetStepSize(0.2);
                  }},
                 {"hourly over 48 h", true,
                  [](TAxis& a) {
                      a.SetShowAsTime(true);
                      a.SetDateTickType(TAxis::dt_hourly);
                      a.SetMax(40002);
                      a.SetMin(40000);
                  }},
                 {"log with 9 divisions", false,
                  [](TAxis& a) {
                      a.SetLogScale(true);
                      a.SetLogCycleDivisions(9);
                      a.SetMax(1e4);
                      a.SetMin(1);
                  }},
                 {"linear 0..100 step 2", false, [](TAxis& a) {
                      a.SetMax(100);
                      a.SetMin(0);
                      a.SetStepSize(2);
                  }}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Planned p;
        TAxis& axis = c.isX ? p.g.XAxis() : p.g.YAxis();
        c.setup(axis);
        {
            SCOPED_TRACE("screen");
            ExpectClearAndFewestSkipped(p.Plan(axis), p.g.Transform(axis), c.isX);
        }
        // On paper the labels are measured and placed at the printer's scale.
        TTickPlan paper;
        TAxisTransform paperMap;
        bool printed = false;
        p.g.OnPaintEnd = [&](QObject*, QPainter&) {
            if (printed || !p.g.IsPrinting()) return;
            printed = true;
            paper = axis.TickPlan();
            paperMap = p.g.Transform(axis);
        };
        QImage page(1700, 2200, QImage::Format_RGB32);
        page.setDotsPerMeterX(11811); // 300 dpi
        page.setDotsPerMeterY(11811);
        p.g.PrintPage(page);
        p.g.OnPaintEnd = nullptr;
        SCOPED_TRACE("paper");
        EXPECT_GT(paper.MinGap, p.Plan(axis).MinGap);
        ExpectClearAndFewestSkipped(paper, paperMap, c.isX);
    }
}

TEST(TickPlan, OneNotationPerAxis) {
    const struct {
        double lo, hi, step;
        bool log, exponent;
    } cases[] = {{0, 12000, 2000, false, true},      {0, 9000, 1000, false, false},
                 {-20000, 20000, 5000, false, true}, {1, 1e6, 0, true, true},
                 {0.01, 100, 0, true, false},        {0, 0.004, 0.0005, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.lo) + ".." + std::to_string(c.hi));
        Planned p;
        TAxis& x = p.g.XAxis();
        x.SetLogScale(c.log);
        x.SetMax(c.hi);
        x.SetMin(c.lo);
        if (c.step > 0) x.SetStepSize(c.step);
        int labels = 0;
        for (const TTick& t : p.Plan(x).Ticks) {
            if (t.Label.isEmpty()) continue;
            ++labels;
            const bool zero = std::fabs(t.Value) < 1e-9 * (c.hi - c.lo);
            EXPECT_EQ(t.Label.contains('E'), c.exponent && !zero) << t.Label.toStdString();
        }
        EXPECT_GE(labels, 3);
    }
}

TEST(TickPlan, AnAxisNarrowerThanItsStepShowsItsEnds) {
    Planned p;
    TAxis& x = p.g.XAxis();
    x.SetMax(2.58);
    x.SetMin(2.31);
    x.SetStepSize(1);
    const TTickPlan& plan = p.Plan(x);
    std::vector<const TTick*> labelled;
    for (const TTick& t : plan.Ticks)
        if (t.Labelled) labelled.push_back(&t);
    ASSERT_EQ(labelled.size(), 2u);
    EXPECT_EQ(labelled[0]->Value, 2.31);
    EXPECT_EQ(labelled[1]->Value, 2.58);
    EXPECT_EQ(labelled[0]->Label, "2.3");
    EXPECT_EQ(labelled[1]->Label, "2.6");
    EXPECT_EQ(x.StepSize(), 1); // the axis' own step stays
}

// The columns of the pixels that differ between two pictures, or that are
// not white, inside r.
std::pair<int, int> Columns(const QImage& a, const QImage* b, const QRect& r) {
    int lo = INT_MAX, hi = INT_MIN;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const bool mark =
                b ? a.pixel(x, y) != b->pixel(x, y) : a.pixel(x, y) != qRgb(255, 255, 255);
            if (!mark) continue;
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
    return {lo, hi};
}

// The Y title and the Y labels, each alone, on the left of the plot.
struct LeftSide {
    std::pair<int, int> title, labels;
};
LeftSide DrawLeftSide(Planned& p) {
    // The title in white takes the same room and shows nothing.
    TAppearance& look = p.g.Appearance();
    const TGraphFont font = look.TitleFont();
    TGraphFont white = font;
    white.Color = clWhite;
    look.SetTitleFont(white);
    const QImage bare = p.g.BackBuffer().copy();
    look.SetTitleFont(font);
    const QImage& titled = p.g.BackBuffer();
    const QRect plot = p.g.PlotRect();
    const QRect left(0, 0, plot.left() - p.g.Dimensions().TickLength(), p.g.height());
    return {Columns(titled, &bare, left),
            Columns(bare, nullptr, left.adjusted(0, plot.top() - 8, 0, 0))};
}

TEST(TickPlan, YTitleStandsClearOfTheWidestLabel) {
    Planned p;
    p.g.Dimensions().SetLeftMargin(90);
    TAxis& y = p.g.YAxis();
    y.SetTitle("Density");
    y.SetMax(0); // the narrow "0" label at the top, wide ones below
    y.SetMin(-6000);
    y.SetStepSize(1000);
    p.g.XAxis().SetShowAxis(false);
    p.Plan(y);
    const LeftSide side = DrawLeftSide(p);
    ASSERT_GT(side.title.second, 0);
    EXPECT_LT(side.title.second, side.labels.first);
}

TEST(TickPlan, FittedMarginsKeepLabelsAndTitlesInsideTheControl) {
    Planned p;
    p.g.resize(300, 200);
    TAxis& x = p.g.XAxis();
    TAxis& y = p.g.YAxis();
    y.SetTitle("Density");
    y.SetMax(8e303);
    y.SetMin(0);
    y.SetStepSize(2e303);
    x.SetMax(1.2e5);
    x.SetMin(0);
    x.SetStepSize(2e4);
    const auto inside = [&] {
        const QRect plot = p.g.PlotRect();
        const TDimensions& d = p.g.Dimensions();
        bool ok = true;
        for (const TTick& t : y.TickPlan().Ticks)
            if (t.Labelled)
                ok &= plot.left() - d.TickLength() - d.YAxisLabelOffset() - t.Width >= 0;
        for (const TTick& t : x.TickPlan().Ticks)
            if (t.Labelled) ok &= p.g.XToPixel(t.Value) + (t.Width - t.Width / 2) <= p.g.width();
        return ok;
    };
    p.Plan(y);
    EXPECT_FALSE(inside()); // the control's own margins are too narrow here
    p.g.SetFitMarginsToLabels(true);
    p.Plan(y);
    EXPECT_TRUE(inside());
    EXPECT_GT(p.g.PlotMargins().left(), p.g.Dimensions().LeftMargin());
    EXPECT_EQ(p.g.Dimensions().LeftMargin(), 40); // the stored margin stays
    const LeftSide side = DrawLeftSide(p);
    EXPECT_GE(side.title.first, 0);
    EXPECT_LT(side.title.second, side.labels.first);
}

} // namespace
