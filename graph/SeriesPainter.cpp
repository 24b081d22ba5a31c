#include "SeriesPainter.h"

#include "ExactPolyline.h"

#include "Appearance.h"
#include "Axis.h"
#include "GraphCanvas.h"
#include "GraphMath.h"
#include "LinePieces.h"
#include "PlotGraph.h"
#include "Series.h"

#include <algorithm>
#include <climits>

namespace {

// The first point at or after `from` with x >= low. Points in time order are
// in no x order: each is tested on its own from `from` on.
int FirstAtOrAbove(const TSeries& s, double low, int from) {
    if (s.TimeOrder()) return from;
    const std::vector<TDataPoint>& pts = s.Points();
    const auto at = std::partition_point(pts.begin() + from, pts.end(),
                                         [&](const TDataPoint& p) { return p.X < low; });
    return static_cast<int>(at - pts.begin());
}

} // namespace

void PaintSymbolShape(QPainter& p, int shape, int x, int y, int r) {
    switch (shape) {
    case sh_Square: {
        const QPoint q[4] = {{x - r, y - r}, {x + r, y - r}, {x + r, y + r}, {x - r, y + r}};
        p.drawPolygon(q, 4);
        break;
    }
    case sh_Circle:
        p.drawEllipse(QRect(x - r, y - r, 2 * r, 2 * r));
        break;
    case sh_Diamond: {
        const QPoint q[4] = {{x, y - r}, {x + r, y}, {x, y + r}, {x - r, y}};
        p.drawPolygon(q, 4);
        break;
    }
    case sh_Cross:
        p.drawLine(x - r, y, x + r, y);
        p.drawLine(x, y - r, x, y + r);
        break;
    default:
        break;
    }
}

namespace {
// The graph's statistics painter draws something for this series.
bool DrawsStatistics(const TPlotGraph& graph, const TSeries& s) {
    return graph.StatisticsPainter && (s.RegressionType() != 0 || s.BoundsMode() > bm_Fixed);
}
} // namespace

bool TSeriesPainter::Appendable(const TPlotGraph& graph, const TSeries& s) {
    if (!s.Visible()) return true;
    if (DrawsStatistics(graph, s) || s.BoundsMode() == bm_Fixed) return false;
    if (s.ShowLine() && s.LineStyle() != 0) return false;
    return !s.ShowPoints() || s.PointShape() <= sh_Cross;
}

bool TSeriesPainter::Coverable(const TPlotGraph& graph, const TSeries& s) {
    return !s.Visible() || !DrawsStatistics(graph, s);
}

void TSeriesPainter::Map(const TSeries& s) {
    x_ = graph_.Transform(graph_.XAxis());
    y_ = graph_.Transform(s.YAxisRef());
}

bool TSeriesPainter::Paint(TSeries& s) {
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
    Map(s);
    const bool clip = !graph_.Appearance().PlotOffGraph();
    if (clip) canvas_.SetClip(graph_.PlotRect());
    PaintBounds(s);
    if (graph_.StatisticsPainter)
        graph_.StatisticsPainter(canvas_.Painter(), s, x_, y_, canvas_.PenWidth());
    if (s.ShowLine()) PaintLine(s, 0, s.Count());
    if (clip) canvas_.ClearClip();
    if (s.ShowPoints()) PaintPointShapes(s, s.Count());
    return true;
}

void TSeriesPainter::PaintPointShapes(const TSeries& s, int count) {
    const int shape = s.PointShape();
    if (shape != sh_Step && shape != sh_Bar) {
        PaintSymbols(s, 0, count);
    } else {
        const bool offGraph = graph_.Appearance().PlotOffGraph();
        const int first = offGraph ? 0 : FirstAtOrAbove(s, graph_.XAxis().Min(), 0);
        if (shape == sh_Step)
            PaintSteps(s, first, graphmath::Round(s.PointSize() * 0.5 * graph_.DrawScale()));
        else
            PaintBars(s, first);
    }
    canvas_.SetBrush(graph_.ControlColor());
    canvas_.SetClearBrush();
}

void TSeriesPainter::PaintCover(const TSeries& s, int count, QColor line, QColor symbols) {
    if (!s.Visible() || count == 0) return;
    Map(s);
    const bool clip = !graph_.Appearance().PlotOffGraph();
    if (clip) canvas_.SetClip(graph_.PlotRect());
    canvas_.SetOneColor(line);
    PaintBounds(s);
    if (s.ShowLine()) PaintLine(s, 0, count);
    if (clip) canvas_.ClearClip();
    canvas_.SetOneColor(symbols);
    if (s.ShowPoints()) PaintPointShapes(s, count);
    canvas_.SetOneColor(std::nullopt);
}

void TSeriesPainter::PaintTail(const TSeries& s, int from, bool line) {
    if (!s.Visible() || from >= s.Count()) return;
    Map(s);
    if (line && s.ShowLine()) {
        const bool clip = !graph_.Appearance().PlotOffGraph();
        if (clip) canvas_.SetClip(graph_.PlotRect());
        PaintLine(s, std::max(0, from - 1), s.Count());
        if (clip) canvas_.ClearClip();
    }
    if (!line && s.ShowPoints()) PaintSymbols(s, from, s.Count());
    canvas_.SetClearBrush();
}

