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

void TPlotGraph::RequestRepaint(TRepaintKind kind) {
    if (kind == TRepaintKind::Full) {
        ++fullRepaints_;
        if (printing_) return;
        surfaceWidth_ = width();
        surfaceHeight_ = height();
        DrawGraph(true);
    } else {
        ++incrementalRepaints_;
        DrawGraph(false);
    }
    update();
}

void TPlotGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RequestRepaint(TRepaintKind::Full);
}

void TPlotGraph::DrawGraph(bool full) {
    // On screen the draw goes into the back buffer; an incremental draw needs
    // a picture of the present size to draw over, else it becomes a full one.
    std::unique_ptr<TGraphCanvas> screen;
    if (!canvas_) {
        const QSize size(surfaceWidth_, surfaceHeight_);
        if (!full && (!backBuffer_ || backBuffer_->size() != size)) {
            if (!plotting_) return;
            full = true;
        }
        if (full && size.width() > 0 && size.height() > 0 &&
            (!backBuffer_ || backBuffer_->size() != size))
            backBuffer_ = std::make_unique<QImage>(size, QImage::Format_RGB32);
        if (backBuffer_ && backBuffer_->size() == size)
            screen = std::make_unique<TGraphCanvas>(*backBuffer_, this, false);
    }
    TGraphCanvas* c = canvas_ ? canvas_ : screen.get();
    if (c) {
        c->SetPenWidth(canvasPenWidth_);
        c->SetFontScale(fontFactor_, fontPpi_ > 0 ? fontPpi_ : logicalDpiY());
    }

    if (full) {
        drawnTails_.clear();
        if (plotting_ && HasData()) {
            for (const auto& s : series_)
                if (s->ExtentsStale()) s->RecalcExtents();
            // Each axis gets the range of the visible series plotted against it.
            for (TAxis* axis : {xAxis_, yAxis_, yAxis2_}) {
                bool any = false;
                double lo = 0, hi = 0;
                for (const auto& s : series_) {
                    if (!s->Visible() || s->Count() == 0) continue;
                    if (axis != xAxis_ && &s->YAxisRef() != axis) continue;
                    const double sMin = axis == xAxis_ ? s->XMin() : s->YMin();
                    const double sMax = axis == xAxis_ ? s->XMax() : s->YMax();
                    lo = any ? std::min(lo, sMin) : sMin;
                    hi = any ? std::max(hi, sMax) : sMax;
                    any = true;
                }
                if (any) axis->SetDataRange(lo, hi);
            }
        }
        bool rangeChanged = false;
        bool allValid = true;
        for (TAxis* axis : {xAxis_, yAxis_, yAxis2_}) {
            if (axis->AutoSizing() && axis->AutoScale()) rangeChanged = true;
            if (!axis->CheckRange()) {
                allValid = false;
                continue;
            }
            if (axis->AutoStepping()) {
                if (axis->LogScale()) {
                    axis->AutoLogDivisions();
                    axis->UpdateLabelAll();
                } else {
                    axis->AssignAutoStep();
                }
            }
        }
        metricsOK_ = allValid;
        if (metricsOK_ && rangeChanged) RaiseRescale();
        const int xPixels = surfaceWidth_ - dimensions_->LeftMargin() - dimensions_->RightMargin();
        const int yPixels = surfaceHeight_ - dimensions_->TopMargin() - dimensions_->BottomMargin();
        for (TAxis* axis : {xAxis_, yAxis_, yAxis2_})
            if (axis->RangeValid()) axis->CalcMetrics(axis == xAxis_ ? xPixels : yPixels);

        if (!c) return;
        PaintFrame(*c);
        if (!metricsOK_) return;
        if (appearance_->CrossAtZero() && !xAxis_->LogScale() && !yAxis_->LogScale())
            PaintCross(*c);
        if (!plotting_) return;
        if (c->PenWidth() > 2) c->SetPenWidth((c->PenWidth() + 1) / 2);
        if (appearance_->ShowMarks()) PaintMarks(*c, false);
        PaintOverlay(*c, false);
    }
    if (!plotting_ || !c) return;
    const int penWidth = c->PenWidth();
    if (appearance_->PrintLineStyle()) c->SetPenWidth(1);
    PaintSeries(*c, full);
    c->SetPenWidth(penWidth);
    PaintOverlay(*c, true);
    if (appearance_->ShowMarks()) PaintMarks(*c, true);
    if (full) {
        if (legend_->visible()) PaintLegend(*this, *c);
        RaisePaintEnd(c->Painter(), false);
    }
}

void TPlotGraph::Assign(const TPlotGraph& source) {
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    source.SaveToStream(buffer, true);
    buffer.seek(0);
    LoadFromStream(buffer);
}
