// Drawing on the back buffer: pixels at computed positions.
#include "Appearance.h"
#include "Axis.h"
#include "AxisPainter.h"
#include "Dimensions.h"
#include "FloatText.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "PolylineReducer.h"
#include "QtColor.h"
#include "Series.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>

namespace {

QRgb Rgb(TColor c) {
    return ToQColor(c).rgb();
}

// Pixels of the colour inside r (right and bottom included).
int CountColor(const QImage& img, TColor color, const QRect& r) {
    int n = 0;
    const QRgb want = Rgb(color);
    for (int y = std::max(0, r.top()); y <= std::min(img.height() - 1, r.bottom()); ++y)
        for (int x = std::max(0, r.left()); x <= std::min(img.width() - 1, r.right()); ++x)
            if (img.pixel(x, y) == want) ++n;
    return n;
}

// A 300x200 graph on fixed ranges [0, 10] x [0, 10], no grid or cross.
struct FixedGraph : ::testing::Test {
    TPlotGraph g;
    TSeries* s = nullptr;
    void SetUp() override {
        g.resize(300, 200);
        g.XAxis().SetMin(0);
        g.XAxis().SetMax(10);
        g.YAxis().SetMin(0);
        g.YAxis().SetMax(10);
        g.XAxis().SetGridlines(false);
        g.YAxis().SetGridlines(false);
        g.Appearance().SetCrossAtZero(false);
        g.Appearance().SetPreventFlicker(true);
        s = &g.GetSeries(1);
        s->SetLineColor(clRed);
        s->SetShowPoints(false);
        g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
    }
    QColor At(int x, int y) const { return g.BackBuffer().pixelColor(x, y); }
};

TEST_F(FixedGraph, TransformsMapTheRangeOntoThePlotRectangleAndBack) {
    EXPECT_EQ(g.XToPixel(0), 40);
    EXPECT_EQ(g.XToPixel(10), 300 - 15);
    EXPECT_EQ(g.YToPixel(10), 30);
    EXPECT_EQ(g.YToPixel(0), 200 - 40);
    EXPECT_NEAR(g.PixelToX(g.XToPixel(4)), 4, 10.0 / 245);
    EXPECT_NEAR(g.PixelToY(g.YToPixel(7)), 7, 10.0 / 130);
    // Far off: the bound, without the margin.
    EXPECT_EQ(g.YToPixel(1e9), -20000);
    EXPECT_EQ(g.YToPixel(-1e9), 20000);
    EXPECT_EQ(g.XToPixel(1e300), 20000);
    EXPECT_EQ(g.PlotRect(), QRect(QPoint(40, 30), QPoint(285, 160)));
}

TEST_F(FixedGraph, LogAxisTransformsUseLogarithms) {
    g.XAxis().SetLogScale(true);
    g.XAxis().SetMin(1);
    g.XAxis().SetMax(100);
    EXPECT_EQ(g.XToPixel(10), 40 + 245 / 2 + 1); // nint(122.5) rounds away from zero
    EXPECT_NEAR(g.PixelToX(g.XToPixel(10)), 10, 0.1);
    EXPECT_EQ(g.XToPixel(0), -20000); // ln 0: the negative bound, no crash
    EXPECT_EQ(g.XToPixel(-1), -20000);
}

TEST_F(FixedGraph, AppendedPointInsideIsDrawnWithoutErasing) {
    s->AddPoint(2, 2);
    s->AddPoint(8, 8);
    // A sentinel painted after the full draw must survive an incremental one.
    g.OnPaintEnd = [](QObject*, QPainter& p) { p.fillRect(100, 5, 3, 3, Qt::blue); };
    g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
    g.OnPaintEnd = nullptr;
    const int full = g.FullRepaintCount();
    const int inc = g.IncrementalRepaintCount();
    s->AddPoint(9, 2);
    EXPECT_EQ(g.FullRepaintCount(), full);
    EXPECT_EQ(g.IncrementalRepaintCount(), inc + 1);
    EXPECT_EQ(At(101, 6), QColor(Qt::blue));
    // The new segment from (8, 8) to (9, 2): its middle is red.
    EXPECT_EQ(At(g.XToPixel(8.5), g.YToPixel(5)), ToQColor(clRed));
    EXPECT_EQ(At(g.XToPixel(2), g.YToPixel(2)), ToQColor(clRed));
    // A full draw repaints the sentinel away.
    g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
    EXPECT_NE(At(101, 6), QColor(Qt::blue));
}

TEST_F(FixedGraph, IncrementalDrawMatchesAFullDrawOfTheSameData) {
    s->SetShowPoints(true);
    s->SetPointShape(sh_Circle);
    s->SetLineStyle(0);
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> y(0.5, 9.5);
    for (int i = 0; i < 200; ++i)
        s->AddPoint(0.04 * i + 0.5, y(rng));
    const QImage incremental = g.BackBuffer().copy();
    g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
    // Everything the full draw shows of the series, the incremental ones showed.
    const QImage& full = g.BackBuffer();
    int missing = 0, red = 0;
    for (int y = 0; y < full.height(); ++y)
        for (int x = 0; x < full.width(); ++x)
            if (full.pixelColor(x, y) == ToQColor(clRed)) {
                ++red;
                if (incremental.pixelColor(x, y) != ToQColor(clRed)) ++missing;
            }
    EXPECT_GT(red, 300);
    EXPECT_EQ(missing, 0);
}

TEST_F(FixedGraph, PointBeyondAnAutoSizedRangeRepaintsInFullAndRescales) {
    g.XAxis().SetAutoSizing(true);
    s->AddPoint(1, 1);
    s->AddPoint(5, 5);
    const double max = g.XAxis().Max();
    const int full = g.FullRepaintCount();
    s->AddPoint(max + 20, 5);
    EXPECT_EQ(g.FullRepaintCount(), full + 1);
    EXPECT_GE(g.XAxis().Max(), max + 20);
    EXPECT_EQ(At(g.XToPixel(max + 19), g.YToPixel(5)), ToQColor(clRed));
}

TEST_F(FixedGraph, SeriesWithNonPositiveDataOnALogAxisRaisesAndIsSkipped) {
    TSeries& good = g.GetSeries(2);
    good.SetLineColor(clBlue);
    good.SetLineStyle(0);
    good.SetShowPoints(false);
    std::vector<int> errors;
    g.OnLogError = [&](QObject* sender, int index) {
        EXPECT_EQ(sender, s);
        errors.push_back(index);
    };
    g.YAxis().SetLogScale(true);
    g.YAxis().SetMin(1);
    g.YAxis().SetMax(100);
    s->AddPoint(1, -5);
    s->AddPoint(9, 50);
    good.AddPoint(1, 10);
    good.AddPoint(9, 10);
    errors.clear();
    g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
    EXPECT_EQ(errors, (std::vector<int>{1}));
    EXPECT_EQ(CountColor(g.BackBuffer(), clRed, g.PlotRect()), 0);
    EXPECT_EQ(At(g.XToPixel(5), g.YToPixel(10)), ToQColor(clBlue));
}

TEST_F(FixedGraph, InvalidRangeShowsTheErrorCaptionAndNoSeries) {
    s->AddPoint(2, 2);
    s->AddPoint(8, 8);
    const QRect below(0, 165, 300, 35); // under the X axis: labels and title
    const QImage before = g.BackBuffer().copy(below);
    g.XAxis().SetMax(0); // Min = Max
    EXPECT_FALSE(g.MetricsOK());
    EXPECT_EQ(CountColor(g.BackBuffer(), clRed, QRect(0, 0, 300, 200)), 0);
    // The caption is wider than the "X axis" title and its labels together.
    const auto textColumns = [&](const QImage& img) {
        int n = 0;
        for (int x = 0; x < img.width(); ++x)
            for (int y = 0; y < img.height(); ++y)
                if (img.pixelColor(x, y) != QColor(Qt::white)) {
                    ++n;
                    break;
                }
        return n;
    };
    const QImage error = g.BackBuffer().copy(below);
    EXPECT_GT(textColumns(error), 120);
    EXPECT_NE(error, before);
    g.XAxis().SetMax(10);
    EXPECT_TRUE(g.MetricsOK());
    EXPECT_EQ(textColumns(g.BackBuffer().copy(below)), textColumns(before));
    EXPECT_GT(CountColor(g.BackBuffer(), clRed, QRect(g.XToPixel(5) - 1, g.YToPixel(5) - 1, 3, 3)),
              0);
}

TEST_F(FixedGraph, FarPointIsClippedAtThePlotEdge) {
    s->AddPoint(5, 5);
    s->AddPoint(6, 1e9);
    const QImage& img = g.BackBuffer();
    EXPECT_EQ(CountColor(img, clRed, QRect(0, 0, 300, g.PlotRect().top())), 0);
    EXPECT_GT(CountColor(img, clRed, QRect(g.XToPixel(5), g.PlotRect().top(), 40, 5)), 0);
    g.Appearance().SetPlotOffGraph(true);
    EXPECT_GT(CountColor(g.BackBuffer(), clRed, QRect(0, 0, 300, g.PlotRect().top())), 0);
}

TEST_F(FixedGraph, SymbolsStopAtTheXMaxAndBarsOfNoWidthAreNotDrawn) {
    s->SetShowLine(false);
    s->SetShowPoints(true);
    s->SetPointShape(sh_Square);
    s->SetPointColor(clRed);
    s->AddPoint(10, 5);    // exactly on the Max: drawn
    s->AddPoint(10.05, 8); // just beyond: not drawn
    EXPECT_EQ(At(g.XToPixel(10), g.YToPixel(5)), ToQColor(clRed));
    EXPECT_NE(At(g.XToPixel(10.05), g.YToPixel(8)), ToQColor(clRed));
    s->SetPointShape(sh_Bar);
    s->SetBarWidth(0);
    EXPECT_EQ(CountColor(g.BackBuffer(), clGreen, QRect(0, 0, 300, 200)), 0);
    s->SetLineColor(clGreen);
    s->SetBarWidth(-2);
    EXPECT_GT(CountColor(g.BackBuffer(), clGreen, QRect(0, 0, 300, 200)), 0);
}

TEST_F(FixedGraph, CrossAtZeroIsDrawnOnlyWhenZeroIsInRange) {
    g.Appearance().SetCrossAtZero(true);
    g.YAxis().SetShowAxis(false);
    g.XAxis().SetShowAxis(false);
    EXPECT_EQ(At(g.XToPixel(0) + 4, g.YToPixel(0)), ToQColor(clRed));
    g.XAxis().SetMin(1);
    EXPECT_EQ(CountColor(g.BackBuffer(), clRed, QRect(0, 0, 300, 200)), 0);
}

TEST_F(FixedGraph, LegendAcrossPlacesEntriesByTheStep) {
    TSeries& two = g.GetSeries(2);
    s->SetShowInLegend(le_NameLine);
    two.SetShowInLegend(le_NameLine);
    two.SetLineColor(clBlue);
    two.SetLineStyle(0);
    TLegend& l = g.Legend();
    l.setWidth(180);
    l.setHeight(30);
    l.setVisible(true);
    // Entries start at left + XMargin = 20; the step is (180 - 20) / 2 = 80.
    const auto sampleRow = [&](int x, TColor c) {
        for (int y = 10; y < 40; ++y)
            if (At(x, y) == ToQColor(c)) return y;
        return -1;
    };
    EXPECT_GT(sampleRow(30, clRed), 0);
    EXPECT_EQ(sampleRow(30, clRed), sampleRow(110, clBlue));
    EXPECT_EQ(sampleRow(110, clRed), -1);
    l.SetLayout(TLegend::lsDown);
    EXPECT_GT(sampleRow(30, clBlue), sampleRow(30, clRed));
}

TEST(TickLabelText, FormsByMagnitude) {
    TAxis a(nullptr, TAxis::Kind::X);
    a.SetMin(0);
    a.SetMax(100000);
    a.SetLabelDecimals(1);
    EXPECT_EQ(TickLabelText(a, 12345), "1.2E+4");
    EXPECT_EQ(TickLabelText(a, 50), "50.0"); // below 0.001 of the range: fixed
    a.SetMax(1);
    EXPECT_EQ(TickLabelText(a, 0.5), "0.5");
    EXPECT_EQ(TickLabelText(a, -1e-17).toStdString(), "0.0");
    EXPECT_EQ(TickLabelText(a, 0.0005), "0.0"); // near zero of this range
    a.SetMax(0.001);
    EXPECT_EQ(TickLabelText(a, 0.0005), "5.0E-4");
    a.SetMax(1);
    a.SetLabelDecimals(3);
    EXPECT_EQ(TickLabelText(a, 1.234567), "1.235");
    a.SetMax(100);
    EXPECT_EQ(TickLabelText(a, 123.456), "123.460"); // five significant digits
    SetDecimalSeparator(',');
    EXPECT_EQ(TickLabelText(a, 0.25), "0,250");
    SetDecimalSeparator('.');
    a.SetShowAsTime(true);
    a.SetDateTimeFormat("dd-mmm");
    EXPECT_EQ(TickLabelText(a, 36000), "24-Jul");
}

// Reduced and unreduced polylines must give the same pixels.
QImage Drawn(const std::vector<QPoint>& pts, Qt::PenStyle style) {
    QImage img(120, 120, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QPen pen(Qt::black);
    pen.setCosmetic(true);
    pen.setWidth(1);
    pen.setStyle(style);
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
    return img;
}

TEST(PolylineReducer, SamePixelsWithFewerPoints) {
    std::mt19937 rng(11);
    std::size_t before = 0, after = 0;
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<QPoint> pts;
        int x = 5, y = 60;
        const int n = 20 + trial * 5;
        for (int i = 0; i < n; ++i) {
            if (rng() % 4 == 0) x += rng() % 3;
            y = std::clamp(y + static_cast<int>(rng() % 7) - 3, 2, 117);
            if (trial % 5 == 0 && rng() % 3 == 0) y = 60; // flat runs
            pts.push_back({std::min(x, 117), y});
        }
        std::vector<QPoint> reduced = pts;
        ReducePolyline(reduced, true);
        ASSERT_EQ(Drawn(pts, Qt::SolidLine), Drawn(reduced, Qt::SolidLine)) << "trial " << trial;
        before += pts.size();
        after += reduced.size();
        std::vector<QPoint> dashed = pts;
        ReducePolyline(dashed, false);
        ASSERT_EQ(dashed, pts);
    }
    EXPECT_LT(after, before);
}

TEST(PolylineReducer, ShortLinesKeepTheirPoints) {
    std::vector<QPoint> one{{3, 3}, {3, 3}, {3, 3}};
    ReducePolyline(one, true);
    EXPECT_EQ(one.size(), 3u);
    std::vector<QPoint> run{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {5, 1}};
    ReducePolyline(run, true);
    EXPECT_EQ(run, (std::vector<QPoint>{{0, 0}, {1, 0}, {4, 0}, {5, 0}, {5, 1}}));
    // A turn back is not a run: its pixels depend on the direction.
    std::vector<QPoint> back{{0, 0}, {1, 0}, {1, 5}, {1, 2}, {1, 7}, {9, 2}, {9, 3}};
    const std::vector<QPoint> kept = back;
    ReducePolyline(back, true);
    EXPECT_EQ(back, kept);
}

} // namespace
