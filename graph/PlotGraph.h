#pragma once

#include "Color.h"
#include "Mark.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QIODevice;
class TAppearance;
class TAxis;
class TDimensions;
class TLegend;
class TSeries;

// Sender and index: the graph or a series, and a series number.
using TSeriesEvent = std::function<void(QObject* sender, int index)>;
using TNotifyEvent = std::function<void(QObject* sender)>;

// The plotting control: three axes, any number of numbered series, marks, a
// legend, and the decisions of when and how to redraw.
//
// Redrawing goes through RequestRepaint: a full draw rescales the axes from
// the data and redraws everything, an incremental draw only draws the series
// again over the present picture. DrawGraph does the model side of a draw
// (data ranges, automatic scaling, validity, pixel scales) and leaves marked
// places where the painting of each stage belongs.
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
    bool DragAllowed() const { return dragAllowed_; }
    void SetDragAllowed(bool v) { dragAllowed_ = v; }
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

    // Replaces the mark with mark.ID, or inserts it in ID order.
    void AddMark(const TMark& mark);
    void ClearMarks();
    const std::vector<TMark>& Marks() const { return marks_; }

    // Some series has a point, and axis is null, the X axis, or that series' Y axis.
    bool HasData(const TAxis* axis = nullptr) const;

    // The one path to the screen. Counts the requests, then draws.
    void RequestRepaint(TRepaintKind kind);
    void RepaintIfPlotting();
    int FullRepaintCount() const { return fullRepaints_; }
    int IncrementalRepaintCount() const { return incrementalRepaints_; }

    // All three axes were valid at the last full draw.
    bool MetricsOK() const { return metricsOK_; }
    // OnRescale, when plotting with valid axes.
    void RaiseRescale();

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

protected:
    void DrawGraph(bool full);
    void resizeEvent(QResizeEvent* event) override;

    int surfaceWidth_ = 200;
    int surfaceHeight_ = 200;
    int xOffset_ = 0;
    int yOffset_ = 0;
    double drawScale_ = 1.0;
    bool printing_ = false;

private:
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
