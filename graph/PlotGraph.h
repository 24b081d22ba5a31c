#pragma once

#include "AxisTransform.h"
#include "Color.h"
#include "Mark.h"

#include <QMargins>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;
class QImage;
class QMenu;
class QPainter;
class QPaintDevice;
class QMimeData;
class QPicture;
class QPrinter;
class TAppearance;
class TGraphCanvas;
class TAxis;
class TDimensions;
class TLegend;
class TSeries;

// Sender and index: the graph or a series, and a series number.
using TSeriesEvent = std::function<void(QObject* sender, int index)>;
using TNotifyEvent = std::function<void(QObject* sender)>;
// Sender and the painter of the surface just drawn on.
using TPaintEvent = std::function<void(QObject* sender, QPainter& canvas)>;
// Readies the printer for a page (a printer, or a PDF file name); false cancels.
using TPrinterSetup = std::function<bool(QPrinter& printer)>;
// A value of an axis to a pixel position on the surface being painted.
using TPixelTransform = std::function<int(double)>;
// Draws what a series shows of its statistics: the bound lines of its spread
// and its regression curve.
//
// Both are worked from the points by the graph's data side (graph/data,
// library graph_data), which builds on this plotting core; the core does not
// link it and so cannot call it. Instead a graph calls this hook, when it has
// one, for every series it draws, between the fixed bound lines and the
// series' line, clipped as the line is; graph_data's DrawSeriesStatistics is
// the hook (`graph.StatisticsPainter = DrawSeriesStatistics;`). A graph
// without it draws no statistics, as is right for the simulation's window,
// whose series have neither bounds of the spread nor a regression.
using TStatisticsPainter =
    std::function<void(QPainter& painter, TSeries& series, const TPixelTransform& xToPixel,
                       const TPixelTransform& yToPixel, int penWidth)>;

// Paints what a graph shows besides its series and marks, such as a phase
// plane's nullclines, direction field and equilibria, on the surface being
// drawn (screen, printer, picture or bitmap), placing it with the graph's own
// transforms (XToPixel, YToPixel) and sizing it by DrawScale. A full draw
// with valid axes calls it with overSeries false after the frame, under the
// series; every draw, full or incremental, calls it with overSeries true
// after the series, so that what lies over the curves stays over them. Both
// calls are clipped to the plot rectangle.
using TOverlayPainter = std::function<void(TGraphCanvas& canvas, bool overSeries)>;

// The plotting control: three axes, any number of numbered series, marks, a
// legend, and the decisions of when and how to redraw.
//
// Redrawing goes through RequestRepaint: a full draw rescales the axes from
// the data, plans the ticks and redraws everything; an incremental draw adds
// the points appended to one series to the present picture, and is made only
// where the result equals a full redraw (AppendableTail decides). On screen
// every draw goes into a back buffer, at the screen's device pixel ratio,
// that the widget shows with the zoom outline on top; printing, copying and
// saving point the same drawing routine at another surface.
class TPlotGraph : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Plotting READ Plotting WRITE SetPlotting)
    Q_PROPERTY(bool DragAllowed READ DragAllowed WRITE SetDragAllowed)

