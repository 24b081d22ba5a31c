#pragma once

#include <QByteArray>
#include <QString>

#include <span>

class QImage;
class QPicture;
class TPlotGraph;

// The graph's picture as a file, drawn by the graph's own full draw (the
// routine of the screen, the printer and the clipboard picture), so text
// stays text and lines stay lines in the vector formats.
class TPictureFile {
public:
    // Writes the picture of `graph` to `fileName`, the format chosen by the
    // file's extension: ".svg", ".pdf", or a raster format Qt writes (".png",
    // ".bmp", ".jpg", ...) at `scale` times the graph's size on screen; the
    // vector formats ignore `scale`. The file is replaced in one step. An
    // unknown extension, a scale outside (0, 16], a graph without area or a
    // failed write throws an Exception saying which; no half file is left.
    static void Write(TPlotGraph& graph, const QString& fileName, double scale = 1);
    // The same for several graphs side by side, left to right in the order
    // given, each at its size on screen and aligned at the top (the window's
    // split view on one page).
    static void Write(std::span<TPlotGraph* const> graphs, const QString& fileName,
                      double scale = 1);

    // The picture as an SVG document of the graph's size on screen.
    static QByteArray Svg(TPlotGraph& graph);
    static QByteArray Svg(std::span<TPlotGraph* const> graphs);
    // The graphs side by side as a vector picture and as a bitmap at `scale`.
    static QPicture Picture(std::span<TPlotGraph* const> graphs);
    static QImage Image(std::span<TPlotGraph* const> graphs, double scale = 1);

    // Throws as Write does when `fileName` names no format it writes, so that
    // a caller can refuse the name before drawing anything.
    static void RequireFormat(const QString& fileName);

    // True when `fileName` names a raster format, whose size `scale` sets.
    static bool IsRaster(const QString& fileName);

    // The save dialog's filter: PNG, SVG and PDF.
    static const char* const kFilter;
};
