// Points appended while data streams in: the one decision whether they can
// be drawn over the present picture, and that draw.
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

} // namespace

// A series' appended points go over the picture only when the picture then
// equals a full redraw of the same data:
// - the series asks for it: PreventFlicker, and its last point inside every
//   auto-sized range of its axes;
// - the screen picture is there, complete, and shows every series as it was,
//   except this one, which only has points appended after the last drawn one;
// - a full draw would fit the axes exactly as they are;
// - this series and every one drawn after it draw nothing that depends on
//   the other points or that PaintRegion cannot draw again (dashes, steps,
//   bars, bound lines, regression curves), and marks with captions, drawn
//   after the series, are not shown;
// - the new points stay clear of the legend.
// The points a full draw would skip on a log axis also make it draw in full.
bool TPlotGraph::AppendableTail(TTail& tail) {
    if (!appearance_->PreventFlicker() || !plotting_ || printing_ || canvas_ || !metricsOK_ ||
        drawn_.size() != series_.size() || !backBuffer_ || canvasPenWidth_ != 1 ||
        surfaceWidth_ != width() || surfaceHeight_ != height() ||
        backBuffer_->deviceIndependentSize() != QSizeF(size()))
        return false;
    TSeries* appended = nullptr;
    for (std::size_t i = 0; i < series_.size(); ++i) {
        const TSeries& s = *series_[i];
        const TDrawnSeries& d = drawn_[i];
        if (d.Number != s.Number()) return false;
        const TDrawnSeries now = Drawn(s);
        if (d.Count == now.Count && d.LastId == now.LastId && d.LastX == now.LastX &&
            d.LastY == now.LastY)
            continue;
        if (appended || d.Count < 1 || s.Count() <= d.Count) return false;
        const TDataPoint& p = s.Points()[d.Count - 1];
        if (p.Id != d.LastId || p.X != d.LastX || p.Y != d.LastY) return false;
        appended = series_[i].get();
    }
    if (!appended) return false;
    TSeries& s = *appended;
    if (!Inside(*xAxis_, s.LastX()) || !Inside(s.YAxisRef(), s.LastY())) return false;
    if (!s.Visible()) {
        tail = {appended, s.Count(), QRect()};
        return true;
    }
    if (s.ExtentsStale()) return false; // the zero moved: every point did
    if (appearance_->ShowMarks() &&
        std::any_of(marks_.begin(), marks_.end(), [](const TMark& m) { return m.WhenDrawn; }))
        return false;
    for (const auto& t : series_) {
        if (t->Number() < s.Number() || !t->Visible() || t->Count() == 0) continue;
        if (!TSeriesPainter::Appendable(*t) || LogError(*xAxis_, *t)) return false;
    }
    double lo = 0, hi = 0;
    if (DataRange(*xAxis_, lo, hi) && !xAxis_->FitKeepsScale(lo, hi)) return false;
    if (DataRange(s.YAxisRef(), lo, hi) && !s.YAxisRef().FitKeepsScale(lo, hi)) return false;

    const int from = drawn_[std::find_if(series_.begin(), series_.end(),
                                         [&](const auto& t) { return t.get() == appended; }) -
                            series_.begin()]
                         .Count;
    const QRect region = TSeriesPainter::TailRegion(*this, s, from);
    if (legendBox_.intersects(region)) return false;
    tail = {appended, from, region};
    return true;
}

void TPlotGraph::DrawTail(const TTail& tail) {
    TSeries& s = *tail.Series;
    {
        TGraphCanvas c(*backBuffer_, this, false);
        c.SetPenWidth(canvasPenWidth_);
        c.SetFontScale(fontFactor_, fontPpi_ > 0 ? fontPpi_ : logicalDpiY());
        TSeriesPainter painter(*this, c);
        painter.PaintTail(s, tail.From);
        // What the full draw paints after the new pieces of line, where they
        // run: this series' symbols, then every later series.
        if (s.ShowLine() && s.ShowPoints()) painter.PaintRegion(s, tail.Region, false);
        for (const auto& t : series_)
            if (t->Number() > s.Number()) painter.PaintRegion(*t, tail.Region, true);
    }
    for (std::size_t i = 0; i < series_.size(); ++i)
        if (series_[i].get() == &s) drawn_[i] = Drawn(s);
}