public:
    enum class TRepaintKind { Full, Incremental };

    explicit TPlotGraph(QWidget* parent = nullptr);
    ~TPlotGraph() override;

    TAxis& XAxis() const { return *xAxis_; }
    TAxis& YAxis() const { return *yAxis_; }
    TAxis& YAxis_Second() const { return *yAxis2_; }
    TDimensions& Dimensions() const { return *dimensions_; }
    TAppearance& Appearance() const { return *appearance_; }
    TLegend& Legend() const { return *legend_; }

    bool Plotting() const { return plotting_; }
    // Repaints in full; switching on raises OnRescale when the axes are valid.
    void SetPlotting(bool v);
    // Move and resize by the corners; never for a graph a layout places.
    bool DragAllowed() const { return dragAllowed_; }
    void SetDragAllowed(bool v) { dragAllowed_ = v; }
    // When on, the margins grow beyond the Dimensions where the tick labels,
    // the axis titles or the legend need the room, so that all of them stay
    // inside the control. Off by default.
    bool FitMarginsToLabels() const { return fitMargins_; }
    void SetFitMarginsToLabels(bool v);
    // The control's own colour, the default of the backgrounds.
    TColor ControlColor() const { return controlColor_; }

    // The series with this number, made (and announced by OnNewSeries) when
    // there is none yet.
    TSeries& GetSeries(int number);
    TSeries* FindSeries(int number) const;
    // In ascending number order.
    const std::vector<std::unique_ptr<TSeries>>& SeriesList() const { return series_; }
    int HighestSeriesNumber() const { return highestSeriesNumber_; }
    void ClearAllSeries();
    // Removes the series `which` picks, with one repaint when plotting.
    void DeleteSeries(const std::function<bool(const TSeries&)>& which);

    // Replaces the mark with mark.ID, or inserts it in ID order.
    void AddMark(const TMark& mark);
    void ClearMarks();
    const std::vector<TMark>& Marks() const { return marks_; }

    // Some series has a point, and axis is null, the X axis, or that series' Y axis.
    bool HasData(const TAxis* axis = nullptr) const;

    // The one path to the screen. An incremental request draws the points
    // appended since the last draw when AppendableTail allows, else in full.
    // Counts the draws of each kind.
    void RequestRepaint(TRepaintKind kind);
    void RepaintIfPlotting();
    int FullRepaintCount() const { return fullRepaints_; }
    int IncrementalRepaintCount() const { return incrementalRepaints_; }

    // All three axes were valid at the last full draw.
    bool MetricsOK() const { return metricsOK_; }
    // OnRescale, when plotting with valid axes.
    void RaiseRescale();

    // Pixel positions of axis values, kept within 20000 pixels of the plot
    // corner, and the way back (PlotGraphTransforms.cpp).
    TAxisTransform Transform(const TAxis& axis) const;
    int XToPixel(double v) const;
    int YToPixel(double v) const;
    int Y2ToPixel(double v) const;
    int ToPixel(const TAxis& axis, double v) const;
    double PixelToX(int p) const;
    double PixelToY(int p) const;
    double PixelToY2(int p) const;
    // The plot rectangle on the present surface, right and bottom included.
    QRect PlotRect() const;
    // The margins in use: the Dimensions, grown to fit the labels when asked.
    QMargins PlotMargins() const;

    // The picture on screen, as the last draws left it (device pixels).
    const QImage& BackBuffer() const;
    // The legend box of the last full draw on screen; empty when none.
    QRect LegendBox() const { return legendBox_; }

    // Output (PlotGraphOutput.cpp). Print uses PrinterSetup when assigned,
    // else the default printer, else a PDF file the user names.
    void Print();
    // All text of the graph at `scale` times its font sizes, on the screen
    // and in every output (the window follows the desktop's font size with
    // it). 1 by default; kept within [0.5, 4].
    void SetTextScale(double scale);
    double TextScale() const { return textScale_; }
    // Readies `printer` as Print does; false when the user cancels.
    bool SetUpPrinter(QPrinter& printer);
    // Draws the print page on any device: a printer, a PDF writer, an image.
    void PrintPage(QPaintDevice& page);
    // Puts ClipboardData() on the clipboard.
    void CopyToClipboard();
    // What Copy places: the settings stream with points, the bitmap and the
    // vector picture. The caller owns it and may add further forms.
    QMimeData* ClipboardData();
    // A BMP file of exactly the control's size; throws EGraphOutputError.
    void SaveBitmap(const QString& fileName);
    void DrawToMetafile(QPicture& dest);
    // Draws into dest at its size; its device pixel ratio enlarges the picture.
    void DrawToBitmap(QImage& dest);
    // The clipboard type of the graph settings stream with points.
    static const char* const kClipboardFormat;
    // The clipboard type of the vector picture.
    static const char* const kPictureFormat;

    // The drawing state of the surface being drawn.
    double DrawScale() const { return drawScale_; }
    int XOffset() const { return xOffset_; }
    int YOffset() const { return yOffset_; }
    int SurfaceWidth() const { return surfaceWidth_; }
    int SurfaceHeight() const { return surfaceHeight_; }
    bool IsPrinting() const { return printing_; }

    // Mouse (PlotGraphMouse.cpp).
    bool Zoomed() const { return zoomed_; }
    // The pop-up menu shown on a right click; not owned.
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    QMenu* PopupMenu() const { return popupMenu_; }

    // Appearance, dimensions, axes and legend back to their defaults, no repaint.
    void SetDefaults();

    // The graph settings stream (GraphFile.h has the section readers).
    void SaveToStream(QIODevice& device, bool withPoints) const;
    // Replaces the state from the stream. Throws EGraphStreamError (or the
    // conversion error) on bad input, keeping what was read before.
    void LoadFromStream(QIODevice& device);
    // Copies everything, points included, through a memory stream.
    void Assign(const TPlotGraph& source);

    TSeriesEvent OnNewSeries;
    TSeriesEvent OnDeleteSeries;
    TSeriesEvent OnTooManyPoints;
    TSeriesEvent OnLogError;
    TNotifyEvent OnRescale;
    TPaintEvent OnPaintEnd;
    TNotifyEvent OnWantDesigner;
    TNotifyEvent OnDblClick;
    TPrinterSetup PrinterSetup;
    TStatisticsPainter StatisticsPainter;
    TOverlayPainter OverlayPainter;

