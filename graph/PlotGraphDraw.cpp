// The painting steps of a draw, and the screen side: the back buffer the
// draws go into and the paint handler that shows it.
#include "Appearance.h"
#include "Axis.h"
#include "AxisPainter.h"
#include "Dimensions.h"
#include "GraphCanvas.h"
#include "GraphMath.h"
#include "Legend.h"
#include "LegendPainter.h"
#include "MarkPainter.h"
#include "PlotGraph.h"
#include "Series.h"
#include "SeriesPainter.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

void TPlotGraph::PaintFrame(TGraphCanvas& c) {
    if (!c.IsPrinter() || appearance_->PrintBkgndColor()) {
        c.FillRect(QRect(xOffset_, yOffset_, surfaceWidth_, surfaceHeight_),
                   appearance_->MarginColor());
        c.FillRect(PlotRect(), appearance_->BackgroundColor());
    }
    TAxisPainter axes(*this, c);
    axes.Paint(*xAxis_);
    axes.Paint(*yAxis_);
    axes.Paint(*yAxis2_);
    if (!appearance_->ShowGraphLabels()) return;
    const QString title = appearance_->GraphTitle();
    c.SetFont(appearance_->CaptionFont());
    const int w = c.TextWidth(title);
    const int h = c.TextHeight(title);
    const QRect plot = PlotRect();
    const TColor background = appearance_->MarginColor();
    c.TextOut((plot.left() + plot.right()) / 2 - w / 2,
              plot.top() - dimensions_->GraphTitleOffset() - h, title, &background);
}

void TPlotGraph::PaintCross(TGraphCanvas& c) {
    if (!appearance_->PlotOffGraph()) {
        const auto inside = [](const TAxis& a) { return a.Min() <= 0 && 0 <= a.Max(); };
        if (!inside(*xAxis_) || !inside(*yAxis_)) return;
    }
    const int a = graphmath::Round(appearance_->Crosslength() * drawScale_);
    const int x = XToPixel(0), y = YToPixel(0);
    c.SetPen(appearance_->CrossColor(), c.PenWidth());
    c.Line(x, y + a, x, y - a);
    c.Line(x - a, y, x + a, y);
}

void TPlotGraph::PaintMarks(TGraphCanvas& c, bool afterSeries) {
    for (const TMark& m : marks_)
        if (m.WhenDrawn == afterSeries) PaintMark(*this, c, m);
}

TPlotGraph::TDrawnSeries TPlotGraph::Drawn(const TSeries& s) const {
    TDrawnSeries d{s.Number(), s.Count()};
    if (s.Count() > 0) {
        const TDataPoint& last = s.Points().back();
        d.LastId = last.Id;
        d.LastX = last.X;
        d.LastY = last.Y;
    }
    return d;
}

void TPlotGraph::PaintSeries(TGraphCanvas& c) {
    TSeriesPainter painter(*this, c);
    // A series handler may delete series: walk by number, not by iterator.
    std::vector<int> numbers;
    for (const auto& s : series_)
        numbers.push_back(s->Number());
    for (int number : numbers)
        if (TSeries* s = FindSeries(number)) painter.Paint(*s);
    // Only the screen keeps a picture to go on drawing over.
    if (canvas_) return;
    drawn_.clear();
    for (const auto& s : series_)
        drawn_.push_back(Drawn(*s));
}

void TPlotGraph::PaintOverlay(TGraphCanvas& c, bool overSeries) {
    if (!OverlayPainter || !metricsOK_) return;
    c.SetClip(PlotRect());
    OverlayPainter(c, overSeries);
    c.ClearClip();
}

void TPlotGraph::PlanAxisTicks(TGraphCanvas& c) {
    c.SetFont(appearance_->LabelFont());
    TLabelMetrics metrics;
    metrics.Width = [&c](const QString& text) { return c.TextWidth(text); };
    metrics.Height = c.TextHeight(QStringLiteral("0"));
    metrics.CharWidth = c.TextWidth(QStringLiteral("0"));
    const QRect plot = PlotRect();
    for (TAxis* axis : {xAxis_, yAxis_, yAxis2_}) {
        if (!axis->RangeValid()) {
            axis->ClearTickPlan();
            continue;
        }
        axis->PlanTicks(metrics, axis == xAxis_ ? plot.width() - 1 : plot.height() - 1);
    }
}

