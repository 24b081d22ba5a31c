#pragma once

class TGraphCanvas;
class TPlotGraph;

// Draws the legend box with one entry (name, line sample, symbol sample) per
// series shown in it, across or down, scaled by the graph's DrawScale.
void PaintLegend(const TPlotGraph& graph, TGraphCanvas& canvas);
