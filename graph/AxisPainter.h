#pragma once

#include "TickPlan.h"

class TAxis;
class TGraphCanvas;
class TPlotGraph;

// Draws one axis of a graph from its tick plan: grid, ticks, labels, line and
// title, or the error caption in place of the title when the axis range is
// invalid. The axis is only read.
class TAxisPainter {
public:
    TAxisPainter(const TPlotGraph& graph, TGraphCanvas& canvas) : graph_(graph), canvas_(canvas) {}
    void Paint(const TAxis& axis);
    // The row of the X axis, or the column of a Y axis.
    int LinePosition(const TAxis& axis) const;

private:
    void PaintScale(const TAxis& axis, int line);
    void PaintTitle(const TAxis& axis, int line, const QString& title, int labelExtent);

    const TPlotGraph& graph_;
    TGraphCanvas& canvas_;
};
