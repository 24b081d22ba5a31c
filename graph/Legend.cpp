#include "Legend.h"

#include "Appearance.h"
#include "PlotGraph.h"

TLegend::TLegend(TPlotGraph* graph) : QObject(graph), graph_(graph) {
    ResetToDefaults();
}

void TLegend::ResetToDefaults() {
    visible_ = false;
    color_ = graph_ ? graph_->Appearance().BackgroundColor() : clWhite;
    borderStyle_ = 0;
    layout_ = lsAcross;
    top_ = left_ = 10;
    width_ = (graph_ ? graph_->width() : 200) - 20;
    height_ = 20;
    symbolSpace_ = 20;
    xMargin_ = 10;
    yMargin_ = 5;
    font_ = TGraphFont{};
}

template <typename T> void TLegend::Set(T& field, const T& v) {
    if (field == v) return;
    field = v;
    if (graph_) graph_->RepaintIfPlotting();
}

void TLegend::setVisible(bool v) {
    Set(visible_, v);
}
void TLegend::setColor(TColor v) {
    Set(color_, v);
}
void TLegend::setBorderStyle(int v) {
    Set(borderStyle_, v & 0xFF);
}
void TLegend::SetLayout(TLegendStyle v) {
    Set(layout_, v);
}
void TLegend::setTop(int v) {
    Set(top_, v);
}
void TLegend::setLeft(int v) {
    Set(left_, v);
}
void TLegend::setWidth(int v) {
    Set(width_, v);
}
void TLegend::setHeight(int v) {
    Set(height_, v);
}
void TLegend::SetSymbolSpace(int v) {
    Set(symbolSpace_, v);
}
void TLegend::SetXMargin(int v) {
    Set(xMargin_, v);
}
void TLegend::SetYMargin(int v) {
    Set(yMargin_, v);
}
void TLegend::setFont(const TGraphFont& v) {
    Set(font_, v);
}
