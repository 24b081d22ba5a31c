#include "DrawSeriesStatistics.h"

#include "GraphCanvas.h"
#include "QtColor.h"
#include "Regression.h"
#include "Series.h"
#include "SeriesStatistics.h"

#include <QPainter>
#include <QPolygon>

#include <cmath>
#include <vector>

namespace {

// Multiples of the spread at which each bounds mode draws its lines.
std::vector<int> SpreadMultiples(int boundsMode) {
    switch (boundsMode) {
    case bm_1SD:
        return {1};
    case bm_2SD:
        return {2};
    case bm_3SD:
        return {3};
    case bm_All:
        return {1, 2, 3};
    default:
        return {};
    }
}

void DrawBoundLines(QPainter& painter, TSeries& series, const TPixelTransform& xToPixel,
                    const TPixelTransform& yToPixel, int penWidth) {
    const std::vector<int> multiples = SpreadMultiples(series.BoundsMode());
    if (multiples.empty()) return;
    const TStatistics y = YStatistics(series);
    if (y.Failed || y.Count == 0) return; // no spread to draw from
    painter.setPen(
        QPen(ToQColor(series.BoundsColor()), penWidth, ToQtPenStyle(series.BoundLineMode())));
    if (series.ExtentsStale()) series.RecalcExtents();
    const int left = xToPixel(series.XMin());
    const int right = xToPixel(series.XMax());
    for (int k : multiples) {
        for (double v : {y.Mean + k * y.Spread, y.Mean - k * y.Spread}) {
            if (!std::isfinite(v)) continue;
            const int row = yToPixel(v);
            painter.drawLine(left, row, right, row);
        }
    }
}

void DrawRegressionCurve(QPainter& painter, TSeries& series, const TPixelTransform& xToPixel,
                         const TPixelTransform& yToPixel, int penWidth) {
    if (series.RegressionType() == rt_None || series.Count() < 2) return;
    CalcRegression(series);
    const bool onCurve =
        series.RegressionType() == rt_Spline || series.RegressionType() == rt_LocalWeighted;
    const std::vector<TDataPoint>& points = onCurve ? series.CurvePoints() : series.Points();
    painter.setPen(QPen(ToQColor(series.RegressionLineColor()), penWidth,
                        ToQtPenStyle(series.RegressionLineStyle())));
    const double zero = series.ZeroValue();
    QPolygon run;
    auto flush = [&] {
        if (run.size() > 1) painter.drawPolyline(run);
        run.clear();
    };
    for (const TDataPoint& p : points) {
        const double v = p.Fit - zero;
        if (!std::isfinite(p.X) || !std::isfinite(v)) {
            flush();
            continue;
        }
        run.append(QPoint(xToPixel(p.X), yToPixel(v)));
    }
    flush();
}

} // namespace

void DrawSeriesStatistics(QPainter& painter, TSeries& series, const TPixelTransform& xToPixel,
                          const TPixelTransform& yToPixel, int penWidth) {
    if (series.Count() == 0) return;
    painter.save();
    try {
        DrawBoundLines(painter, series, xToPixel, yToPixel, penWidth);
        DrawRegressionCurve(painter, series, xToPixel, yToPixel, penWidth);
    } catch (...) {
        painter.restore();
        throw;
    }
    painter.restore();
}
