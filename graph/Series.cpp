#include "Series.h"

#include "Appearance.h"
#include "Axis.h"
#include "PlotGraph.h"

#include <QPointer>

namespace {

struct TSeriesLook {
    TColor Color;
    std::uint8_t Shape;
    std::uint8_t Style;
};

TSeriesLook LookOfNumber(int number) {
    switch (number) {
    case 1:
        return {clGreen, sh_Square, 0};
    case 2:
        return {clBlue, sh_Circle, 1};
    case 3:
        return {clRed, sh_Diamond, 2};
    case 4:
        return {clGray, sh_Cross, 3};
    case 5:
        return {clMaroon, sh_Square, 4};
    default:
        return {clGreen, sh_Circle, 0};
    }
}

} // namespace

TSeries::TSeries(TPlotGraph& graph, int number)
    : graph_(graph), number_(number), yAxis_(&graph.YAxis()) {
    const TSeriesLook look = LookOfNumber(number);
    lineColor_ = pointColor_ = look.Color;
    pointShape_ = look.Shape;
    lineStyle_ = look.Style;
    fillPoints_ = number < 5;
    SetSeriesName(QStringLiteral("Series %1").arg(number));
    SetDuplicatesAllowed(graph.Appearance().AllowDuplicates());
}

TSeries::~TSeries() {
    if (graph_.OnDeleteSeries) graph_.OnDeleteSeries(this, number_);
}

void TSeries::Changed(TChangeCode code) {
    if (hold_) {
        holdPending_ = true;
        return;
    }
    if (!graph_.Plotting()) return;
    // An added point may be drawn over the picture; the graph decides.
    graph_.RequestRepaint(code == ch_PointAdded ? TPlotGraph::TRepaintKind::Incremental
                                                : TPlotGraph::TRepaintKind::Full);
}

bool TSeries::TooManyPoints() {
    if (!graph_.OnTooManyPoints) return true;
    // The handler may clear every series of the graph, this one included.
    const QPointer<TSeries> self(this);
    graph_.OnTooManyPoints(&graph_, number_);
    return !self.isNull();
}

void TSeries::SetHold(bool on) {
    if (on == hold_) return;
    hold_ = on;
    if (on) {
        holdPending_ = false;
    } else if (holdPending_) {
        holdPending_ = false;
        Changed(ch_HoldReleased);
    }
}

template <typename T> void TSeries::SetStyle(T& field, const T& v) {
    if (field == v) return;
    field = v;
    Changed(ch_StyleChanged);
}

bool TSeries::FirstAxis() const {
    return yAxis_ != &graph_.YAxis_Second();
}
void TSeries::SetFirstAxis(bool v) {
    TAxis* axis = v ? &graph_.YAxis() : &graph_.YAxis_Second();
    if (axis == yAxis_) return;
    yAxis_ = axis;
    Changed(ch_StyleChanged);
}

void TSeries::SetVisible(bool v) {
    SetStyle(visible_, v);
}
void TSeries::SetShowLine(bool v) {
    SetStyle(showLine_, v);
}
void TSeries::SetShowPoints(bool v) {
    SetStyle(showPoints_, v);
}
void TSeries::SetFillPoints(bool v) {
    SetStyle(fillPoints_, v);
}
void TSeries::SetLineColor(TColor v) {
    SetStyle(lineColor_, v);
}
void TSeries::SetPointColor(TColor v) {
    SetStyle(pointColor_, v);
}
void TSeries::SetBoundsColor(TColor v) {
    SetStyle(boundsColor_, v);
}
void TSeries::SetLineStyle(int v) {
    SetStyle(lineStyle_, static_cast<std::uint8_t>(v));
}
void TSeries::SetBoundLineMode(int v) {
    SetStyle(boundLineMode_, static_cast<std::uint8_t>(v));
}
void TSeries::SetBoundsMode(int v) {
    SetStyle(boundsMode_, static_cast<std::uint8_t>(v));
}
void TSeries::SetShowInLegend(int v) {
    SetStyle(showInLegend_, static_cast<std::uint8_t>(v));
}
void TSeries::SetBarWidth(double v) {
    SetStyle(barWidth_, v);
}
void TSeries::SetBarOffset(double v) {
    SetStyle(barOffset_, v);
}

void TSeries::KeepPointSizeEven() {
    if (pointShape_ == sh_Step) return;
    if (pointSize_ < 2) pointSize_ = 2;
    if (pointSize_ % 2 != 0) ++pointSize_;
}

void TSeries::SetPointShape(int v) {
    const auto shape = static_cast<std::uint8_t>(v);
    if (shape == pointShape_) return;
    pointShape_ = shape;
    KeepPointSizeEven();
    Changed(ch_StyleChanged);
}

void TSeries::SetPointSize(int v) {
    const auto size = static_cast<std::uint16_t>(v);
    if (size == pointSize_) return;
    pointSize_ = size;
    KeepPointSizeEven();
    Changed(ch_StyleChanged);
}

void TSeries::SetUpperBound(double v) {
    if (v == upperBound_) return;
    upperBound_ = v;
    if (boundsMode_ == bm_Fixed) Changed(ch_StyleChanged);
}

void TSeries::SetLowerBound(double v) {
    if (v == lowerBound_) return;
    lowerBound_ = v;
    if (boundsMode_ == bm_Fixed) Changed(ch_StyleChanged);
}

void TSeries::SetRegressionLineColor(TColor v) {
    if (v == regressionLineColor_) return;
    regressionLineColor_ = v;
    if (RegressionType() != 0) Changed(ch_StyleChanged);
}

void TSeries::SetRegressionLineStyle(int v) {
    const auto style = static_cast<std::uint8_t>(v);
    if (style == regressionLineStyle_) return;
    regressionLineStyle_ = style;
    if (RegressionType() != 0) Changed(ch_StyleChanged);
}
