#pragma once

#include "Color.h"
#include "DataSeries.h"

#include <QObject>

#include <cstdint>

class TAxis;
class TPlotGraph;

// Symbol shapes, bound modes and legend entry kinds; stored as bytes, so a
// value read from a file may lie outside the named ones.
enum TPointShape : std::uint8_t { sh_Square, sh_Circle, sh_Diamond, sh_Cross, sh_Step, sh_Bar };
enum TBoundsMode : std::uint8_t { bm_None, bm_Fixed, bm_1SD, bm_2SD, bm_3SD, bm_All };
enum TLegendEntry : std::uint8_t {
    le_None,
    le_Name,
    le_NameSymbol,
    le_NameLine,
    le_NameLineSymbol
};

// A series of a TPlotGraph: the point store plus how it is drawn. Every change
// of the store or of the descriptor becomes a repaint decision (Changed).
// Series are made by TPlotGraph::GetSeries and owned by the graph.
class TSeries : public QObject, public TDataSeries {
    Q_OBJECT

public:
    TSeries(TPlotGraph& graph, int number);
    ~TSeries() override;

    TPlotGraph& Graph() const { return graph_; }
    int Number() const { return number_; }

    bool Hold() const { return hold_; }
    bool HoldPending() const { return holdPending_; }
    // While held, changes are only noted; releasing after a change repaints once.
    void SetHold(bool on);

    TAxis& YAxisRef() const { return *yAxis_; }
    bool FirstAxis() const;
    void SetFirstAxis(bool v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool ShowLine() const { return showLine_; }
    void SetShowLine(bool v);
    bool ShowPoints() const { return showPoints_; }
    void SetShowPoints(bool v);
    bool FillPoints() const { return fillPoints_; }
    void SetFillPoints(bool v);
    TColor LineColor() const { return lineColor_; }
    void SetLineColor(TColor v);
    TColor PointColor() const { return pointColor_; }
    void SetPointColor(TColor v);
    TColor BoundsColor() const { return boundsColor_; }
    void SetBoundsColor(TColor v);
    int PointShape() const { return pointShape_; }
    // Drawn symbols keep an even PointSize of at least 2 (steps excepted).
    void SetPointShape(int v);
    int LineStyle() const { return lineStyle_; }
    void SetLineStyle(int v);
    int BoundLineMode() const { return boundLineMode_; }
    void SetBoundLineMode(int v);
    int PointSize() const { return pointSize_; }
    void SetPointSize(int v);
    double UpperBound() const { return upperBound_; }
    void SetUpperBound(double v); // repaints only with bm_Fixed
    double LowerBound() const { return lowerBound_; }
    void SetLowerBound(double v); // repaints only with bm_Fixed
    int BoundsMode() const { return boundsMode_; }
    void SetBoundsMode(int v);
    int ShowInLegend() const { return showInLegend_; }
    void SetShowInLegend(int v);
    TColor RegressionLineColor() const { return regressionLineColor_; }
    void SetRegressionLineColor(TColor v); // repaints only with a regression
    int RegressionLineStyle() const { return regressionLineStyle_; }
    void SetRegressionLineStyle(int v); // repaints only with a regression
    double BarWidth() const { return barWidth_; }
    void SetBarWidth(double v);
    double BarOffset() const { return barOffset_; }
    void SetBarOffset(double v);

    // Filing a stored zero value must not switch a stored AutoZero off.
    using TDataSeries::RestoreZeroValue;

protected:
    void Changed(TChangeCode code) override;
    bool TooManyPoints() override;

private:
    template <typename T> void SetStyle(T& field, const T& v);
    void KeepPointSizeEven();

    TPlotGraph& graph_;
    int number_;
    TAxis* yAxis_;
    bool visible_ = true;
    bool showLine_ = true;
    bool showPoints_ = true;
    bool fillPoints_;
    bool hold_ = false;
    bool holdPending_ = false;
    TColor lineColor_;
    TColor pointColor_;
    TColor boundsColor_ = clBlack;
    std::uint8_t pointShape_;
    std::uint8_t lineStyle_;
    std::uint8_t boundLineMode_ = 3;
    std::uint16_t pointSize_ = 4;
    double upperBound_ = 0;
    double lowerBound_ = 0;
    std::uint8_t boundsMode_ = bm_None;
    std::uint8_t showInLegend_ = le_None;
    TColor regressionLineColor_ = clGray;
    std::uint8_t regressionLineStyle_ = 2;
    double barWidth_ = 0;
    double barOffset_ = 0;
};
