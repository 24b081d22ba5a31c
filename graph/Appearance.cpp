#include "Appearance.h"

#include "PlotGraph.h"
#include "Series.h"

TAppearance::TAppearance(TPlotGraph* graph) : QObject(graph), graph_(graph) {
    ResetToDefaults();
}

void TAppearance::ResetToDefaults() {
    showTicks_ = true;
    showMarks_ = false;
    crossAtZero_ = true;
    printLineStyle_ = true;
    plotOffGraph_ = false;
    allowDuplicates_ = false;
    preventFlicker_ = false;
    showGraphLabels_ = true;
    printBkgndColor_ = false;
    gridColor_ = clSilver;
    axesColor_ = clBlack;
    backgroundColor_ = graph_ ? graph_->ControlColor() : clWhite;
    marginColor_ = backgroundColor_;
    crossColor_ = clRed;
    gridStyle_ = 2;
    errorCaption_ = QStringLiteral("MAX/MIN VALUES INCONSISTENT");
    graphTitle_ = QStringLiteral("PlotGraph 3.01");
    minSteps_ = 5;
    maxSteps_ = 50;
    crosslength_ = 4;
    titleFont_ = captionFont_ = labelFont_ = TGraphFont{};
}

void TAppearance::Repaint() {
    if (graph_) graph_->RepaintIfPlotting();
}

template <typename T> void TAppearance::Store(T& field, const T& v) {
    field = v;
    Repaint();
}

template <typename T> void TAppearance::StoreIfChanged(T& field, const T& v) {
    if (field == v) return;
    Store(field, v);
}

void TAppearance::SetShowTicks(bool v) {
    Store(showTicks_, v);
}
void TAppearance::SetShowMarks(bool v) {
    StoreIfChanged(showMarks_, v);
}
void TAppearance::SetCrossAtZero(bool v) {
    StoreIfChanged(crossAtZero_, v);
}
void TAppearance::SetPrintLineStyle(bool v) {
    Store(printLineStyle_, v);
}
void TAppearance::SetPlotOffGraph(bool v) {
    Store(plotOffGraph_, v);
}
void TAppearance::SetAllowDuplicates(bool v) {
    allowDuplicates_ = v;
    if (!graph_) return;
    for (const auto& s : graph_->SeriesList())
        s->SetDuplicatesAllowed(v);
    graph_->RequestRepaint(TPlotGraph::TRepaintKind::Full);
}
void TAppearance::SetPreventFlicker(bool v) {
    Store(preventFlicker_, v);
}
void TAppearance::SetShowGraphLabels(bool v) {
    Store(showGraphLabels_, v);
}
void TAppearance::SetGridColor(TColor v) {
    Store(gridColor_, v);
}
void TAppearance::SetAxesColor(TColor v) {
    Store(axesColor_, v);
}
void TAppearance::SetBackgroundColor(TColor v) {
    Store(backgroundColor_, v);
}
void TAppearance::SetMarginColor(TColor v) {
    Store(marginColor_, v);
}
void TAppearance::SetCrossColor(TColor v) {
    StoreIfChanged(crossColor_, v);
}
void TAppearance::SetGridStyle(int v) {
    gridStyle_ = static_cast<std::uint8_t>(v);
    Repaint();
}
void TAppearance::SetPrintBkgndColor(bool v) {
    Store(printBkgndColor_, v);
}
void TAppearance::SetErrorCaption(const QString& v) {
    errorCaption_ = v;
    if (graph_ && !graph_->MetricsOK()) Repaint();
}
void TAppearance::SetGraphTitle(const QString& v) {
    Store(graphTitle_, v);
}
void TAppearance::SetMinSteps(int v) {
    const auto n = static_cast<std::uint16_t>(v);
    if (n == 0 || n >= 0.4 * maxSteps_) return;
    minSteps_ = n;
    Repaint();
}
void TAppearance::SetMaxSteps(int v) {
    const auto n = static_cast<std::uint16_t>(v);
    if (n <= 2.5 * minSteps_ || n > 90) return;
    maxSteps_ = n;
    Repaint();
}
void TAppearance::SetCrosslength(int v) {
    const auto n = static_cast<std::uint16_t>(v);
    if (n == crosslength_) return;
    crosslength_ = n;
    Repaint();
}
void TAppearance::SetTitleFont(const TGraphFont& v) {
    Store(titleFont_, v);
}
void TAppearance::SetCaptionFont(const TGraphFont& v) {
    Store(captionFont_, v);
}
void TAppearance::SetLabelFont(const TGraphFont& v) {
    Store(labelFont_, v);
}
