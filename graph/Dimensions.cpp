#include "Dimensions.h"

#include "Appearance.h"
#include "PlotGraph.h"

#include <algorithm>

TDimensions::TDimensions(TPlotGraph* graph) : QObject(graph), graph_(graph) {
    ResetToDefaults();
}

void TDimensions::ResetToDefaults() {
    leftMargin_ = 40;
    rightMargin_ = 15;
    topMargin_ = 30;
    bottomMargin_ = 40;
    tickLength_ = 4;
    xAxisTitleOffset_ = yAxisTitleOffset_ = 4;
    xAxisLabelOffset_ = yAxisLabelOffset_ = 2;
    graphTitleOffset_ = 7;
    printScalePct_ = 90;
    printXOffsetPct_ = 5;
    printYOffsetPct_ = 20;
}

void TDimensions::SetMargin(std::uint16_t& field, int v) {
    field = static_cast<std::uint16_t>(v);
    if (graph_) graph_->RepaintIfPlotting();
}
void TDimensions::SetOffset(std::int32_t& field, int v) {
    field = v;
    if (graph_) graph_->RepaintIfPlotting();
}

void TDimensions::SetLeftMargin(int v) {
    SetMargin(leftMargin_, v);
}
void TDimensions::SetRightMargin(int v) {
    SetMargin(rightMargin_, v);
}
void TDimensions::SetTopMargin(int v) {
    SetMargin(topMargin_, v);
}
void TDimensions::SetBottomMargin(int v) {
    SetMargin(bottomMargin_, v);
}
void TDimensions::SetTickLength(int v) {
    if (static_cast<std::uint16_t>(v) == 0 && graph_) graph_->Appearance().SetShowTicks(false);
    SetMargin(tickLength_, v);
}
void TDimensions::SetXAxisTitleOffset(int v) {
    SetOffset(xAxisTitleOffset_, v);
}
void TDimensions::SetYAxisTitleOffset(int v) {
    SetOffset(yAxisTitleOffset_, v);
}
void TDimensions::SetXAxisLabelOffset(int v) {
    SetOffset(xAxisLabelOffset_, v);
}
void TDimensions::SetYAxisLabelOffset(int v) {
    SetOffset(yAxisLabelOffset_, v);
}
void TDimensions::SetGraphTitleOffset(int v) {
    SetOffset(graphTitleOffset_, v);
}

void TDimensions::SetPrintScalePct(int v) {
    printScalePct_ = static_cast<std::uint16_t>(std::clamp(v, 20, 100));
}
void TDimensions::SetPrintXOffsetPct(int v) {
    printXOffsetPct_ = static_cast<std::uint16_t>(std::clamp(v, 0, 100));
}
void TDimensions::SetPrintYOffsetPct(int v) {
    printYOffsetPct_ = static_cast<std::uint16_t>(std::clamp(v, 0, 100));
}
