// Drawing on the back buffer: pixels at computed positions.
#include "Appearance.h"
#include "Axis.h"
#include "AxisPainter.h"
#include "Dimensions.h"
#include "FloatText.h"
#include "Legend.h"
#include "LinePieces.h"
#include "PlotGraph.h"
#include "QtColor.h"
#include "Series.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
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

TEST_F(FixedGraph, LegendSizesItselfToItsEntries) {
    g.resize(600, 300);
    const struct {
        int number;
        const char* name;
        TColor color;
    } entries[] = {
        {1, "Predator density", clRed}, {2, "Prey", clBlue}, {3, "A third one", clGreen}};
    for (const auto& e : entries) {
        TSeries& t = g.GetSeries(e.number);
        t.SetSeriesName(e.name);
        t.SetLineColor(e.color);
        t.SetLineStyle(0);
        t.SetShowInLegend(le_NameLine);
    }
    TLegend& l = g.Legend();
    TGraphFont font;
    font.Color = clMaroon;
    l.setFont(font);
    l.setBorderStyle(1);
    l.setLeft(60);
    l.setTop(50);
    l.setVisible(true);
    // Inside the plot, clear of its edges, only the legend draws.
    const QRect inside = g.PlotRect().adjusted(1, 1, -1, -1);
    // Text is smoothed: any shade that is none of the drawn colours.
    const auto isText = [](QColor c) {
        for (TColor drawn : {clWhite, clBlack, clRed, clBlue, clGreen})
            if (c == ToQColor(drawn)) return false;
        return true;
    };
    const auto columnsOrRows = [&](TColor c, bool rows) {
        std::vector<int> found;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                if (c == clMaroon ? isText(At(x, y)) : At(x, y) == ToQColor(c))
                    found.push_back(rows ? y : x);
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    };
    for (const auto layout : {TLegend::lsAcross, TLegend::lsDown}) {
        l.SetLayout(layout);
        const bool down = layout == TLegend::lsDown;
        // The border holds everything else.
        const std::vector<int> bx = columnsOrRows(clBlack, false),
                               by = columnsOrRows(clBlack, true);
        ASSERT_FALSE(bx.empty());
        const QRect box(QPoint(bx.front(), by.front()), QPoint(bx.back(), by.back()));
        EXPECT_EQ(box, g.LegendBox());
        for (TColor c : {clMaroon, clRed, clBlue, clGreen}) {
            const std::vector<int> x = columnsOrRows(c, false), y = columnsOrRows(c, true);
            ASSERT_FALSE(x.empty()) << c;
            EXPECT_GT(x.front(), box.left());
            EXPECT_LT(x.back(), box.right());
            EXPECT_GT(y.front(), box.top());
            EXPECT_LT(y.back(), box.bottom());
        }
        // Each entry in a band of its own: across, the samples' columns lie
        // between the names; down, the names' rows are apart.
        const std::vector<int> text = columnsOrRows(clMaroon, down);
        for (std::size_t i = 0; i + 1 < 3; ++i) {
            const std::vector<int> a = columnsOrRows(entries[i].color, down);
            const std::vector<int> b = columnsOrRows(entries[i + 1].color, down);
            ASSERT_FALSE(a.empty());
            ASSERT_FALSE(b.empty());
            EXPECT_LT(a.back(), b.front()) << layout;
            // Some text lies between the two samples, and none over the next one.
            EXPECT_TRUE(std::any_of(text.begin(), text.end(),
                                    [&](int v) { return v > a.back() && v < b.front(); }));
            if (!down) {
                for (int v : text)
                    EXPECT_FALSE(v >= b.front() && v <= b.back()) << "text over sample " << v;
            }
        }
        if (down) {
            // Three groups of text rows, a white row at least between them.
            int groups = 1;
            for (std::size_t i = 1; i < text.size(); ++i)
                if (text[i] > text[i - 1] + 1) ++groups;
            EXPECT_EQ(groups, 3);
        }
    }
}

// A graph on a screen with two device pixels to each pixel of the control.
struct DenseGraph : TPlotGraph {
    qreal SurfaceRatio() const override { return 2; }
};

