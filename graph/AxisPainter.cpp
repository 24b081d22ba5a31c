#include "AxisPainter.h"

#include "Appearance.h"
#include "Axis.h"
#include "DateSerial.h"
#include "Dimensions.h"
#include "Exception.h"
#include "FloatText.h"
#include "GraphCanvas.h"
#include "PlotGraph.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// A walk that stops making progress (a step lost in the magnitude of the
// value) must not hang the drawing.
constexpr int kMaxTicks = 10000;

QString WithSeparator(QString text) {
    const QChar sep = QChar::fromLatin1(DecimalSeparator());
    if (sep != QLatin1Char('.')) text.replace(QLatin1Char('.'), sep);
    return text;
}

// Fixed point with at most 5 significant digits and the given decimals.
QString FixedText(double v, int decimals) {
    if (std::isfinite(v)) v = QString::number(v, 'g', 5).toDouble();
    decimals = std::clamp(decimals, 0, 18);
    QString text = QString::number(v, 'f', decimals);
    // A value that rounds to zero shows no sign.
    bool allZero = true;
    for (QChar ch : text)
        if (ch.isDigit() && ch != QLatin1Char('0')) allZero = false;
    if (allZero && text.startsWith(QLatin1Char('-'))) text.remove(0, 1);
    return WithSeparator(text);
}

// Two significant digits and the shortest signed exponent: 1.2E+4, 5.0E-4.
QString ExponentText(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1E", v);
    QString text = QString::fromLatin1(buffer);
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    if (e < 0) return text;
    QString mantissa = text.left(e);
    QString exponent = text.mid(e + 1);
    const QChar sign = exponent.isEmpty() ? QLatin1Char('+') : exponent.at(0);
    QString digits = exponent.mid(1);
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    return WithSeparator(mantissa) + QLatin1Char('E') + sign + digits;
}

} // namespace

QString TickLabelText(const TAxis& axis, double v) {
    if (axis.ShowAsTime()) {
        try {
            return QString::fromStdString(FormatDateTime(axis.DateTimeFormat().toStdString(), v));
        } catch (const Exception&) {
            return QString(); // a tick outside the calendar gets no label
        }
    }
    const double magnitude = std::fabs(v);
    if (magnitude < 0.001 * (axis.Max() - axis.Min())) return FixedText(v, axis.LabelDecimals());
    if (magnitude <= 0.000999 || magnitude >= 9999) return ExponentText(v);
    return FixedText(v, axis.LabelDecimals());
}

int TAxisPainter::TickPixel(const TAxis& axis, double v) const {
    return graph_.ToPixel(axis, v);
}

int TAxisPainter::LinePosition(const TAxis& axis) const {
    const QRect plot = graph_.PlotRect();
    const bool isX = axis.AxisKind() == TAxis::Kind::X;
    const TAxis& other = isX ? graph_.YAxis() : graph_.XAxis();
    if (!other.RangeValid()) {
        if (isX) return plot.bottom();
        return axis.IsSecondAxis() ? plot.right() : plot.left();
    }
    double at = other.Min();
    switch (axis.OffsetType()) {
    case TAxis::ao_Minimum:
        break;
    case TAxis::ao_Maximum:
        at = other.Max();
        break;
    case TAxis::ao_percentage:
        at = other.Min() + (other.Max() - other.Min()) * axis.Offset() / 100;
        break;
    case TAxis::ao_absolute:
        at = axis.Offset();
        break;
    }
    return TickPixel(other, at);
}

void TAxisPainter::Paint(TAxis& axis) {
    const int line = LinePosition(axis);
    int labelExtent = 0;
    if (!axis.RangeValid()) {
        PaintTitle(axis, line, graph_.Appearance().ErrorCaption(), 0);
        return;
    }
    if (PaintScale(axis, line, labelExtent)) PaintTitle(axis, line, axis.Title(), labelExtent);
}

