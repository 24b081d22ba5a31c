#include "PlaneFigurePainter.h"

#include "AxisTransform.h"
#include "ExactPolyline.h"

#include "Appearance.h"
#include "Axis.h"
#include "DistinctColor.h"
#include "GraphCanvas.h"
#include "GraphMath.h"
#include "PlotGraph.h"
#include "QtColor.h"

#include <QLineF>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <span>

namespace {

constexpr double kHeadAngle = 0.45; // radians either side of the shaft
constexpr double kHeadLength = 4;   // pixels at scale 1, at most 40 % of the arrow

void PaintField(const TPlotGraph& graph, TGraphCanvas& c, const TPlaneFigure& figure,
                const TPlaneLook& look) {
    const double s = graph.DrawScale();
    c.SetPen(look.arrowColor, c.PenWidth());
    QPainter& p = c.Painter();
    const TAxisTransform x = graph.Transform(graph.XAxis()), y = graph.Transform(graph.YAxis());
    for (const TPlaneArrow& a : figure.arrows) {
        // Pixel rows grow downwards, the arrow's y towards larger N2.
        const QPointF d(a.extent.x() * s, -a.extent.y() * s);
        const double length = std::hypot(d.x(), d.y());
        if (!(length >= 1)) continue;
        const QPointF centre = c.Exact() ? QPointF(x.Exact(a.at.x()), y.Exact(a.at.y()))
                                         : QPointF(x(a.at.x()), y(a.at.y()));
        const QPointF tail = centre - d / 2, tip = centre + d / 2;
        p.drawLine(QLineF(tail, tip));
        const double head = std::min(kHeadLength * s, 0.4 * length);
        const double back = std::atan2(-d.y(), -d.x());
        for (double side : {-kHeadAngle, kHeadAngle})
            p.drawLine(
                QLineF(tip, tip + head * QPointF(std::cos(back + side), std::sin(back + side))));
    }
}

// One path of plane coordinates, at exact positions.
void DrawPath(TExactPolyline& line, const QPolygonF& path) {
    line.Clear();
    for (const QPointF& q : path)
        line.Add(q.x(), q.y());
    line.Draw();
}

void PaintNullclines(const TPlotGraph& graph, TGraphCanvas& c, const TPlaneFigure& figure,
                     const TPlaneLook& look) {
    TExactPolyline line(c, graph.Transform(graph.XAxis()), graph.Transform(graph.YAxis()));
    for (int which = 0; which < 2; ++which) {
        c.SetPen(look.nullclineColors[std::size_t(which)], 2 * c.PenWidth(), 1);
        for (const QPolygonF& chain : figure.nullclines[std::size_t(which)]) {
            DrawPath(line, chain);
        }
    }
}

void PaintCycles(const TPlotGraph& graph, TGraphCanvas& c, const TPlaneFigure& figure,
                 const TPlaneLook& look) {
    TExactPolyline line(c, graph.Transform(graph.XAxis()), graph.Transform(graph.YAxis()));
    for (const TPlaneCycle& cycle : figure.cycles) {
        c.SetPen(look.cycleColor, 2 * c.PenWidth(), cycle.dashed ? 1 : 0);
        DrawPath(line, cycle.path);
    }
}

void PaintSeparatrices(const TPlotGraph& graph, TGraphCanvas& c, const TPlaneFigure& figure,
                       const TPlaneLook& look) {
    TExactPolyline line(c, graph.Transform(graph.XAxis()), graph.Transform(graph.YAxis()));
    for (const TPlaneSeparatrix& s : figure.separatrices) {
        c.SetPen(look.separatrixColor, 2 * c.PenWidth(), s.stable ? 1 : 0);
        DrawPath(line, s.path);
    }
}

void PaintSketches(const TPlotGraph& graph, TGraphCanvas& c, const TPlaneFigure& figure,
                   const TPlaneLook& look) {
    TExactPolyline line(c, graph.Transform(graph.XAxis()), graph.Transform(graph.YAxis()));
    c.SetPen(look.trajectoryColor, c.PenWidth());
    for (const QPolygonF& sketch : figure.sketches) {
        DrawPath(line, sketch);
    }
}

void PaintMarkers(const TPlotGraph& graph, TGraphCanvas& c, const TPlaneFigure& figure,
                  const TPlaneLook& look) {
    const int r = std::max(2, graphmath::Round(kPlaneMarkerRadius * graph.DrawScale()));
    const int width = c.PenWidth();
    const TColor inside = graph.Appearance().BackgroundColor();
    QPainter& p = c.Painter();
    // As a series' symbols: only for points in range, but not cut at the
    // plot's edge, where an equilibrium on an axis lies.
    c.ClearClip();
    const auto inRange = [](const TAxis& axis, double v) {
        return axis.Min() <= v && v <= axis.Max();
    };
    const TAxisTransform x = graph.Transform(graph.XAxis()), y = graph.Transform(graph.YAxis());
    for (const TPlaneMarker& m : figure.markers) {
        if (!inRange(graph.XAxis(), m.at.x()) || !inRange(graph.YAxis(), m.at.y())) continue;
        const QPoint o(x(m.at.x()), y(m.at.y()));
        const QRect box(o.x() - r, o.y() - r, 2 * r, 2 * r);
        c.SetPen(look.markerColor, width);
        // Exactly where the point is: the marker shifted by its rounding.
        const TShiftToExact exact(c, QPointF(x.Exact(m.at.x()), y.Exact(m.at.y())) - o);
        switch (m.shape) {
        case TPlaneMarkerShape::FilledDisc:
            c.SetBrush(look.markerColor);
            p.drawEllipse(box);
            break;
        case TPlaneMarkerShape::OpenCircle:
            c.SetBrush(inside);
            p.drawEllipse(box);
            break;
        case TPlaneMarkerShape::Cross:
            c.SetPen(look.markerColor, 2 * width);
            p.drawLine(o.x() - r, o.y() - r, o.x() + r, o.y() + r);
            p.drawLine(o.x() - r, o.y() + r, o.x() + r, o.y() - r);
            break;
        case TPlaneMarkerShape::RingWithDot: {
            c.SetBrush(inside);
            p.drawEllipse(box);
            const int d = std::max(1, r / 3);
            c.SetBrush(look.markerColor);
            p.drawEllipse(QRect(o.x() - d, o.y() - d, 2 * d, 2 * d));
            break;
        }
        case TPlaneMarkerShape::Diamond: {
            c.SetBrush(inside);
            const QPoint q[4] = {{o.x(), o.y() - r - 1},
                                 {o.x() + r + 1, o.y()},
                                 {o.x(), o.y() + r + 1},
                                 {o.x() - r - 1, o.y()}};
            p.drawPolygon(q, 4);
            break;
        }
        }
    }
    c.SetClearBrush();
}

} // namespace

void TPlaneLook::SetSpeciesColors(TColor species1, TColor species2) {
    nullclineColors = {species1, species2};
    std::array<TColor, 4> taken{species1, species2};
    trajectoryColor = taken[2] = DistinctColor(std::span(taken).first(2));
    cycleColor = taken[3] = DistinctColor(std::span(taken).first(3));
    separatrixColor = DistinctColor(taken);
}

void PaintPlaneFigure(const TPlotGraph& graph, TGraphCanvas& canvas, const TPlaneFigure& figure,
                      const TPlaneLook& look, bool overSeries) {
    if (overSeries) {
        PaintSketches(graph, canvas, figure, look);
        if (look.showSeparatrices) PaintSeparatrices(graph, canvas, figure, look);
        if (look.showCycles) PaintCycles(graph, canvas, figure, look);
        PaintMarkers(graph, canvas, figure, look);
        return;
    }
    if (look.showField) PaintField(graph, canvas, figure, look);
    PaintNullclines(graph, canvas, figure, look);
}