TEST(GraphScreen, PictureIsDrawnAtTheScreensPixelDensity) {
    DenseGraph g;
    g.resize(300, 200);
    g.XAxis().SetMax(10);
    g.YAxis().SetMax(10);
    g.Appearance().SetPreventFlicker(true);
    TSeries& s = g.GetSeries(1);
    s.SetShowPoints(false);
    s.AddPoint(1, 1);
    s.AddPoint(2, 5);
    const QImage& b = g.BackBuffer();
    ASSERT_EQ(b.size(), QSize(600, 400));
    EXPECT_EQ(b.devicePixelRatio(), 2);
    // A one-pixel line is one device pixel thin, not a stretched pixel.
    const int column = g.XToPixel(5.1) * 2; // between two ticks
    int black = 0;
    for (int row = 2 * g.PlotRect().bottom() - 2; row <= 2 * g.PlotRect().bottom() + 2; ++row)
        black += b.pixel(column, row) == qRgb(0, 0, 0);
    EXPECT_EQ(black, 1);
    // Appending still draws over the dense picture, as a full redraw would.
    const int full = g.FullRepaintCount();
    s.AddPoint(3, 2);
    EXPECT_EQ(g.FullRepaintCount(), full);
    const QImage appended = g.BackBuffer().copy();
    g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
    EXPECT_EQ(appended, g.BackBuffer());
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

// Solid one-pixel pieces on white.
QImage Drawn(const std::vector<QLine>& pieces) {
    QImage img(120, 120, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QPen pen(Qt::black);
    pen.setCosmetic(true);
    pen.setWidth(1);
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    p.drawLines(pieces.data(), static_cast<int>(pieces.size()));
    return img;
}

TEST(LinePieces, FewerPiecesSamePixelsAndTailsAddUp) {
    std::mt19937 rng(11);
    std::size_t steps = 0, kept = 0;
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<QPoint> pts;
        int x = 5, y = 60;
        const int n = 2 + trial * 3;
        for (int i = 0; i < n; ++i) {
            if (rng() % 4 == 0) x += rng() % 3;
            y = std::clamp(y + static_cast<int>(rng() % 7) - 3, 2, 117);
            if (trial % 5 == 0 && rng() % 3 == 0) y = 60; // flat runs
            pts.push_back({std::min(x, 117), y});
        }
        std::vector<QLine> every;
        for (std::size_t i = 1; i < pts.size(); ++i)
            every.push_back(QLine(pts[i - 1], pts[i]));
        std::vector<QLine> pieces;
        AppendLinePieces(pts, pieces);
        const QImage whole = Drawn(every);
        ASSERT_EQ(Drawn(pieces), whole) << "trial " << trial;
        // The pieces of a head and of the tail from its last point cover
        // exactly what the pieces of all points do.
        const std::size_t k = 1 + rng() % (pts.size() - 1);
        std::vector<QLine> split;
        AppendLinePieces(std::vector<QPoint>(pts.begin(), pts.begin() + k), split);
        AppendLinePieces(std::vector<QPoint>(pts.begin() + k - 1, pts.end()), split);
        ASSERT_EQ(Drawn(split), whole) << "trial " << trial << " split " << k;
        steps += every.size();
        kept += pieces.size();
    }
    EXPECT_LT(kept, steps);
}

TEST(LinePieces, RunsMergeOnlyOneWayAndAPointIsADot) {
    std::vector<QLine> dot;
    AppendLinePieces({{3, 3}, {3, 3}, {3, 3}}, dot);
    EXPECT_EQ(dot, (std::vector<QLine>{QLine(3, 3, 3, 3)}));
    std::vector<QLine> run;
    AppendLinePieces({{0, 0}, {1, 0}, {1, 0}, {4, 0}, {5, 0}, {5, 1}}, run);
    EXPECT_EQ(run, (std::vector<QLine>{QLine(0, 0, 5, 0), QLine(5, 0, 5, 1)}));
    // A turn back is not a run.
    std::vector<QLine> back;
    AppendLinePieces({{1, 0}, {1, 5}, {1, 2}}, back);
    EXPECT_EQ(back, (std::vector<QLine>{QLine(1, 0, 1, 5), QLine(1, 5, 1, 2)}));
}

} // namespace
