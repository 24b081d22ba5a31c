#include "AxisPainter.h"

#include "Appearance.h"
#include "Axis.h"
#include "AxisTransform.h"
#include "Dimensions.h"
#include "GraphCanvas.h"
#include "PlotGraph.h"

#include <algorithm>

int TAxisPainter::LinePosition(const TAxis& axis) const {
    const QRect plot = graph_.PlotRect();
    const bool isX = axis.AxisKind() == TAxis::Kind::X;
    const TAxis& other = isX ? graph_.YAxis() : graph_.XAxis();
    if (!other.RangeValid()) {
        if (isX) return plot.bottom();
        return axis.IsSecondAxis() ? plot.right() : plot.left();
    }
    double at = other.Min();
    switch (axis.OffsetType()) {
    case TAxis::ao_Minimum:
        break;
    case TAxis::ao_Maximum:
        at = other.Max();
        break;
    case TAxis::ao_percentage:
        at = other.Min() + (other.Max() - other.Min()) * axis.Offset() / 100;
        break;
    case TAxis::ao_absolute:
        at = axis.Offset();
        break;
    }
    return graph_.ToPixel(other, at);
}

void TAxisPainter::Paint(const TAxis& axis) {
    const int line = LinePosition(axis);
    if (!axis.RangeValid()) {
        PaintTitle(axis, line, graph_.Appearance().ErrorCaption(), 0);
        return;
    }
    PaintScale(axis, line);
    if (!axis.ShowAxis()) return; // no title either
    const TTickPlan& plan = axis.TickPlan();
    const bool isX = axis.AxisKind() == TAxis::Kind::X;
    // Clear of the widest label, not of the last one drawn.
    const int labelExtent =
        graph_.Appearance().ShowGraphLabels() ? (isX ? plan.LabelHeight : plan.WidestLabel) : 0;
    PaintTitle(axis, line, axis.Title(), labelExtent);
}

void TAxisPainter::PaintScale(const TAxis& axis, int line) {
    const TAppearance& look = graph_.Appearance();
    const TDimensions& dim = graph_.Dimensions();
    const QRect plot = graph_.PlotRect();
    const bool isX = axis.AxisKind() == TAxis::Kind::X;
    const TAxisTransform map = graph_.Transform(axis);
    const TTickPlan& plan = axis.TickPlan();
    const std::vector<TTick>& ticks = plan.Ticks;

    const int penWidth = canvas_.PenWidth();
    int gridPen = penWidth;
    if (penWidth > 1) {
        if (look.PrintLineStyle())
            gridPen = 1;
        else if (penWidth > 3)
            gridPen = penWidth / 2 + 1;
    }
    const TAxis& other = isX ? graph_.YAxis() : graph_.XAxis();
    if (axis.Gridlines() && other.RangeValid()) {
        canvas_.SetPen(look.GridColor(), gridPen, look.GridStyle());
        canvas_.SetDashBackground(look.BackgroundColor());
        for (const TTick& t : ticks) {
            if (!t.Grid) continue;
            const int p = map(t.Value);
            if (isX)
                canvas_.Line(p, plot.top(), p, plot.bottom());
            else
                canvas_.Line(plot.left(), p, plot.right(), p);
        }
        canvas_.ClearDashBackground();
    }
    if (!axis.ShowAxis()) return;

    const int tick = dim.TickLength();
    // Outward: below the X axis and left of a Y axis, the other way reversed.
    const int outward = (isX ? 1 : -1) * (axis.Reversed() ? -1 : 1);
    canvas_.SetPen(look.AxesColor(), penWidth);
    if (look.ShowTicks() && tick > 0) {
        const int end = line + outward * (tick - 1);
        for (const TTick& t : ticks) {
            const int p = map(t.Value);
            if (isX)
                canvas_.Line(p, line, p, end);
            else
                canvas_.Line(line, p, end, p);
        }
    }
    if (look.ShowGraphLabels()) {
        canvas_.SetFont(look.LabelFont());
        canvas_.SetClearBrush();
        const int gap = tick + (isX ? dim.XAxisLabelOffset() : dim.YAxisLabelOffset());
        for (const TTick& t : ticks) {
            if (!t.Labelled) continue;
            const int w = t.Width;
            const int h = plan.LabelHeight;
            const int p = map(t.Value);
            if (isX)
                canvas_.TextOut(p - w / 2, axis.Reversed() ? line - gap - h : line + gap, t.Label);
            else
                canvas_.TextOut(axis.Reversed() ? line + gap : line - gap - w, p - h / 2, t.Label);
        }
    }
    canvas_.SetPen(look.AxesColor(), penWidth);
    const int from = map(axis.Min());
    const int to = map(axis.Max());
    if (isX)
        canvas_.Line(from, line, to, line);
    else
        canvas_.Line(line, from, line, to);
}

void TAxisPainter::PaintTitle(const TAxis& axis, int line, const QString& title, int labelExtent) {
    const TAppearance& look = graph_.Appearance();
    const TDimensions& dim = graph_.Dimensions();
    const QRect plot = graph_.PlotRect();
    const TColor background = look.MarginColor();
    canvas_.SetFont(look.TitleFont());
    const int w = canvas_.TextWidth(title);
    const int h = canvas_.TextHeight(title);
    const int tick = dim.TickLength();
    if (axis.AxisKind() == TAxis::Kind::X) {
        const int gap = tick + dim.XAxisTitleOffset() + labelExtent;
        const int top = axis.Reversed() ? line - gap - h : line + gap;
        canvas_.TextOut((plot.left() + plot.right()) / 2 - w / 2, top, title, &background);
        return;
    }
    const int gap = tick + dim.YAxisTitleOffset() + labelExtent;
    const int column = std::max(0, axis.Reversed() ? line + gap : line - gap - h);
    canvas_.TextOutTurned(column, (plot.top() + plot.bottom()) / 2 + w / 2, 90, title, &background);
}
