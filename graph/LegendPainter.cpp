#include "LegendPainter.h"

#include "Appearance.h"
#include "GraphCanvas.h"
#include "GraphMath.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "Series.h"
#include "SeriesPainter.h"

#include <algorithm>

using graphmath::Round;

namespace {

// The space between the sample and the name.
constexpr int kNameGap = 2;

int SymbolRadius(const TSeries& s, double scale) {
    return Round(s.PointSize() * 0.5 * scale);
}

} // namespace

TLegendLayout LegendLayout(const TPlotGraph& graph, TGraphCanvas& canvas) {
    const TLegend& legend = graph.Legend();
    TLegendLayout layout;
    std::vector<const TSeries*> entries;
    for (const auto& s : graph.SeriesList())
        if (s->ShowInLegend() != le_None) entries.push_back(s.get());
    if (entries.empty()) return layout;

    const double scale = graph.DrawScale();
    canvas.SetFont(legend.font());
    const int textHeight = canvas.TextHeight(QStringLiteral("T"));
    layout.SampleWidth = Round(legend.SymbolSpace() * scale);
    // Each entry as wide as the widest, each row as high as its text or its
    // symbol, whichever is more.
    int entryWidth = 0;
    layout.RowHeight = textHeight;
    for (const TSeries* s : entries) {
        entryWidth =
            std::max(entryWidth, layout.SampleWidth + kNameGap + canvas.TextWidth(s->SeriesName()));
        layout.RowHeight = std::max(layout.RowHeight, 2 * SymbolRadius(*s, scale) + 1);
    }
    const int xMargin = Round(legend.XMargin() * scale);
    const int yMargin = Round(legend.YMargin() * scale);
    const int n = static_cast<int>(entries.size());
    const bool across = legend.Layout() == TLegend::lsAcross;
    const int width = across ? xMargin + n * (entryWidth + xMargin) : 2 * xMargin + entryWidth;
    const int height = across ? 2 * yMargin + layout.RowHeight
                              : 2 * yMargin + n * layout.RowHeight + (n - 1) * yMargin;
    const QPoint origin(Round(legend.left() * scale) + graph.XOffset(),
                        Round(legend.top() * scale) + graph.YOffset());
    layout.Box = QRect(origin, QSize(width, height));
    QPoint at = origin + QPoint(xMargin, yMargin);
    for (const TSeries* s : entries) {
        layout.Entries.push_back({s, at});
        if (across)
            at.rx() += entryWidth + xMargin;
        else
            at.ry() += layout.RowHeight + yMargin;
    }
    return layout;
}

QRect PaintLegend(const TPlotGraph& graph, TGraphCanvas& canvas) {
    const TLegend& legend = graph.Legend();
    if (!legend.visible()) return QRect();
    const TLegendLayout layout = LegendLayout(graph, canvas);
    if (layout.Box.isEmpty()) return QRect();

    const double scale = graph.DrawScale();
    canvas.SetFont(legend.font());
    canvas.SetBrush(legend.color());
    canvas.SetPen(legend.borderStyle() == 1 ? clBlack : legend.color(), canvas.PenWidth());
    canvas.Painter().drawRect(layout.Box.adjusted(0, 0, -1, -1));

    const int w = layout.SampleWidth;
    const int h = canvas.TextHeight(QStringLiteral("T"));
    const int pen = graph.Appearance().PrintLineStyle() ? 1 : canvas.PenWidth();
    QPainter& p = canvas.Painter();
    for (const TLegendLayout::TEntry& e : layout.Entries) {
        const TSeries* s = e.Series;
        const int kind = s->ShowInLegend();
        const int ym = e.At.y() + layout.RowHeight / 2;
        const int ex = e.At.x();
        canvas.SetClearBrush();
        canvas.TextOut(ex + w + kNameGap, ym - h / 2, s->SeriesName());
        if ((kind == le_NameLine || kind == le_NameLineSymbol) && s->ShowLine()) {
            canvas.SetPen(s->LineColor(), pen, s->LineStyle());
            canvas.Line(ex, ym, ex + w, ym);
        }
        if ((kind == le_NameSymbol || kind == le_NameLineSymbol) && s->ShowPoints()) {
            const int r = SymbolRadius(*s, scale);
            const int x = ex + w / 2;
            canvas.SetPen(s->PointColor(), pen);
            if (s->FillPoints())
                canvas.SetBrush(s->PointColor());
            else
                canvas.SetClearBrush();
            // Squares, circles, diamonds and crosses only.
            PaintSymbolShape(p, s->PointShape(), x, ym, r);
        }
        canvas.SetBrush(legend.color());
    }
    return layout.Box;
}
