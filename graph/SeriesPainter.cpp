#include "SeriesPainter.h"

#include "Appearance.h"
#include "Axis.h"
#include "Dimensions.h"
#include "GraphCanvas.h"
#include "GraphMath.h"
#include "PlotGraph.h"
#include "PolylineReducer.h"
#include "QtColor.h"
#include "Series.h"

#include <algorithm>
#include <climits>

namespace {

// The first point at or after `from` with x >= low.
int FirstAtOrAbove(const std::vector<TDataPoint>& pts, double low, int from) {
    const auto at = std::partition_point(pts.begin() + from, pts.end(),
                                         [&](const TDataPoint& p) { return p.X < low; });
    return static_cast<int>(at - pts.begin());
}

} // namespace

bool TSeriesPainter::Paint(TSeries& s, int from) {
    if (!s.Visible() || s.Count() == 0) return true;
    const TAxis& xAxis = graph_.XAxis();
    const TAxis& yAxis = s.YAxisRef();
    if (xAxis.LogScale() || yAxis.LogScale()) {
        if (s.ExtentsStale()) s.RecalcExtents();
        if ((xAxis.LogScale() && s.XMin() <= 0) || (yAxis.LogScale() && s.YMin() <= 0)) {
            if (graph_.OnLogError) graph_.OnLogError(&s, s.Number());
            return false;
        }
    }
    const TDimensions& dim = graph_.Dimensions();
    x_ = TPixelMap::Of(xAxis, false, dim.LeftMargin() + graph_.XOffset());
    y_ = TPixelMap::Of(yAxis, true, dim.TopMargin() + graph_.YOffset());
    const bool clip = !graph_.Appearance().PlotOffGraph();
    if (clip) canvas_.SetClip(graph_.PlotRect());
    PaintBounds(s);
    if (graph_.StatisticsPainter)
        graph_.StatisticsPainter(canvas_.Painter(), s, x_, y_, canvas_.PenWidth());
    if (s.ShowLine()) PaintLine(s, std::max(0, from - 1));
    if (clip) canvas_.ClearClip();
    if (s.ShowPoints()) PaintSymbols(s, from);
    return true;
}

void TSeriesPainter::PaintBounds(const TSeries& s) {
    // The statistical modes are drawn by the series statistics.
    if (s.BoundsMode() != bm_Fixed) return;
    canvas_.SetPen(s.BoundsColor(), canvas_.PenWidth(), s.BoundLineMode());
    const int left = x_(s.XMin()), right = x_(s.XMax());
    for (double v : {s.UpperBound(), s.LowerBound()}) {
        const int row = y_(v);
        canvas_.Line(left, row, right, row);
    }
}

void TSeriesPainter::PaintLine(const TSeries& s, int from) {
    const std::vector<TDataPoint>& pts = s.Points();
    const double zero = s.ZeroValue();
    mapped_.clear();
    mapped_.reserve(pts.size() - from);
    for (std::size_t i = from; i < pts.size(); ++i)
        mapped_.push_back(QPoint(x_(pts[i].X), y_(pts[i].Y - zero)));
    const int width = canvas_.PenWidth();
    const bool solidHairline = s.LineStyle() == 0 && width == 1;
    ReducePolyline(mapped_, solidHairline);
    canvas_.SetPen(s.LineColor(), width, s.LineStyle());
    QPainter& p = canvas_.Painter();
    if (mapped_.size() == 1) mapped_.push_back(mapped_.front());
    // Each run after the first starts at the last point of the one before.
    for (std::size_t start = 0; start + 1 < mapped_.size(); start += kMaxRun - 1) {
        const std::size_t n = std::min<std::size_t>(kMaxRun, mapped_.size() - start);
        p.drawPolyline(mapped_.data() + start, static_cast<int>(n));
    }
}

