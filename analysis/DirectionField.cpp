#include "DirectionField.h"

#include "RateGrid.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kShortestShare = 0.25;
constexpr double kDecades = 3;

} // namespace

std::vector<TArrow> DirectionField(TPlaneModel& model, const TPlaneRect& rect,
                                   const TScreenScale& scale, int columns, int rows,
                                   double maxLength) {
    std::vector<TArrow> arrows;
    if (!rect.IsValid() || !(scale.pixelsPerN1 > 0) || !(scale.pixelsPerN2 > 0) ||
        !std::isfinite(scale.pixelsPerN1) || !std::isfinite(scale.pixelsPerN2))
        return arrows;
    // A field finer than the screen shows nothing more; the bound keeps a wild count harmless.
    columns = std::clamp(columns, 1, 1000);
    rows = std::clamp(rows, 1, 1000);
    const double cellWidth = rect.Width() / columns;
    const double cellHeight = rect.Height() / rows;
    if (!(maxLength > 0) || !std::isfinite(maxLength))
        maxLength = 0.8 * std::min(cellWidth * scale.pixelsPerN1, cellHeight * scale.pixelsPerN2);

    arrows.reserve(std::size_t(columns) * std::size_t(rows));
    double slowest = HUGE_VAL, fastest = 0;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            TArrow a;
            a.n1 = rect.n1Min + cellWidth * (i + 0.5);
            a.n2 = rect.n2Min + cellHeight * (j + 0.5);
            const double r1 = SafeRate(model, 0, a.n1, a.n2);
            const double r2 = SafeRate(model, 1, a.n1, a.n2);
            a.dx = r1 * scale.pixelsPerN1;
            a.dy = r2 * scale.pixelsPerN2;
            a.speed = std::hypot(a.dx, a.dy);
            if (!std::isfinite(a.speed)) continue; // also a rate that overflows on screen
            if (a.speed > 0) {
                slowest = std::min(slowest, a.speed);
                fastest = std::max(fastest, a.speed);
            }
            arrows.push_back(a);
        }

    const double top = std::log(fastest);
    const double bottom = std::max(std::log(slowest), top - kDecades * std::log(10.0));
    for (TArrow& a : arrows) {
        if (a.speed == 0) continue;
        double share = 1;
        if (top > bottom)
            share = std::clamp((std::log(a.speed) - bottom) / (top - bottom), 0.0, 1.0);
        const double length = maxLength * (kShortestShare + (1 - kShortestShare) * share);
        a.dx = a.dx / a.speed * length;
        a.dy = a.dy / a.speed * length;
    }
    return arrows;
}
