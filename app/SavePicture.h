#pragma once

#include <span>

class QWidget;
class TPlotGraph;

// Graph > Save picture...: asks for a file name (PNG, SVG or PDF, the format
// chosen by the extension) and, for a raster format, the size (1x, 2x or 4x
// the graph's on screen), then writes the graph's picture there. Cancelling
// either question writes nothing; a failed write throws as TPictureFile does.
void SavePicture(QWidget* parent, TPlotGraph& graph);
// The same for graphs side by side in one picture.
void SavePicture(QWidget* parent, std::span<TPlotGraph* const> graphs);
