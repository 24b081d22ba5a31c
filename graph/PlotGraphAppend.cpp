// Points appended while data streams in: the one decision whether they can
// be drawn over the present picture, and that draw.
//
// A full draw paints layer over layer: the frame, then per series its line
// and its symbols, then the legend. New points of one series belong in the
// middle of that order. They are painted alone, off the picture, and put onto
// it only where no later layer lies on top; the cover map tells which layer
// does at each pixel. So the picture equals a full redraw without drawing
// anything again, whatever lies over the new points.
#include "Appearance.h"
#include "Axis.h"
#include "GraphCanvas.h"
#include "Mark.h"
#include "PlotGraph.h"
#include "Series.h"
#include "SeriesPainter.h"

#include <QImage>

#include <algorithm>

namespace {

// The new point lies where the axis' automatic sizing leaves it be.
bool Inside(const TAxis& axis, double v) {
    return !axis.AutoSizing() || (axis.Min() <= v && v <= axis.Max());
}

bool LogError(const TAxis& x, const TSeries& s) {
    return (x.LogScale() && s.XMin() <= 0) || (s.YAxisRef().LogScale() && s.YMin() <= 0);
}

// The layers of the series at this place in the list: its line, its symbols.
QRgb LineLayer(std::size_t index) {
    return static_cast<QRgb>(2 * index + 1);
}
QRgb SymbolLayer(std::size_t index) {
    return static_cast<QRgb>(2 * index + 2);
}

} // namespace

// A series' appended points go over the picture only when the picture then
// equals a full redraw of the same data:
// - the series asks for it: PreventFlicker, and its last point inside every
//   auto-sized range of its axes;
// - the screen picture is there, complete, and shows every series as it was,
//   except this one, which only has points appended after the last drawn one;
// - a full draw would fit the axes exactly as they are;
// - the series draws nothing that depends on its other points (dashes run
//   on from point to point, steps run to the X Max, bound lines and
//   regression curves span all points) nor a zero that moved;
// - every later series draws only what the cover map can hold, and no marks
//   with smoothed captions are drawn over the series.
// Points a full draw would skip on a log axis make it draw in full, too.
bool TPlotGraph::AppendableTail(TTail& tail) {
    if (!appearance_->PreventFlicker() || !plotting_ || printing_ || canvas_ || !metricsOK_ ||
        drawn_.size() != series_.size() || !backBuffer_ || canvasPenWidth_ != 1 ||
        surfaceWidth_ != width() || surfaceHeight_ != height() ||
        backBuffer_->deviceIndependentSize() != QSizeF(size()))
        return false;
    std::size_t appended = series_.size();
    for (std::size_t i = 0; i < series_.size(); ++i) {
        const TSeries& s = *series_[i];
        const TDrawnSeries& d = drawn_[i];
        if (d.Number != s.Number()) return false;
        const TDrawnSeries now = Drawn(s);
        if (d.Count == now.Count && d.LastId == now.LastId && d.LastX == now.LastX &&
            d.LastY == now.LastY)
            continue;
        if (appended < series_.size() || d.Count < 1 || s.Count() <= d.Count) return false;
        const TDataPoint& p = s.Points()[d.Count - 1];
        if (p.Id != d.LastId || p.X != d.LastX || p.Y != d.LastY) return false;
        appended = i;
    }
    if (appended == series_.size()) return false;
    TSeries& s = *series_[appended];
    if (!Inside(*xAxis_, s.LastX()) || !Inside(s.YAxisRef(), s.LastY())) return false;
    tail = {&s, drawn_[appended].Count, QRect()};
    if (!s.Visible()) return true;
    if (s.ExtentsStale() || !TSeriesPainter::Appendable(*this, s) || LogError(*xAxis_, s))
        return false;
    if (appearance_->ShowMarks() &&
        std::any_of(marks_.begin(), marks_.end(), [](const TMark& m) { return m.WhenDrawn; }))
        return false;
    for (std::size_t i = appended + 1; i < series_.size(); ++i)
        if (!TSeriesPainter::Coverable(*this, *series_[i])) return false;
    double lo = 0, hi = 0;
    if (DataRange(*xAxis_, lo, hi) && !xAxis_->FitKeepsScale(lo, hi)) return false;
    if (DataRange(s.YAxisRef(), lo, hi) && !s.YAxisRef().FitKeepsScale(lo, hi)) return false;
    tail.Region = TSeriesPainter::TailRegion(*this, s, tail.From);
    return true;
}

