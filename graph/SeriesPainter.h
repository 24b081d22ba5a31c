#pragma once

#include "AxisTransform.h"

#include <QLine>
#include <QPoint>
#include <QRect>

#include <vector>

class QPainter;
class TGraphCanvas;
class TPlotGraph;
class TSeries;

// One symbol of the shapes square to cross, centred at (x, y), with the
// painter's pen and brush.
void PaintSymbolShape(QPainter& painter, int shape, int x, int y, int r);

// Draws one series: its bound lines, its line (in runs of at most kMaxRun
// points) and its symbols, clipped as the graph's PlotOffGraph says; or, over
// a picture that already shows the series, the points appended to it and
// what of the series lies in a region.
//
// A solid one-pixel line is drawn as separate pieces (LinePieces.h), so that
// the pieces of appended points give the same pixels as the whole line.
class TSeriesPainter {
public:
    static constexpr int kMaxRun = 15000;

    TSeriesPainter(TPlotGraph& graph, TGraphCanvas& canvas) : graph_(graph), canvas_(canvas) {}
    // The whole series as a full draw has it. False when the series cannot be
    // drawn on a log axis (OnLogError has then been raised).
    bool Paint(TSeries& series);
    // The points from index from (at least 1) on: the line from the point
    // before, and their symbols.
    void PaintTail(const TSeries& series, int from);
    // The pixels PaintTail would touch, within the surface.
    static QRect TailRegion(const TPlotGraph& graph, const TSeries& series, int from);
    // The series' line (withLine) and symbols again where they cross the
    // region, clipped to it.
    void PaintRegion(const TSeries& series, const QRect& region, bool withLine);

    // Whether a series draws nothing but what PaintTail and PaintRegion can
    // draw again: a solid line or none, symbols square to cross or none, no
    // bound lines, no regression curve.
    static bool Appendable(const TSeries& series);

private:
    void Map(const TSeries& s);
    void PaintBounds(const TSeries& s);
    // The line through the points [first, last).
    void PaintLine(const TSeries& s, int first, int last);
    // The symbols of the points [first, last) that the graph shows.
    void PaintSymbols(const TSeries& s, int first, int last);
    void PaintSteps(const TSeries& s, int first, int r);
    void PaintBars(const TSeries& s, int first);
    // The first point at or after from whose column is at least column.
    int FirstAtColumn(const TSeries& s, int column, int from) const;

    TPlotGraph& graph_;
    TGraphCanvas& canvas_;
    TAxisTransform x_, y_;
    std::vector<QPoint> mapped_;
    std::vector<QLine> pieces_;
};