QMargins TPlotGraph::LabelRoom(TGraphCanvas& c) const {
    const TDimensions& d = *dimensions_;
    const bool labels = appearance_->ShowGraphLabels();
    c.SetFont(appearance_->TitleFont());
    const int titleHeight = c.TextHeight(QStringLiteral("T"));
    c.SetFont(appearance_->LabelFont());
    const int labelHeight = c.TextHeight(QStringLiteral("0"));
    const int tick = d.TickLength();
    QMargins need;
    const auto grow = [](int& side, int v) { side = std::max(side, v); };
    int left = 0, top = 0, right = 0, bottom = 0;

    // A Y axis on the plot's side edge: ticks, its widest label and its title.
    for (const TAxis* axis : {yAxis_, yAxis2_}) {
        if (!axis->RangeValid() || !axis->ShowAxis()) continue;
        const bool atLeft = axis->OffsetType() == TAxis::ao_Minimum && !axis->Reversed();
        const bool atRight = axis->OffsetType() == TAxis::ao_Maximum && axis->Reversed();
        if (!atLeft && !atRight) continue;
        const int widest = labels ? axis->TickPlan().WidestLabel : 0;
        const int room = tick + std::max(d.YAxisLabelOffset(), d.YAxisTitleOffset()) + widest +
                         (axis->Title().isEmpty() ? 0 : titleHeight) + 1;
        grow(atLeft ? left : right, room);
    }
    // The X axis on the bottom edge, and its end labels over the sides.
    const TAxis& x = *xAxis_;
    if (x.RangeValid() && x.ShowAxis()) {
        if (x.OffsetType() == TAxis::ao_Minimum && !x.Reversed()) {
            const int room = tick + std::max(d.XAxisLabelOffset(), d.XAxisTitleOffset()) +
                             (labels ? labelHeight : 0) + (x.Title().isEmpty() ? 0 : titleHeight) +
                             1;
            grow(bottom, room);
        }
        if (labels) {
            const TAxisTransform map = TAxisTransform::Of(x, 0);
            const int plotWidth = PlotRect().width() - 1;
            for (const TTick& t : x.TickPlan().Ticks) {
                if (!t.Labelled) continue;
                const int w = t.Width;
                const int at = map(t.Value);
                grow(left, w / 2 - at + 1);
                grow(right, at + (w - w / 2) - plotWidth + 1);
            }
        }
    }
    // The top label of a Y axis stands half above the plot, and the title
    // above it.
    if (labels) {
        grow(top, labelHeight / 2 + 1);
        if (!appearance_->GraphTitle().isEmpty()) {
            c.SetFont(appearance_->CaptionFont());
            grow(top, d.GraphTitleOffset() + c.TextHeight(appearance_->GraphTitle()));
        }
    }
    // A legend in the top margin pushes the plot and its title down.
    if (legend_->visible()) {
        const QRect box = LegendLayout(*this, c).Box.translated(-xOffset_, -yOffset_);
        if (!box.isEmpty() && box.top() < PlotRect().top() - yOffset_) {
            int below = labels ? labelHeight / 2 + 2 : 2;
            if (labels && !appearance_->GraphTitle().isEmpty()) {
                c.SetFont(appearance_->CaptionFont());
                below = std::max(below, d.GraphTitleOffset() +
                                            c.TextHeight(appearance_->GraphTitle()) + 2);
            }
            grow(top, box.bottom() + 1 + below);
        }
    }
    need = QMargins(left, top, right, bottom);
    return need;
}
void TPlotGraph::RaisePaintEnd(QPainter& p, bool ignoreErrors) {
    if (!OnPaintEnd) return;
    if (!ignoreErrors) {
        OnPaintEnd(this, p);
        return;
    }
    try {
        OnPaintEnd(this, p);
    } catch (...) {
    }
}

const QImage& TPlotGraph::BackBuffer() const {
    static const QImage none;
    return backBuffer_ ? *backBuffer_ : none;
}

void TPlotGraph::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), palette().window());
    if (!printing_ && (!backBuffer_ || backBuffer_->deviceIndependentSize() != QSizeF(size()) ||
                       backBuffer_->devicePixelRatio() != SurfaceRatio())) {
        surfaceWidth_ = width();
        surfaceHeight_ = height();
        DrawGraph();
    }
    if (backBuffer_) p.drawImage(QPointF(0, 0), *backBuffer_);
    PaintRubberBand(p);
}