bool TAxisPainter::PaintScale(TAxis& axis, int line, int& labelExtent) {
    const TAppearance& look = graph_.Appearance();
    const TDimensions& dim = graph_.Dimensions();
    const QRect plot = graph_.PlotRect();
    const bool isX = axis.AxisKind() == TAxis::Kind::X;

    struct TStepGuard {
        TAxis& Axis;
        double Step;
        ~TStepGuard() { Axis.UseDrawingStep(Step); }
    } guard{axis, axis.StepSize()};

    const int pixels = isX ? graph_.SurfaceWidth() - dim.LeftMargin() - dim.RightMargin()
                           : graph_.SurfaceHeight() - dim.TopMargin() - dim.BottomMargin();
    const double span = axis.Max() - axis.Min();
    if (axis.ShowAsTime())
        axis.FitDateTicks(look.MaxSteps(), pixels);
    else if (!axis.LogScale() && (axis.StepSize() == 0 || span / axis.StepSize() > look.MaxSteps()))
        axis.UseDrawingStep(TAxis::GetStep(look.MinSteps(), axis.Min(), axis.Max()));

    const double limit = axis.Max() + 0.001 * (axis.Max() - axis.Min());
    const auto walk = [&](auto&& paintTick) {
        TLogTickState state = axis.LogTickState();
        bool labelled = true;
        double t = axis.FirstTick(state);
        for (int n = 0; t < limit && n < kMaxTicks; ++n) {
            paintTick(t, labelled, n == 0);
            const double next = axis.NextTick(state, labelled, t);
            if (!(next > t)) break;
            t = next;
        }
    };

    const int penWidth = canvas_.PenWidth();
    int gridPen = penWidth;
    if (penWidth > 1) {
        if (look.PrintLineStyle())
            gridPen = 1;
        else if (penWidth > 3)
            gridPen = penWidth / 2 + 1;
    }
    const TAxis& other = isX ? graph_.YAxis() : graph_.XAxis();
    if (axis.Gridlines() && other.RangeValid()) {
        canvas_.SetPen(look.GridColor(), gridPen, look.GridStyle());
        canvas_.SetDashBackground(look.BackgroundColor());
        walk([&](double t, bool, bool first) {
            if (first && t < axis.Min() + 0.01 * axis.StepSize()) return;
            const int p = TickPixel(axis, t);
            if (isX)
                canvas_.Line(p, plot.top(), p, plot.bottom());
            else
                canvas_.Line(plot.left(), p, plot.right(), p);
        });
        canvas_.ClearDashBackground();
    }
    if (!axis.ShowAxis()) return false;

    const int tick = dim.TickLength();
    // Outward: below the X axis and left of a Y axis, the other way reversed.
    const int outward = (isX ? 1 : -1) * (axis.Reversed() ? -1 : 1);
    canvas_.SetPen(look.AxesColor(), penWidth);
    if (look.ShowTicks() && tick > 0) {
        walk([&](double t, bool, bool) {
            const int p = TickPixel(axis, t);
            const int end = line + outward * (tick - 1);
            if (isX)
                canvas_.Line(p, line, p, end);
            else
                canvas_.Line(line, p, end, p);
        });
    }
    if (look.ShowGraphLabels()) {
        canvas_.SetFont(look.LabelFont());
        canvas_.SetClearBrush();
        const int gap = tick + (isX ? dim.XAxisLabelOffset() : dim.YAxisLabelOffset());
        walk([&](double t, bool labelled, bool first) {
            if (!labelled && !first && !(limit - t < axis.StepSize())) return;
            const QString text = TickLabelText(axis, t);
            const int w = canvas_.TextWidth(text);
            const int h = canvas_.TextHeight(text);
            const int p = TickPixel(axis, t);
            if (isX)
                canvas_.TextOut(p - w / 2, axis.Reversed() ? line - gap - h : line + gap, text);
            else
                canvas_.TextOut(axis.Reversed() ? line + gap : line - gap - w, p - h / 2, text);
            labelExtent = isX ? h : w;
        });
    }
    canvas_.SetPen(look.AxesColor(), penWidth);
    const int from = TickPixel(axis, axis.Min());
    const int to = TickPixel(axis, axis.Max());
    if (isX)
        canvas_.Line(from, line, to, line);
    else
        canvas_.Line(line, from, line, to);
    return true;
}

void TAxisPainter::PaintTitle(const TAxis& axis, int line, const QString& title, int labelExtent) {
    const TAppearance& look = graph_.Appearance();
    const TDimensions& dim = graph_.Dimensions();
    const QRect plot = graph_.PlotRect();
    const TColor background = look.MarginColor();
    canvas_.SetFont(look.TitleFont());
    const int w = canvas_.TextWidth(title);
    const int h = canvas_.TextHeight(title);
    const int tick = dim.TickLength();
    if (axis.AxisKind() == TAxis::Kind::X) {
        const int gap = tick + dim.XAxisTitleOffset() + labelExtent;
        const int top = axis.Reversed() ? line - gap - h : line + gap;
        canvas_.TextOut((plot.left() + plot.right()) / 2 - w / 2, top, title, &background);
        return;
    }
    const int gap = tick + dim.YAxisTitleOffset() + labelExtent;
    const int column = std::max(0, axis.Reversed() ? line + gap : line - gap - h);
    canvas_.TextOutTurned(column, (plot.top() + plot.bottom()) / 2 + w / 2, 90, title, &background);
}