protected:
    // The full draw on the present surface.
    void DrawGraph();
    // Device pixels per pixel of the back buffer: the screen's.
    virtual qreal SurfaceRatio() const { return devicePixelRatioF(); }
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    int surfaceWidth_ = 200;
    int surfaceHeight_ = 200;
    int xOffset_ = 0;
    int yOffset_ = 0;
    double drawScale_ = 1.0;
    bool printing_ = false;

private:
    struct TSavedAxis {
        bool AutoSizing = false;
        double Min = 0, Max = 1;
    };
    enum class TDrag { None, Zoom, Legend, Move, Resize };

    // Per series: how much of it the present picture shows, so that an
    // incremental draw goes on from there.
    struct TDrawnSeries {
        int Number = 0;
        int Count = 0;
        std::uint32_t LastId = 0;
        double LastX = 0, LastY = 0;
    };
    // A series whose appended points can be drawn over the picture, and the
    // first of them.
    struct TTail {
        TSeries* Series = nullptr;
        int From = 0;
        QRect Region; // what the new points cover, on the surface
    };
    // Layers of the picture, numbered in drawing order, as the cover map
    // holds them: the frame, each series' line and its symbols, the legend.
    static constexpr QRgb kFrameLayer = 0;
    static constexpr QRgb kTopLayer = 0xFFFFFF;

    // The steps of a full draw (PlotGraph.cpp, PlotGraphDraw.cpp).
    bool FitAxes();
    void CalcAxisMetrics();
    void PlanAxisTicks(TGraphCanvas& c);
    QMargins LabelRoom(TGraphCanvas& c) const;
    void PaintFrame(TGraphCanvas& c);
    void PaintCross(TGraphCanvas& c);
    void PaintMarks(TGraphCanvas& c, bool afterSeries);
    void PaintSeries(TGraphCanvas& c);
    void PaintOverlay(TGraphCanvas& c, bool overSeries);
    TDrawnSeries Drawn(const TSeries& s) const;
    // Appending (PlotGraphAppend.cpp): the one decision, and the draw.
    bool AppendableTail(TTail& tail);
    void DrawTail(const TTail& tail);
    // Which layer lies on top at each pixel of the picture, made when the
    // first point is appended after a full draw.
    void PaintCoverMap();
    // Puts the opaque pixels of a tail layer onto the picture where no later
    // layer lies over them.
    void Compose(const QImage& layer, QPoint at, QRgb number);
    // The data range of the visible series on an axis; false when none.
    bool DataRange(const TAxis& axis, double& lo, double& hi) const;
    void RaisePaintEnd(QPainter& p, bool ignoreErrors);
    // Runs a full draw on another surface, restoring the canvas afterwards.
    void DrawOn(TGraphCanvas& canvas, int width, int height);
    // The zoom or legend outline, drawn over the picture, never into it.
    void SetRubberBand(const QRect& r);
    void PaintRubberBand(QPainter& p) const;
    // A graph that a layout places is not moved or resized by the mouse.
    bool LaidOut() const;

    TGraphCanvas* canvas_ = nullptr; // the surface of the draw under way, if not the screen
    int canvasPenWidth_ = 1;
    double fontFactor_ = 1.0;
    double textScale_ = 1.0;
    int fontPpi_ = 0; // 0: the screen's
    std::unique_ptr<QImage> backBuffer_;
    std::vector<TDrawnSeries> drawn_;  // empty: the picture cannot be added to
    std::unique_ptr<QImage> coverMap_; // null: not made since the full draw
    QRect legendBox_;
    QMargins labelRoom_; // what the labels need, when fitting the margins
    bool fitMargins_ = false;

    QMenu* popupMenu_ = nullptr;
    TDrag drag_ = TDrag::None;
    QPoint anchor_;
    QPoint dragStartGlobal_;
    QRect dragStartGeometry_;
    QRect rubberBand_;
    bool zoomed_ = false;
    TSavedAxis savedAxes_[3];

    TColor controlColor_ = clWhite;
    bool plotting_ = true;
    bool dragAllowed_ = true;
    bool metricsOK_ = false;
    int fullRepaints_ = 0;
    int incrementalRepaints_ = 0;
    int highestSeriesNumber_ = 0;

    TAxis* xAxis_;
    TAxis* yAxis_;
    TAxis* yAxis2_;
    TDimensions* dimensions_;
    TAppearance* appearance_;
    TLegend* legend_;
    std::vector<std::unique_ptr<TSeries>> series_;
    std::vector<TMark> marks_;
};
