#include "DrawSeriesStatistics.h"
#include "Axis.h"
#include "GraphTestSupport.h"
#include "PlotGraph.h"
#include "Regression.h"
#include "Series.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Ten pixels per unit, y upward from row 200.
int XPixel(double x) {
    return static_cast<int>(std::lround(x * 10));
}
int YPixel(double y) {
    return 200 - static_cast<int>(std::lround(y * 10));
}

class Drawing : public testing::Test {
protected:
    Drawing() : image(220, 220, QImage::Format_RGB32), series(graph.GetSeries(1)) {
        image.fill(Qt::white);
        graph.SetPlotting(false);
    }
    void Draw() {
        QPainter painter(&image);
        DrawSeriesStatistics(painter, series, XPixel, YPixel);
    }
    QRgb At(int x, int y) const { return image.pixel(x, y); }
    bool IsWhite(int x, int y) const { return At(x, y) == qRgb(255, 255, 255); }

    TPlotGraph graph;
    QImage image;
    TSeries& series;
};

TEST_F(Drawing, SpreadBoundLinesAcrossTheSeries) {
    // y values 4, 6, 8, 10: mean 7, spread √(20/3) ≈ 2.58.
    for (int i = 0; i < 4; ++i)
        series.AddPoint(2 + 4 * i, 4 + 2 * i);
    series.SetBoundsColor(clRed);
    series.SetBoundLineMode(0);
    series.SetBoundsMode(bm_All);
    Draw();
    const double spread = std::sqrt(20.0 / 3.0);
    for (int k = 1; k <= 3; ++k) {
        for (double v : {7 + k * spread, 7 - k * spread}) {
            EXPECT_EQ(At(50, YPixel(v)), qRgb(255, 0, 0)) << k;
            EXPECT_TRUE(IsWhite(5, YPixel(v))) << "starts at the series' first x";
            EXPECT_TRUE(IsWhite(150, YPixel(v))) << "ends at the series' last x";
        }
    }
    EXPECT_TRUE(IsWhite(50, YPixel(7)));
}

TEST_F(Drawing, OneMultipleOfTheSpreadPerMode) {
    for (int i = 0; i < 4; ++i)
        series.AddPoint(2 + 4 * i, 4 + 2 * i);
    series.SetBoundLineMode(0);
    series.SetBoundsMode(bm_2SD);
    Draw();
    const double spread = std::sqrt(20.0 / 3.0);
    EXPECT_FALSE(IsWhite(50, YPixel(7 + 2 * spread)));
    EXPECT_TRUE(IsWhite(50, YPixel(7 + spread)));
    EXPECT_TRUE(IsWhite(50, YPixel(7 + 3 * spread)));
}

TEST_F(Drawing, RegressionLineThroughTheFitLessTheZeroValue) {
    series.AddPoint(0, 5);
    series.AddPoint(10, 6);
    series.AddPoint(20, 5);
    series.SetZeroValue(1);
    series.SetRegressionType(rt_Linear); // the flat line y = 16/3
    series.SetRegressionLineColor(clBlue);
    series.SetRegressionLineStyle(0);
    Draw();
    const int row = YPixel(16.0 / 3.0 - 1);
    EXPECT_EQ(At(100, row), qRgb(0, 0, 255));
    EXPECT_TRUE(IsWhite(100, YPixel(16.0 / 3.0)));
}

TEST_F(Drawing, CurveKindsDrawTheirCurveList) {
    series.AddPoint(0, 0);
    series.AddPoint(10, 10);
    series.AddPoint(20, 0);
    series.SetRegressionType(rt_Spline);
    series.SetRegressionFraction(1e31);
    series.SetRegressionLineStyle(0);
    Draw();
    ASSERT_FALSE(series.CurvePoints().empty());
    // The natural spline bulges above the straight lines between the points.
    const TDataPoint& quarter = series.CurvePoints()[25];
    EXPECT_GT(quarter.Fit, 5);
    EXPECT_FALSE(IsWhite(XPixel(quarter.X), YPixel(quarter.Fit)));
}

TEST_F(Drawing, ARegressionErrorReachesWhoeverDraws) {
    series.AddPoint(0, 0);
    series.AddPoint(1, 1);
    series.SetRegressionType(rt_RunningAverage);
    series.SetRegressionFraction(0.6);
    EXPECT_EQ(ErrorOf([&] { Draw(); }), "Invalid Running Average limit");
}

TEST_F(Drawing, NothingForOnePointOrNoKind) {
    series.AddPoint(5, 5);
    series.SetBoundsMode(bm_All);
    series.SetRegressionType(rt_Linear);
    Draw();
    series.Clear();
    Draw();
    EXPECT_EQ(image, [] {
        QImage white(220, 220, QImage::Format_RGB32);
        white.fill(Qt::white);
        return white;
    }());
}

TEST_F(Drawing, NotANumberLeavesAGapInsteadOfALine) {
    series.AddPoint(0, 2);
    series.AddPoint(5, std::numeric_limits<double>::quiet_NaN());
    series.AddPoint(10, 2);
    series.AddPoint(15, 2);
    series.SetRegressionType(rt_Exponential);
    series.SetRegressionFraction(0.5);
    series.SetRegressionLineStyle(0);
    Draw();
    // Fits: 2, NaN, NaN, NaN: nothing to join.
    EXPECT_TRUE(IsWhite(30, YPixel(2)));
    EXPECT_TRUE(IsWhite(XPixel(5), 0));
}

// A whole graph draws the statistics of its series where it is given the
// data side's painter, on the screen's picture, and none without it.
TEST(GraphStatistics, DrawnByTheGraphThatIsGivenThePainter) {
    for (bool given : {false, true}) {
        TPlotGraph g;
        g.resize(300, 200);
        for (TAxis* axis : {&g.XAxis(), &g.YAxis()}) {
            axis->SetMin(0);
            axis->SetMax(10);
        }
        if (given) g.StatisticsPainter = DrawSeriesStatistics;
        TSeries& s = g.GetSeries(1);
        s.SetShowLine(false);
        s.SetShowPoints(false);
        s.SetRegressionLineColor(clBlue);
        s.SetRegressionLineStyle(0);
        s.SetRegressionType(rt_Linear);
        s.AddPoint(1, 2);
        s.AddPoint(9, 2);
        g.RequestRepaint(TPlotGraph::TRepaintKind::Full);
        const QColor at = g.BackBuffer().pixelColor(g.XToPixel(5), g.YToPixel(2));
        EXPECT_EQ(at == QColor(Qt::blue), given);
    }
}

} // namespace