QRect TSeriesPainter::TailRegion(const TPlotGraph& graph, const TSeries& s, int from) {
    if (!s.Visible() || from >= s.Count()) return QRect();
    const TAxisTransform xMap = graph.Transform(graph.XAxis());
    const TAxisTransform yMap = graph.Transform(s.YAxisRef());
    const std::vector<TDataPoint>& pts = s.Points();
    const double zero = s.ZeroValue();
    const int r = graphmath::Round(s.PointSize() * 0.5 * graph.DrawScale());
    QRect box;
    for (int i = std::max(0, from - 1); i < s.Count(); ++i) {
        const QPoint c(xMap(pts[i].X), yMap(pts[i].Y - zero));
        const int reach = s.ShowPoints() && i >= from ? r + 1 : 1;
        box |= QRect(c - QPoint(reach, reach), c + QPoint(reach, reach));
    }
    const QRect surface(graph.XOffset(), graph.YOffset(), graph.SurfaceWidth(),
                        graph.SurfaceHeight());
    return box & surface;
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

void TSeriesPainter::PaintLine(const TSeries& s, int first, int last) {
    if (first >= last) return;
    const std::vector<TDataPoint>& pts = s.Points();
    const double zero = s.ZeroValue();
    if (canvas_.Exact()) {
        canvas_.SetPen(s.LineColor(), canvas_.PenWidth(), s.LineStyle());
        TExactPolyline line(canvas_, x_, y_);
        for (int i = first; i < last; ++i)
            line.Add(pts[i].X, pts[i].Y - zero);
        line.Draw(kMaxRun);
        return;
    }
    mapped_.clear();
    mapped_.reserve(last - first);
    for (int i = first; i < last; ++i)
        mapped_.push_back(QPoint(x_(pts[i].X), y_(pts[i].Y - zero)));
    const int width = canvas_.PenWidth();
    canvas_.SetPen(s.LineColor(), width, s.LineStyle());
    QPainter& p = canvas_.Painter();
    if (s.LineStyle() == 0 && width == 1) {
        pieces_.clear();
        AppendLinePieces(mapped_, pieces_);
        for (std::size_t start = 0; start < pieces_.size(); start += kMaxRun) {
            const std::size_t n = std::min<std::size_t>(kMaxRun, pieces_.size() - start);
            p.drawLines(pieces_.data() + start, static_cast<int>(n));
        }
        return;
    }
    // A patterned or wide line is one polyline, so its dashes run on from
    // one point to the next; each run after the first starts at the last
    // point of the one before.
    if (mapped_.size() == 1) mapped_.push_back(mapped_.front());
    for (std::size_t start = 0; start + 1 < mapped_.size(); start += kMaxRun - 1) {
        const std::size_t n = std::min<std::size_t>(kMaxRun, mapped_.size() - start);
        p.drawPolyline(mapped_.data() + start, static_cast<int>(n));
    }
}

void TSeriesPainter::PaintSymbols(const TSeries& s, int from, int last) {
    const std::vector<TDataPoint>& pts = s.Points();
    const bool offGraph = graph_.Appearance().PlotOffGraph();
    const TAxis& xAxis = graph_.XAxis();
    const TAxis& yAxis = s.YAxisRef();
    const int r = graphmath::Round(s.PointSize() * 0.5 * graph_.DrawScale());
    const int first = offGraph ? from : FirstAtOrAbove(s, xAxis.Min(), from);
    const TColor fill = s.FillPoints() ? s.PointColor() : graph_.ControlColor();
    canvas_.SetPen(s.PointColor(), canvas_.PenWidth());
    canvas_.SetBrush(fill);
    const int shape = s.PointShape();
    if (shape > sh_Cross) return;
    QPainter& p = canvas_.Painter();
    const double zero = s.ZeroValue();
    // A one-colour square is exactly its filled box.
    const bool solidSquare =
        shape == sh_Square && fill == s.PointColor() && canvas_.PenWidth() == 1;
    const QColor solid = canvas_.Color(fill);
    QPoint previous(INT_MIN, INT_MIN);
    QPointF previousAt(-HUGE_VAL, -HUGE_VAL);
    for (int i = first; i < last; ++i) {
        const double y = pts[i].Y - zero;
        if (!offGraph) {
            if (pts[i].X > xAxis.Max()) {
                if (!s.TimeOrder()) break;
                continue;
            }
            if (pts[i].X < xAxis.Min() || !(yAxis.Min() <= y && y <= yAxis.Max())) continue;
        }
        const QPoint c(x_(pts[i].X), y_(y));
        // The same symbol again on the same pixel (drawn exactly: within
        // the picture's resolution) changes nothing.
        const QPointF at(x_.Exact(pts[i].X), y_.Exact(y));
        if (canvas_.Exact() ? std::fabs(at.x() - previousAt.x()) < canvas_.Merge() &&
                                  std::fabs(at.y() - previousAt.y()) < canvas_.Merge()
                            : c == previous)
            continue;
        previous = c;
        previousAt = at;
        const TShiftToExact exact(canvas_, at - c);
        if (solidSquare)
            p.fillRect(c.x() - r, c.y() - r, 2 * r + 1, 2 * r + 1, solid);
        else
            PaintSymbolShape(p, shape, c.x(), c.y(), r);
    }
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
    const TColor fill = s.FillPoints() ? s.PointColor() : graph_.ControlColor();
    canvas_.SetPen(s.LineColor(), 1);
    canvas_.SetBrush(fill);
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
