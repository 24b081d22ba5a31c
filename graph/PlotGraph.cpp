#include "PlotGraph.h"

#include "Appearance.h"
#include "Axis.h"
#include "Dimensions.h"
#include "GraphCanvas.h"
#include "Legend.h"
#include "LegendPainter.h"
#include "Series.h"

#include <QBuffer>
#include <QImage>
#include <QResizeEvent>

#include <algorithm>

TPlotGraph::TPlotGraph(QWidget* parent) : QWidget(parent) {
    resize(200, 200);
    surfaceWidth_ = width();
    surfaceHeight_ = height();
    xAxis_ = new TAxis(this, TAxis::Kind::X);
    yAxis_ = new TAxis(this, TAxis::Kind::Y);
    yAxis2_ = new TAxis(this, TAxis::Kind::Y2);
    dimensions_ = new TDimensions(this);
    appearance_ = new TAppearance(this);
    legend_ = new TLegend(this);
}

TPlotGraph::~TPlotGraph() {
    // Series first: their destruction is announced, and a handler may still
    // look at the graph.
    while (!series_.empty()) {
        std::unique_ptr<TSeries> s = std::move(series_.back());
        series_.pop_back();
    }
    marks_.clear();
}

void TPlotGraph::SetPlotting(bool v) {
    plotting_ = v;
    RequestRepaint(TRepaintKind::Full);
    if (v) RaiseRescale();
}

void TPlotGraph::SetDefaults() {
    appearance_->ResetToDefaults();
    dimensions_->ResetToDefaults();
    xAxis_->ResetToDefaults();
    yAxis_->ResetToDefaults();
    yAxis2_->ResetToDefaults();
    legend_->ResetToDefaults();
    zoomed_ = false;
    drag_ = TDrag::None;
    rubberBand_ = QRect();
}

TSeries* TPlotGraph::FindSeries(int number) const {
    for (const auto& s : series_)
        if (s->Number() == number) return s.get();
    return nullptr;
}

void TPlotGraph::DeleteSeries(const std::function<bool(const TSeries&)>& which) {
    const auto gone = std::stable_partition(series_.begin(), series_.end(),
                                            [&](const auto& s) { return !which(*s); });
    if (gone == series_.end()) return;
    // Out of the list before they are destroyed, as ClearAllSeries does.
    std::vector<std::unique_ptr<TSeries>> removed(std::make_move_iterator(gone),
                                                  std::make_move_iterator(series_.end()));
    series_.erase(gone, series_.end());
    const bool saved = plotting_;
    plotting_ = false;
    removed.clear();
    plotting_ = saved;
    if (saved) RequestRepaint(TRepaintKind::Full);
}

TSeries& TPlotGraph::GetSeries(int number) {
    if (TSeries* s = FindSeries(number)) return *s;
    const auto at = std::find_if(series_.begin(), series_.end(),
                                 [&](const auto& s) { return s->Number() > number; });
    TSeries& made = **series_.insert(at, std::make_unique<TSeries>(*this, number));
    highestSeriesNumber_ = std::max(highestSeriesNumber_, number);
    if (OnNewSeries) OnNewSeries(this, number);
    return made;
}

void TPlotGraph::ClearAllSeries() {
    const bool saved = plotting_;
    plotting_ = false;
    while (!series_.empty()) {
        std::unique_ptr<TSeries> first = std::move(series_.front());
        series_.erase(series_.begin());
    }
    plotting_ = saved;
    if (saved) RequestRepaint(TRepaintKind::Full);
}

void TPlotGraph::AddMark(const TMark& mark) {
    const auto at = std::lower_bound(marks_.begin(), marks_.end(), mark.ID,
                                     [](const TMark& m, int id) { return m.ID < id; });
    if (at != marks_.end() && at->ID == mark.ID)
        *at = mark;
    else
        marks_.insert(at, mark);
    RepaintIfPlotting();
}

void TPlotGraph::ClearMarks() {
    marks_.clear();
    RepaintIfPlotting();
}

bool TPlotGraph::HasData(const TAxis* axis) const {
    return std::any_of(series_.begin(), series_.end(), [&](const auto& s) {
        return s->Count() > 0 && (!axis || axis == xAxis_ || axis == &s->YAxisRef());
    });
}

void TPlotGraph::RepaintIfPlotting() {
    if (plotting_) RequestRepaint(TRepaintKind::Full);
}

void TPlotGraph::RaiseRescale() {
    if (plotting_ && metricsOK_ && OnRescale) OnRescale(this);
}

void TPlotGraph::SetFitMarginsToLabels(bool v) {
    if (v == fitMargins_) return;
    fitMargins_ = v;
    labelRoom_ = QMargins();
    RepaintIfPlotting();
}

void TPlotGraph::RequestRepaint(TRepaintKind kind) {
    if (kind == TRepaintKind::Incremental) {
        TTail tail;
        if (AppendableTail(tail)) {
            ++incrementalRepaints_;
            DrawTail(tail);
            update();
            return;
        }
    }
    ++fullRepaints_;
    if (printing_) return;
    surfaceWidth_ = width();
    surfaceHeight_ = height();
    DrawGraph();
    update();
}

void TPlotGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RequestRepaint(TRepaintKind::Full);
}

bool TPlotGraph::DataRange(const TAxis& axis, double& lo, double& hi) const {
    bool any = false;
    for (const auto& s : series_) {
        if (!s->Visible() || s->Count() == 0) continue;
        if (&axis != xAxis_ && &s->YAxisRef() != &axis) continue;
        const double sMin = &axis == xAxis_ ? s->XMin() : s->YMin();
        const double sMax = &axis == xAxis_ ? s->XMax() : s->YMax();
        lo = any ? std::min(lo, sMin) : sMin;
        hi = any ? std::max(hi, sMax) : sMax;
        any = true;
    }
    return any;
}

bool TPlotGraph::FitAxes() {
    if (plotting_ && HasData()) {
        for (const auto& s : series_)
            if (s->ExtentsStale()) s->RecalcExtents();
        // Each axis gets the range of the visible series plotted against it.
        for (TAxis* axis : {xAxis_, yAxis_, yAxis2_}) {
            double lo = 0, hi = 0;
            if (DataRange(*axis, lo, hi)) axis->SetDataRange(lo, hi);
        }
    }
    bool rangeChanged = false;
    bool allValid = true;
    for (TAxis* axis : {xAxis_, yAxis_, yAxis2_}) {
        if (axis->Fit()) rangeChanged = true;
        if (!axis->RangeValid()) allValid = false;
    }
    metricsOK_ = allValid;
    return rangeChanged;
}

void TPlotGraph::CalcAxisMetrics() {
    const QRect plot = PlotRect();
    for (TAxis* axis : {xAxis_, yAxis_, yAxis2_})
        if (axis->RangeValid())
            axis->CalcMetrics(axis == xAxis_ ? plot.width() - 1 : plot.height() - 1);
}

void TPlotGraph::DrawGraph() {
    // On screen the draw goes into the back buffer, at the screen's
    // resolution; coordinates stay in pixels of the control.
    std::unique_ptr<TGraphCanvas> screen;
    if (!canvas_) {
        const QSize size(surfaceWidth_, surfaceHeight_);
        const qreal ratio = SurfaceRatio();
        if (size.width() > 0 && size.height() > 0) {
            if (!backBuffer_ || backBuffer_->deviceIndependentSize() != QSizeF(size) ||
                backBuffer_->devicePixelRatio() != ratio) {
                backBuffer_ = std::make_unique<QImage>(size * ratio, QImage::Format_RGB32);
                backBuffer_->setDevicePixelRatio(ratio);
            }
            screen = std::make_unique<TGraphCanvas>(*backBuffer_, this, false);
        }
        drawn_.clear();
        coverMap_.reset();
        legendBox_ = QRect();
    }
    TGraphCanvas* c = canvas_ ? canvas_ : screen.get();
    if (c) {
        c->SetPenWidth(canvasPenWidth_);
        c->SetFontScale(fontFactor_ * textScale_, fontPpi_ > 0 ? fontPpi_ : logicalDpiY());
    }

    const bool rangeChanged = FitAxes();
    if (metricsOK_ && rangeChanged) RaiseRescale();
    CalcAxisMetrics();
    if (!c) {
        for (TAxis* axis : {xAxis_, yAxis_, yAxis2_})
            axis->ClearTickPlan();
        return;
    }
    PlanAxisTicks(*c);
    if (fitMargins_) {
        // The room the labels need depends on the ticks, which depend on the
        // room: twice settles it.
        for (int pass = 0; pass < 2; ++pass) {
            const QMargins need = LabelRoom(*c);
            if (need == labelRoom_) break;
            labelRoom_ = need;
            CalcAxisMetrics();
            PlanAxisTicks(*c);
        }
    }

    PaintFrame(*c);
    if (!metricsOK_) return;
    if (appearance_->CrossAtZero() && !xAxis_->LogScale() && !yAxis_->LogScale()) PaintCross(*c);
    if (!plotting_) return;
    if (c->PenWidth() > 2) c->SetPenWidth((c->PenWidth() + 1) / 2);
    if (appearance_->ShowMarks()) PaintMarks(*c, false);
    PaintOverlay(*c, false);
    const int penWidth = c->PenWidth();
    if (appearance_->PrintLineStyle()) c->SetPenWidth(1);
    PaintSeries(*c);
    c->SetPenWidth(penWidth);
    PaintOverlay(*c, true);
    if (appearance_->ShowMarks()) PaintMarks(*c, true);
    if (legend_->visible()) {
        const QRect box = PaintLegend(*this, *c);
        if (!canvas_) legendBox_ = box;
    }
    RaisePaintEnd(c->Painter(), false);
}

void TPlotGraph::Assign(const TPlotGraph& source) {
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    source.SaveToStream(buffer, true);
    buffer.seek(0);
    LoadFromStream(buffer);
}
