// The painting steps of a draw, and the screen side: the back buffer the
// draws go into and the paint handler that shows it.
#include "Appearance.h"
#include "Axis.h"
#include "AxisPainter.h"
#include "Dimensions.h"
#include "GraphCanvas.h"
#include "GraphMath.h"
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

void TPlotGraph::PaintSeries(TGraphCanvas& c, bool full) {
    // Only the screen keeps a picture to go on drawing over.
    const bool screen = !canvas_;
    TSeriesPainter painter(*this, c);
    // A series handler may delete series: walk by number, not by iterator.
    std::vector<int> numbers;
    for (const auto& s : series_)
        numbers.push_back(s->Number());
    std::vector<TDrawnTail> tails;
    for (int number : numbers) {
        TSeries* s = FindSeries(number);
        if (!s) continue;
        int from = 0;
        if (!full && screen) {
            const auto it = std::find_if(drawnTails_.begin(), drawnTails_.end(),
                                         [&](const TDrawnTail& t) { return t.Series == s; });
            // Only points appended behind what the picture shows are new;
            // anything else draws the whole series again over the picture.
            if (it != drawnTails_.end() && it->Count > 0 && it->Count <= s->Count()) {
                const TDataPoint& p = s->Points()[it->Count - 1];
                if (p.Id == it->LastId && p.X == it->LastX && p.Y == it->LastY) from = it->Count;
            }
        }
        if (!painter.Paint(*s, from) || !screen || s->Count() == 0) continue;
        const TDataPoint& last = s->Points().back();
        tails.push_back({s, s->Count(), last.Id, last.X, last.Y});
    }
    if (screen) drawnTails_ = std::move(tails);
}

void TPlotGraph::PaintOverlay(TGraphCanvas& c, bool overSeries) {
    if (!OverlayPainter || !metricsOK_) return;
    c.SetClip(PlotRect());
    OverlayPainter(c, overSeries);
    c.ClearClip();
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
    if (!printing_ && (!backBuffer_ || backBuffer_->size() != size())) {
        surfaceWidth_ = width();
        surfaceHeight_ = height();
        DrawGraph(true);
    }
    if (backBuffer_) p.drawImage(event->rect(), *backBuffer_, event->rect());
}
