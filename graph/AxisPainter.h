#pragma once

#include <QString>

class TAxis;
class TGraphCanvas;
class TPlotGraph;

// The text of a tick label: a date on a time axis, the exponent form
// (1.2E+4) for very large and very small values, fixed point otherwise.
QString TickLabelText(const TAxis& axis, double value);

// Draws one axis of a graph: grid, ticks, labels, line and title, or the
// error caption in place of the title when the axis range is invalid.
class TAxisPainter {
public:
    TAxisPainter(const TPlotGraph& graph, TGraphCanvas& canvas) : graph_(graph), canvas_(canvas) {}
    void Paint(TAxis& axis);
    // The row of the X axis, or the column of a Y axis.
    int LinePosition(const TAxis& axis) const;

private:
    // False when the axis is hidden (no title either).
    bool PaintScale(TAxis& axis, int line, int& labelExtent);
    void PaintTitle(const TAxis& axis, int line, const QString& title, int labelExtent);
    int TickPixel(const TAxis& axis, double v) const;

    const TPlotGraph& graph_;
    TGraphCanvas& canvas_;
};
