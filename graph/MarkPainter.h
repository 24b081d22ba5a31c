#pragma once

struct TMark;
class TGraphCanvas;
class TPlotGraph;

// Draws one mark (vertical or horizontal line, square, free line) with its
// caption, clipped to the plot rectangle unless the graph plots off it.
void PaintMark(const TPlotGraph& graph, TGraphCanvas& canvas, const TMark& mark);
