#pragma once

#include "AxisTransform.h"

#include <QColor>
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
// points) and its symbols, clipped as the graph's PlotOffGraph says; or the
// points appended to it alone; or, in one colour each, what its line and its
// symbols cover.
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
    // Of the points from index from (at least 1) on, the line from the
    // point before (line) or their symbols (not line).
    void PaintTail(const TSeries& series, int from, bool line);
    // The pixels PaintTail touches, within the surface.
    static QRect TailRegion(const TPlotGraph& graph, const TSeries& series, int from);
    // The pixels the first count points of the series cover in a full draw,
    // but its statistics: the line and fixed bound lines in one colour, the
    // symbols in another.
    void PaintCover(const TSeries& series, int count, QColor line, QColor symbols);

    // Whether appended points of the series can be drawn alone: a solid line
    // or none, symbols square to cross or none, no bound lines, no
    // statistics drawn.
    static bool Appendable(const TPlotGraph& graph, const TSeries& series);
    // Whether PaintCover covers all the series draws: no statistics drawing.
    static bool Coverable(const TPlotGraph& graph, const TSeries& series);

private:
    void Map(const TSeries& s);
    void PaintBounds(const TSeries& s);
    // The line through the points [first, last).
    void PaintLine(const TSeries& s, int first, int last);
    // The symbols of the points [first, last) that the graph shows.
    void PaintSymbols(const TSeries& s, int first, int last);
    // Steps, bars or symbols of the first count points.
    void PaintPointShapes(const TSeries& s, int count);
    void PaintSteps(const TSeries& s, int first, int r);
    void PaintBars(const TSeries& s, int first);

    TPlotGraph& graph_;
    TGraphCanvas& canvas_;
    TAxisTransform x_, y_;
    std::vector<QPoint> mapped_;
    std::vector<QLine> pieces_;
};