void TSeriesPainter::PaintSymbols(const TSeries& s, int from) {
    const std::vector<TDataPoint>& pts = s.Points();
    const bool offGraph = graph_.Appearance().PlotOffGraph();
    const TAxis& xAxis = graph_.XAxis();
    const TAxis& yAxis = s.YAxisRef();
    const int r = graphmath::Round(s.PointSize() * 0.5 * graph_.DrawScale());
    const int first = offGraph ? from : FirstAtOrAbove(pts, xAxis.Min(), from);
    const TColor fill = s.FillPoints() ? s.PointColor() : graph_.ControlColor();
    canvas_.SetPen(s.PointColor(), canvas_.PenWidth());
    canvas_.SetBrush(fill);
    const int shape = s.PointShape();
    if (shape == sh_Step)
        PaintSteps(s, std::max(0, (offGraph ? from : first) - (from > 0 ? 1 : 0)), r);
    else if (shape == sh_Bar)
        PaintBars(s, first);
    else if (shape <= sh_Cross) {
        QPainter& p = canvas_.Painter();
        const double zero = s.ZeroValue();
        // A one-colour square is exactly its filled box.
        const bool solidSquare =
            shape == sh_Square && fill == s.PointColor() && canvas_.PenWidth() == 1;
        const QColor solid = ToQColor(fill);
        QPoint last(INT_MIN, INT_MIN);
        for (std::size_t i = first; i < pts.size(); ++i) {
            const double y = pts[i].Y - zero;
            if (!offGraph) {
                if (pts[i].X > xAxis.Max()) break;
                if (!(yAxis.Min() <= y && y <= yAxis.Max())) continue;
            }
            const QPoint c(x_(pts[i].X), y_(y));
            // The same symbol again on the same pixel changes nothing.
            if (c == last) continue;
            last = c;
            const int x = c.x(), yy = c.y();
            switch (shape) {
            case sh_Square:
                if (solidSquare) {
                    p.fillRect(x - r, yy - r, 2 * r + 1, 2 * r + 1, solid);
                } else {
                    const QPoint q[4] = {
                        {x - r, yy - r}, {x + r, yy - r}, {x + r, yy + r}, {x - r, yy + r}};
                    p.drawPolygon(q, 4);
                }
                break;
            case sh_Circle:
                p.drawEllipse(QRect(x - r, yy - r, 2 * r, 2 * r));
                break;
            case sh_Diamond: {
                const QPoint q[4] = {{x, yy - r}, {x + r, yy}, {x, yy + r}, {x - r, yy}};
                p.drawPolygon(q, 4);
                break;
            }
            default:
                p.drawLine(x - r, yy, x + r, yy);
                p.drawLine(x, yy - r, x, yy + r);
                break;
            }
        }
    }
    canvas_.SetBrush(graph_.ControlColor());
    canvas_.SetClearBrush();
}

void TSeriesPainter::PaintSteps(const TSeries& s, int first, int r) {
    const std::vector<TDataPoint>& pts = s.Points();
    const bool offGraph = graph_.Appearance().PlotOffGraph();
    const double max = graph_.XAxis().Max();
    canvas_.SetPen(s.PointColor(), std::max(1, r));
    int i = first;
    if (i >= static_cast<int>(pts.size())) return;
    for (; i + 1 < static_cast<int>(pts.size()) && (offGraph || pts[i + 1].X < max); ++i) {
        const int row = y_(pts[i].Y);
        canvas_.Line(x_(pts[i].X), row, x_(pts[i + 1].X), row);
    }
    if (pts[i].X < max) {
        const int row = y_(pts[i].Y);
        canvas_.Line(x_(pts[i].X), row, x_(max), row);
    }
}

void TSeriesPainter::PaintBars(const TSeries& s, int first) {
    const std::vector<TDataPoint>& pts = s.Points();
    const bool offGraph = graph_.Appearance().PlotOffGraph();
    const TAxis& xAxis = graph_.XAxis();
    const QRect plot = graph_.PlotRect();
    canvas_.SetPen(s.LineColor(), 1);
    const auto limited = [&](double v) {
        return offGraph ? v : std::clamp(v, xAxis.Min(), xAxis.Max());
    };
    for (std::size_t i = first; i < pts.size(); ++i) {
        const double x0 = pts[i].X + s.BarOffset();
        const int left = x_(limited(x0));
        const int right = x_(limited(x0 + s.BarWidth()));
        if (left == right) continue;
        const int top = std::max(y_(pts[i].Y), plot.top());
        canvas_.Painter().drawRect(
            QRect(QPoint(left, top), QPoint(right, plot.bottom())).normalized());
    }
}
