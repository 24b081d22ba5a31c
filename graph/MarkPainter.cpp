#include "MarkPainter.h"

#include "Appearance.h"
#include "Axis.h"
#include "GraphCanvas.h"
#include "GraphMath.h"
#include "Mark.h"
#include "PlotGraph.h"

#include <cmath>
#include <numbers>

using graphmath::Round;

void PaintMark(const TPlotGraph& graph, TGraphCanvas& canvas, const TMark& mark) {
    const TAppearance& look = graph.Appearance();
    const double scale = graph.DrawScale();
    const bool clip = !look.PlotOffGraph();
    if (clip) canvas.SetClip(graph.PlotRect());
    canvas.SetPen(mark.Color, canvas.PenWidth());
    canvas.SetClearBrush();
    TGraphFont font = look.CaptionFont();
    font.Color = mark.Color;
    canvas.SetFont(font);
    const int h = canvas.TextHeight(mark.Caption);
    const int w = canvas.TextWidth(mark.Caption);
    // Turned captions stand off their anchor by the font size and a bit.
    const int away = Round((font.Size + 5) * scale);
    const QRect plot = graph.PlotRect();
    const TAxis& x = graph.XAxis();
    const TAxis& y = graph.YAxis();
    switch (mark.TypeOfMark) {
    case 0: {
        const int col = graph.XToPixel(mark.X1Value);
        const int bottom = graph.YToPixel(y.Min());
        canvas.Line(col, graph.YToPixel(y.Max()), col, bottom);
        canvas.TextOutTurned(col - away, bottom - 3, 90, mark.Caption);
        break;
    }
    case 1: {
        const int row = graph.YToPixel(mark.Y1Value);
        canvas.Line(graph.XToPixel(x.Min()), row, graph.XToPixel(x.Max()), row);
        const int inset = Round(10 * scale);
        const int gap = Round(2 * scale);
        const bool right = mark.MarkPosition >= 2;
        const bool below = mark.MarkPosition % 2 == 1;
        const int tx = right ? plot.right() - inset - w : plot.left() + inset;
        const int ty = below ? row + gap : row - gap - h;
        canvas.TextOut(tx, ty, mark.Caption);
        break;
    }
    case 2: {
        const int half = static_cast<int>(mark.X2Value * scale);
        const int cx = graph.XToPixel(mark.X1Value);
        const int cy = graph.YToPixel(mark.Y1Value);
        canvas.Painter().drawRect(QRect(cx - half, cy - half, 2 * half, 2 * half));
        canvas.TextOut(cx - half, cy + half, mark.Caption);
        break;
    }
    default: {
        int x1 = graph.XToPixel(mark.X1Value), y1 = graph.YToPixel(mark.Y1Value);
        int x2 = graph.XToPixel(mark.X2Value), y2 = graph.YToPixel(mark.Y2Value);
        canvas.Line(x1, y1, x2, y2);
        if (x2 < x1) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const double angle = std::atan2(double(y1 - y2), double(x2 - x1));
        const double degrees = angle * 180 / std::numbers::pi;
        // At right angles to the text, above the line.
        const int ox = Round(-std::sin(angle) * away);
        const int oy = Round(-std::cos(angle) * away);
        canvas.TextOutTurned(x1 + ox, y1 + oy, degrees, mark.Caption);
        break;
    }
    }
    if (clip) canvas.ClearClip();
}
