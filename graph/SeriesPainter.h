#pragma once

#include "PixelMap.h"

#include <QPoint>

#include <vector>

class TGraphCanvas;
class TPlotGraph;
class TSeries;

// Draws one series: its bound lines, its line (in runs of at most
// kMaxRun points) and its symbols, clipped as the graph's PlotOffGraph says.
class TSeriesPainter {
public:
    static constexpr int kMaxRun = 15000;

    TSeriesPainter(TPlotGraph& graph, TGraphCanvas& canvas) : graph_(graph), canvas_(canvas) {}
    // Draws the points from index `from` on (the line from the point before
    // it). False when the series cannot be drawn on a log axis (OnLogError
    // has then been raised).
    bool Paint(TSeries& series, int from = 0);

private:
    void PaintBounds(const TSeries& s);
    void PaintLine(const TSeries& s, int from);
    void PaintSymbols(const TSeries& s, int from);
    void PaintSteps(const TSeries& s, int first, int r);
    void PaintBars(const TSeries& s, int first);

    TPlotGraph& graph_;
    TGraphCanvas& canvas_;
    TPixelMap x_, y_;
    std::vector<QPoint> mapped_;
};
