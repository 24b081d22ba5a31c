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

void TAppearance::SetShowTicks(bool v) {
    showTicks_ = v;
    Repaint();
}
void TAppearance::SetShowMarks(bool v) {
    if (v == showMarks_) return;
    showMarks_ = v;
    Repaint();
}
void TAppearance::SetCrossAtZero(bool v) {
    if (v == crossAtZero_) return;
    crossAtZero_ = v;
    Repaint();
}
void TAppearance::SetPrintLineStyle(bool v) {
    printLineStyle_ = v;
    Repaint();
}
void TAppearance::SetPlotOffGraph(bool v) {
    plotOffGraph_ = v;
    Repaint();
}
void TAppearance::SetAllowDuplicates(bool v) {
    allowDuplicates_ = v;
    if (!graph_) return;
    for (const auto& s : graph_->SeriesList())
        s->SetDuplicatesAllowed(v);
    graph_->RequestRepaint(TPlotGraph::TRepaintKind::Full);
}
void TAppearance::SetPreventFlicker(bool v) {
    preventFlicker_ = v;
    Repaint();
}
void TAppearance::SetShowGraphLabels(bool v) {
    showGraphLabels_ = v;
    Repaint();
}
void TAppearance::SetGridColor(TColor v) {
    gridColor_ = v;
    Repaint();
}
void TAppearance::SetAxesColor(TColor v) {
    axesColor_ = v;
    Repaint();
}
void TAppearance::SetBackgroundColor(TColor v) {
    backgroundColor_ = v;
    Repaint();
}
void TAppearance::SetMarginColor(TColor v) {
    marginColor_ = v;
    Repaint();
}
void TAppearance::SetCrossColor(TColor v) {
    if (v == crossColor_) return;
    crossColor_ = v;
    Repaint();
}
void TAppearance::SetGridStyle(int v) {
    gridStyle_ = static_cast<std::uint8_t>(v);
    Repaint();
}
void TAppearance::SetPrintBkgndColor(bool v) {
    printBkgndColor_ = v;
    Repaint();
}
void TAppearance::SetErrorCaption(const QString& v) {
    errorCaption_ = v;
    if (graph_ && !graph_->MetricsOK()) Repaint();
}
void TAppearance::SetGraphTitle(const QString& v) {
    graphTitle_ = v;
    Repaint();
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
    titleFont_ = v;
    Repaint();
}
void TAppearance::SetCaptionFont(const TGraphFont& v) {
    captionFont_ = v;
    Repaint();
}
void TAppearance::SetLabelFont(const TGraphFont& v) {
    labelFont_ = v;
    Repaint();
}
