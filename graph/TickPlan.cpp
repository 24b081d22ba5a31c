#include "TickPlan.h"

#include "Axis.h"
#include "DateSerial.h"
#include "Exception.h"
#include "FloatText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

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

// Rounding left over from stepping through zero; a log axis has no zero.
bool NearZero(const TAxis& axis, double v) {
    return !axis.LogScale() && std::fabs(v) < 0.001 * (axis.Max() - axis.Min());
}

} // namespace

bool NeedsExponentForm(const TAxis& axis, double v) {
    if (axis.ShowAsTime() || NearZero(axis, v)) return false;
    const double magnitude = std::fabs(v);
    return magnitude <= 0.000999 || magnitude >= 9999;
}

QString TickLabelText(const TAxis& axis, double v, int decimals, bool exponent) {
    if (axis.ShowAsTime()) {
        try {
            return QString::fromStdString(FormatDateTime(axis.DateTimeFormat().toStdString(), v));
        } catch (const Exception&) {
            return QString(); // a tick outside the calendar gets no label
        }
    }
    if (exponent && !NearZero(axis, v)) return ExponentText(v);
    return FixedText(v, decimals);
}

QString TickLabelText(const TAxis& axis, double v) {
    return TickLabelText(axis, v, axis.LabelDecimals(), NeedsExponentForm(axis, v));
}

int LabelSpacing(const std::vector<std::pair<int, int>>& extents, int minGap) {
    const int n = static_cast<int>(extents.size());
    for (int k = 1; k < n; ++k) {
        bool clear = true;
        for (int i = k; i < n && clear; i += k) {
            const auto& a = extents[i - k];
            const auto& b = extents[i];
            // The gap between the two intervals, whichever way the axis runs.
            const int gap = std::max(b.first - a.second, a.first - b.second);
            clear = gap >= minGap;
        }
        if (clear) return k;
    }
    return std::max(1, n);
}
