#include "PhasePlaneGraph.h"

#include "AxisTransform.h"

#include "Appearance.h"
#include "Axis.h"
#include "GraphCanvas.h"
#include "Series.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// A press and release this close together are a click, not a drag.
constexpr int kClickSlack = 4;
// A plot size this close to the last figure's is the same size: a printed
// page scales the plot back to the screen's with rounding.
constexpr int kSizeSlack = 2;
// How far beyond a marker's edge the mouse still points at it.
constexpr int kHoverSlack = 3;
// How far from a cycle's line the mouse still points at it.
constexpr double kCycleSlack = 4;

double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double share =
        length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    const QPointF d = p - (a + share * ab);
    return std::hypot(d.x(), d.y());
}

bool SameRequest(const TPhasePlaneGraph::TFigureRequest& a,
                 const TPhasePlaneGraph::TFigureRequest& b) {
    return a.n1Min == b.n1Min && a.n1Max == b.n1Max && a.n2Min == b.n2Min && a.n2Max == b.n2Max &&
           std::abs(a.plot.width() - b.plot.width()) <= kSizeSlack &&
           std::abs(a.plot.height() - b.plot.height()) <= kSizeSlack;
}

} // namespace

TPhasePlaneGraph::TPhasePlaneGraph(QWidget* parent) : TPlotGraph(parent) {
    UpdateColors();
    OverlayPainter = [this](TGraphCanvas& canvas, bool overSeries) {
        PaintFigure(canvas, overSeries);
    };
}

void TPhasePlaneGraph::PaintFigure(TGraphCanvas& canvas, bool overSeries) {
    if (!overSeries && OnFigureNeeded) {
        const QRect plot = PlotRect();
        const double s = DrawScale();
        const TFigureRequest request{
            XAxis().Min(), XAxis().Max(), YAxis().Min(), YAxis().Max(),
            QSize(int(std::lround(plot.width() / s)), int(std::lround(plot.height() / s)))};
        if (!figureValid_ || !SameRequest(request, shown_)) {
            figure_ = OnFigureNeeded(request);
            shown_ = request;
            figureValid_ = true;
        }
    }
    PaintPlaneFigure(*this, canvas, figure_, look_, overSeries);
}

void TPhasePlaneGraph::InvalidateFigure() {
    figureValid_ = false;
    if (!OnFigureNeeded) figure_ = {};
    RepaintIfPlotting();
}

void TPhasePlaneGraph::SetNullclineColor(int which, TColor color) {
    TColor& c = look_.nullclineColors[which == 0 ? 0 : 1];
    if (c == color) return;
    c = color;
    UpdateColors();
    RepaintIfPlotting();
}

void TPhasePlaneGraph::UpdateColors() {
    look_.SetSpeciesColors(look_.nullclineColors[0], look_.nullclineColors[1]);
    for (const auto& s : SeriesList()) {
        if (s->Number() == kObservedSeries) continue;
        s->SetLineColor(look_.trajectoryColor);
        s->SetPointColor(look_.trajectoryColor);
    }
}

void TPhasePlaneGraph::SetShowCycles(bool show) {
    if (look_.showCycles == show) return;
    look_.showCycles = show;
    RepaintIfPlotting();
}

void TPhasePlaneGraph::SetShowSeparatrices(bool show) {
    if (look_.showSeparatrices == show) return;
    look_.showSeparatrices = show;
    RepaintIfPlotting();
}

void TPhasePlaneGraph::SetSeparatrices(std::vector<TPlaneSeparatrix> separatrices) {
    figure_.separatrices = std::move(separatrices);
    RepaintIfPlotting();
}

void TPhasePlaneGraph::SetSketches(std::vector<QPolygonF> sketches) {
    figure_.sketches = std::move(sketches);
    RepaintIfPlotting();
}

void TPhasePlaneGraph::SetCycles(std::vector<TPlaneCycle> cycles) {
    figure_.cycles = std::move(cycles);
    RepaintIfPlotting();
}

void TPhasePlaneGraph::SetShowField(bool show) {
    if (look_.showField == show) return;
    look_.showField = show;
    RepaintIfPlotting();
}

TSeries& TPhasePlaneGraph::NewPiece(int number) {
    TSeries& s = GetSeries(number);
    s.SetTimeOrder(true);
    // The window's time plot asks about too many points; its pieces follow it.
    s.SetPointLimit(0);
    s.SetSeriesName(QStringLiteral("Trajectory"));
    s.SetShowInLegend(number == 1 ? le_NameLine : le_None);
    s.SetLineStyle(0);
    s.SetShowPoints(false);
    s.SetLineColor(look_.trajectoryColor);
    s.SetPointColor(look_.trajectoryColor);
    return s;
}