void TPlotGraph::PaintCoverMap() {
    coverMap_ = std::make_unique<QImage>(backBuffer_->size(), QImage::Format_RGB32);
    coverMap_->setDevicePixelRatio(backBuffer_->devicePixelRatio());
    coverMap_->fill(kFrameLayer);
    TGraphCanvas c(*coverMap_, this, false);
    c.SetPenWidth(canvasPenWidth_);
    TSeriesPainter painter(*this, c);
    // As the picture shows them: the points drawn so far.
    for (std::size_t i = 0; i < series_.size(); ++i) {
        const TSeries& s = *series_[i];
        if (LogError(*xAxis_, s)) continue; // not drawn
        painter.PaintCover(s, drawn_[i].Count, QColor::fromRgb(LineLayer(i)),
                           QColor::fromRgb(SymbolLayer(i)));
    }
    // What the overlay draws over the series lies over every appended point.
    c.SetOneColor(QColor::fromRgb(kTopLayer));
    PaintOverlay(c, true);
    c.SetOneColor(std::nullopt);
    if (!legendBox_.isEmpty()) c.Painter().fillRect(legendBox_, QColor::fromRgb(kTopLayer));
}

void TPlotGraph::Compose(const QImage& layer, QPoint at, QRgb number) {
    const QRect within = QRect(at, layer.size()) & backBuffer_->rect();
    for (int y = within.top(); y <= within.bottom(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(layer.constScanLine(y - at.y()));
        auto* to = reinterpret_cast<QRgb*>(backBuffer_->scanLine(y));
        auto* cover = reinterpret_cast<QRgb*>(coverMap_->scanLine(y));
        for (int x = within.left(); x <= within.right(); ++x) {
            const QRgb p = from[x - at.x()];
            if (qAlpha(p) == 0 || (cover[x] & kTopLayer) > number) continue;
            to[x] = p | 0xFF000000u;
            cover[x] = number;
        }
    }
}

void TPlotGraph::DrawTail(const TTail& tail) {
    TSeries& s = *tail.Series;
    const std::size_t index =
        std::find_if(series_.begin(), series_.end(), [&](const auto& t) { return t.get() == &s; }) -
        series_.begin();
    if (s.Visible() && !tail.Region.isEmpty()) {
        if (!coverMap_) PaintCoverMap();
        // The new line, then the new symbols, each painted alone at the
        // picture's resolution and put under whatever lies later.
        const qreal ratio = backBuffer_->devicePixelRatio();
        const QRect region = tail.Region;
        const QPoint at(qRound(region.left() * ratio), qRound(region.top() * ratio));
        for (bool line : {true, false}) {
            if (!(line ? s.ShowLine() : s.ShowPoints())) continue;
            QImage layer((region.size() * ratio).expandedTo(QSize(1, 1)),
                         QImage::Format_ARGB32_Premultiplied);
            layer.setDevicePixelRatio(ratio);
            layer.fill(Qt::transparent);
            {
                TGraphCanvas c(layer, this, false);
                c.SetPenWidth(canvasPenWidth_);
                c.SetOrigin(region.topLeft());
                TSeriesPainter(*this, c).PaintTail(s, tail.From, line);
            }
            Compose(layer, at, line ? LineLayer(index) : SymbolLayer(index));
        }
    }
    drawn_[index] = Drawn(s);
}
