// The search that grows its box toward crossings of nullclines that leave it.
#include "Equilibria.h"

#include "Nullclines.h"
#include "RateGrid.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <vector>

namespace {

// A search that found nothing new this many times in a row stops growing.
constexpr int kFruitlessGrowths = 3;
// The box grows to this many times the distance to a crossing it takes in.
constexpr double kGrowthRoom = 1.1;

struct TPoint {
    double n1 = 0;
    double n2 = 0;
};

// Where a nullcline leaves a box through its top or right edge, and the
// direction it leaves in (its tangent there, pointing out).
struct TExit {
    TPoint at;
    TPoint toward;
};

std::vector<TExit> Exits(const TRateGrid& grid, const TNullclines& nullclines, int which) {
    const TPlaneRect& r = grid.Rect();
    std::vector<TPoint> points;
    for (const TSegment& s : nullclines.segments[std::size_t(which)])
        for (TPoint p : {TPoint{s.n1a, s.n2a}, TPoint{s.n1b, s.n2b}})
            if (p.n1 == r.n1Max || p.n2 == r.n2Max) points.push_back(p);
    // Nodes of exactly 0 on those edges: a nullcline that only touches the
    // box at a node has no piece in it.
    constexpr unsigned char zero = TRateGrid::kNotNegative | TRateGrid::kNotPositive;
    for (int j = 0; j <= grid.Rows(); ++j)
        if ((grid.Flags(which, grid.Node(grid.Columns(), j)) & zero) == zero)
            points.push_back({r.n1Max, grid.N2At(j)});
    for (int i = 0; i < grid.Columns(); ++i)
        if ((grid.Flags(which, grid.Node(i, grid.Rows())) & zero) == zero)
            points.push_back({grid.N1At(i), r.n2Max});
    std::sort(points.begin(), points.end(),
              [](TPoint a, TPoint b) { return a.n1 != b.n1 ? a.n1 < b.n1 : a.n2 < b.n2; });
    points.erase(std::unique(points.begin(), points.end(),
                             [](TPoint a, TPoint b) { return a.n1 == b.n1 && a.n2 == b.n2; }),
                 points.end());

    std::vector<TExit> exits;
    for (TPoint p : points) {
        TRateGradient g;
        try {
            g = grid.Model().RateGradient(which, p.n1, p.n2);
        } catch (const std::exception&) {
            continue;
        }
        TPoint t{-g.dN2, g.dN1};
        const double len = std::hypot(t.n1 / r.Width(), t.n2 / r.Height());
        if (!(len > 0) || !std::isfinite(len)) continue;
        t = {t.n1 / len, t.n2 / len};
        // Out through the right edge, the top edge, or either at the corner.
        const auto out = [&](TPoint d) {
            return (p.n1 == r.n1Max && d.n1 / r.Width() > 1e-9) ||
                   (p.n2 == r.n2Max && d.n2 / r.Height() > 1e-9);
        };
        if (!out(t)) t = {-t.n1, -t.n2};
        if (out(t)) exits.push_back({p, t});
    }
    return exits;
}

// The nearest point (relative to the box) past the box's top or right edge,
// above and right of its lower bounds and within `reach`, where the tangents
// of two nullclines of different rates leaving the box meet ahead of both.
std::optional<TPoint> AheadCrossing(const std::vector<TExit>& first,
                                    const std::vector<TExit>& second, const TPlaneRect& box,
                                    const TPlaneRect& reach) {
    std::optional<TPoint> best;
    double bestSize = INFINITY;
    const double slack = kBorderShare * box.Extent();
    for (const TExit& a : first)
        for (const TExit& b : second) {
            const double cross = a.toward.n1 * b.toward.n2 - a.toward.n2 * b.toward.n1;
            if (!(std::fabs(cross) > 1e-9) || !std::isfinite(cross)) continue;
            const double dx = b.at.n1 - a.at.n1, dy = b.at.n2 - a.at.n2;
            const double s = (dx * b.toward.n2 - dy * b.toward.n1) / cross;
            const double u = (dx * a.toward.n2 - dy * a.toward.n1) / cross;
            if (!(s > 0 && u > 0)) continue;
            const TPoint c{a.at.n1 + s * a.toward.n1, a.at.n2 + s * a.toward.n2};
            if (!(c.n1 >= box.n1Min && c.n2 >= box.n2Min)) continue;
            if (!(c.n1 > box.n1Max + slack || c.n2 > box.n2Max + slack)) continue;
            if (!(c.n1 <= reach.n1Max && c.n2 <= reach.n2Max)) continue;
            const double size =
                std::max((c.n1 - box.n1Min) / box.Width(), (c.n2 - box.n2Min) / box.Height());
            if (size < bestSize) {
                bestSize = size;
                best = c;
            }
        }
    return best;
}

// The box grown on each axis that needs it, by doublings of its width or
// height, to hold `c` with room.
TPlaneRect GrownToHold(const TPlaneRect& box, TPoint c) {
    TPlaneRect grown = box;
    const auto grow = [](double lo, double& hi, double want) {
        if (want <= hi) return;
        double size = hi - lo;
        while (lo + size < want)
            size *= 2;
        hi = lo + size;
    };
    grow(box.n1Min, grown.n1Max, box.n1Min + kGrowthRoom * (c.n1 - box.n1Min));
    grow(box.n2Min, grown.n2Max, box.n2Min + kGrowthRoom * (c.n2 - box.n2Min));
    return grown;
}

} // namespace

TEquilibria FindEquilibriaGrowing(TPlaneModel& model, const TPlaneRect& start,
                                  const TGrowthLimits& limits, int columns, int rows) {
    TPlaneRect box = start;
    const TPlaneRect reach{start.n1Min, start.n1Min + limits.maxFactor * start.Width(), start.n2Min,
                           start.n2Min + limits.maxFactor * start.Height()};
    TEquilibria all;
    int fruitless = 0;
    for (int searches = 0;; ++searches) {
        const TRateGrid grid(model, box, columns, rows);
        const TNullclines nullclines = Nullclines(grid);
        TEquilibria found = FindEquilibria(grid, nullclines);
        if (searches == 0) {
            all = found;
            if (!all.error.empty()) return all;
        } else if (!found.error.empty()) {
            break;
        } else {
            const std::size_t points = all.points.size(), curves = all.curves.size();
            all = MergeEquilibria(all, found, box.Extent());
            fruitless =
                all.points.size() == points && all.curves.size() <= curves ? fruitless + 1 : 0;
        }
        all.box = box;
        if (fruitless >= kFruitlessGrowths || searches + 1 >= limits.maxSearches) break;
        const std::optional<TPoint> ahead =
            AheadCrossing(Exits(grid, nullclines, 0), Exits(grid, nullclines, 1), box, reach);
        if (!ahead) break;
        const TPlaneRect grown = GrownToHold(box, *ahead);
        if (!(grown.n1Max <= reach.n1Max && grown.n2Max <= reach.n2Max)) break;
        box = grown;
    }
    return all;
}