bool TPhasePlaneGraph::HasTrajectory() const {
    return !SeriesList().empty() && SeriesList().back()->Number() > kObservedSeries;
}

TSeries& TPhasePlaneGraph::Trajectory() {
    if (!HasTrajectory()) return NewPiece(1);
    return *SeriesList().back();
}

TSeries& TPhasePlaneGraph::StartTrajectory() {
    if (!HasTrajectory()) return NewPiece(1);
    TSeries& last = *SeriesList().back();
    const bool held = last.Hold();
    last.SetHold(false);
    TSeries& piece = NewPiece(last.Number() + 1);
    piece.SetHold(held);
    return piece;
}

void TPhasePlaneGraph::ClearTrajectories() {
    // An observed series without points goes with them, as if never made.
    DeleteSeries([](const TSeries& s) {
        return s.Number() > kObservedSeries ||
               (s.Number() == kObservedSeries && s.Points().empty());
    });
}

void TPhasePlaneGraph::SetObserved(const std::vector<std::pair<double, double>>& points,
                                   TColor color) {
    TSeries& s = GetSeries(kObservedSeries);
    s.Clear();
    s.SetPointLimit(0);
    s.SetSeriesName(QStringLiteral("Observed"));
    s.SetShowInLegend(points.empty() ? le_None : le_NameSymbol);
    s.SetShowLine(false);
    s.SetShowPoints(true);
    s.SetFillPoints(true);
    s.SetPointShape(sh_Diamond);
    s.SetPointSize(4);
    s.SetLineColor(color);
    s.SetPointColor(color);
    for (const auto& [n1, n2] : points)
        s.AddPoint(n1, n2);
}

const TPlaneMarker* TPhasePlaneGraph::MarkerAt(QPoint position) const {
    if (!MetricsOK()) return nullptr;
    const TPlaneMarker* nearest = nullptr;
    int best = kPlaneMarkerRadius + kHoverSlack;
    const TAxisTransform x = Transform(XAxis()), y = Transform(YAxis());
    for (const TPlaneMarker& m : figure_.markers) {
        const int d =
            std::max(std::abs(x(m.at.x()) - position.x()), std::abs(y(m.at.y()) - position.y()));
        if (d <= best) {
            best = d;
            nearest = &m;
        }
    }
    return nearest;
}

const TPlaneCycle* TPhasePlaneGraph::CycleAt(QPoint position) const {
    if (!MetricsOK() || !look_.showCycles || !PlotRect().contains(position)) return nullptr;
    const TPlaneCycle* nearest = nullptr;
    double best = kCycleSlack;
    const TAxisTransform x = Transform(XAxis()), y = Transform(YAxis());
    const auto pixel = [&](QPointF q) { return QPointF(x(q.x()), y(q.y())); };
    for (const TPlaneCycle& c : figure_.cycles)
        for (qsizetype i = 1; i < c.path.size(); ++i) {
            const double d = DistanceToSegment(position, pixel(c.path[i - 1]), pixel(c.path[i]));
            if (d <= best) {
                best = d;
                nearest = &c;
            }
        }
    return nearest;
}

bool TPhasePlaneGraph::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const TPlaneMarker* m = MarkerAt(help->pos());
        const TPlaneCycle* c = m ? nullptr : CycleAt(help->pos());
        if (m || c) {
            QToolTip::showText(help->globalPos(), m ? m->tip : c->tip, this);
            return true;
        }
    }
    return TPlotGraph::event(event);
}

void TPhasePlaneGraph::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool left = event->button() == Qt::LeftButton && MetricsOK() && PlotRect().contains(at);
    clicking_ = left && event->modifiers() == Qt::NoModifier;
    ctrlClicking_ = left && event->modifiers() == Qt::ControlModifier && OnPlaneCtrlClick;
    clickStart_ = at;
    if (ctrlClicking_) return;
    TPlotGraph::mousePressEvent(event);
}

void TPhasePlaneGraph::mouseReleaseEvent(QMouseEvent* event) {
    const bool ctrl = std::exchange(ctrlClicking_, false);
    if (!ctrl) TPlotGraph::mouseReleaseEvent(event);
    const QPoint at = event->position().toPoint();
    const bool near =
        event->button() == Qt::LeftButton && (at - clickStart_).manhattanLength() <= kClickSlack;
    const bool click = std::exchange(clicking_, false) && near;
    if (click && OnPlaneClick) OnPlaneClick(PixelToX(at.x()), PixelToY(at.y()));
    if (ctrl && near && OnPlaneCtrlClick) OnPlaneCtrlClick(PixelToX(at.x()), PixelToY(at.y()));
}
