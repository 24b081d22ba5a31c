#pragma once

#include <QPoint>
#include <QRect>

#include <vector>

class TGraphCanvas;
class TPlotGraph;
class TSeries;

// Where the legend and its entries go on the surface: the box sized to its
// entries (across: side by side, each as wide as the widest; down: one below
// the other), at the legend's left and top, scaled by the graph's DrawScale.
struct TLegendLayout {
    struct TEntry {
        const TSeries* Series;
        QPoint At; // top-left corner of the sample
    };
    QRect Box; // empty when the legend shows no entry
    std::vector<TEntry> Entries;
    int SampleWidth = 0;
    int RowHeight = 0;
};
TLegendLayout LegendLayout(const TPlotGraph& graph, TGraphCanvas& canvas);

// Draws the legend box with one entry (name, line sample, symbol sample) per
// series shown in it, and returns the box (empty when nothing was drawn).
QRect PaintLegend(const TPlotGraph& graph, TGraphCanvas& canvas);
