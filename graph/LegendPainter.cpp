#include "LegendPainter.h"

#include "Appearance.h"
#include "GraphCanvas.h"
#include "GraphMath.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "Series.h"

#include <vector>

using graphmath::Round;

void PaintLegend(const TPlotGraph& graph, TGraphCanvas& canvas) {
    const TLegend& legend = graph.Legend();
    std::vector<const TSeries*> entries;
    for (const auto& s : graph.SeriesList())
        if (s->ShowInLegend() != le_None) entries.push_back(s.get());
    if (!legend.visible() || entries.empty()) return;

    const double scale = graph.DrawScale();
    canvas.SetFont(legend.font());
    canvas.SetBrush(legend.color());
    canvas.SetPen(legend.borderStyle() == 1 ? clBlack : legend.color(), canvas.PenWidth());
    const int width = Round(legend.width() * scale);
    const int height = Round(legend.height() * scale);
    const QRect box(Round(legend.left() * scale) + graph.XOffset(),
                    Round(legend.top() * scale) + graph.YOffset(), width, height);
    canvas.Painter().drawRect(box.adjusted(0, 0, -1, -1));

    int ex = Round((legend.left() + legend.XMargin()) * scale) + graph.XOffset();
    int ey = Round((legend.top() + legend.YMargin()) * scale) + graph.YOffset();
    const int n = static_cast<int>(entries.size());
    const bool across = legend.Layout() == TLegend::lsAcross;
    const int step = across ? (width - Round(2 * legend.XMargin() * scale)) / n
                            : (height - Round(2 * legend.YMargin() * scale)) / n;
    const int w = Round(legend.SymbolSpace() * scale);
    const int h = canvas.TextHeight(QStringLiteral("T"));
    const int pen = graph.Appearance().PrintLineStyle() ? 1 : canvas.PenWidth();
    QPainter& p = canvas.Painter();

    for (const TSeries* s : entries) {
        const int kind = s->ShowInLegend();
        canvas.SetClearBrush();
        canvas.TextOut(ex + w + 2, ey, s->SeriesName());
        const int ym = ey + h / 2;
        if ((kind == le_NameLine || kind == le_NameLineSymbol) && s->ShowLine()) {
            canvas.SetPen(s->LineColor(), pen, s->LineStyle());
            canvas.Line(ex, ym, ex + w, ym);
        }
        if ((kind == le_NameSymbol || kind == le_NameLineSymbol) && s->ShowPoints()) {
            const int r = Round(s->PointSize() * 0.5 * scale);
            const int x = ex + w / 2;
            canvas.SetPen(s->PointColor(), pen);
            if (s->FillPoints())
                canvas.SetBrush(s->PointColor());
            else
                canvas.SetClearBrush();
            switch (s->PointShape()) {
            case sh_Square: {
                const QPoint q[4] = {
                    {x - r, ym - r}, {x + r, ym - r}, {x + r, ym + r}, {x - r, ym + r}};
                p.drawPolygon(q, 4);
                break;
            }
            case sh_Circle:
                p.drawEllipse(QRect(x - r, ym - r, 2 * r, 2 * r));
                break;
            case sh_Diamond: {
                const QPoint q[4] = {{x, ym - r}, {x + r, ym}, {x, ym + r}, {x - r, ym}};
                p.drawPolygon(q, 4);
                break;
            }
            case sh_Cross:
                p.drawLine(x - r, ym, x + r, ym);
                p.drawLine(x, ym - r, x, ym + r);
                break;
            default:
                break;
            }
        }
        canvas.SetBrush(legend.color());
        if (across)
            ex += step;
        else
            ey += step;
    }
}
