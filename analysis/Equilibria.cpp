#include "Equilibria.h"

#include "Nullclines.h"
#include "RateGrid.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace {

constexpr int kNewtonSteps = 100;
constexpr int kHalvings = 12;
// A Newton step this small against the point ends the iteration.
constexpr double kStepShare = 1e-15;
// A converged point leaves each rate below this share of its typical size.
constexpr double kResidualShare = 1e-10;
constexpr double kMergeShare = 1e-9;
// How far past the rectangle an iteration may wander before it is given up,
// and how far past it an equilibrium still counts as in it.
constexpr double kWanderShare = 1.0;
constexpr double kBorderShare = 1e-9;
// A coordinate this small against the extent is tried at exactly 0.
constexpr double kSnapShare = 1e-12;

void SortEquilibria(std::vector<TEquilibrium>& points) {
    std::sort(points.begin(), points.end(), [](const TEquilibrium& p, const TEquilibrium& q) {
        return p.n1 != q.n1 ? p.n1 < q.n1 : p.n2 < q.n2;
    });
}
// A crossing parameter may miss its segment by this much (shared end points).
constexpr double kCrossingSlack = 1e-9;

struct TPoint {
    double n1 = 0;
    double n2 = 0;
};

// Both rates with their gradients at one point; false on any fault.
struct TSample {
    TRateGradient g[2];

    bool Take(TPlaneModel& model, double n1, double n2) noexcept {
        try {
            for (int which = 0; which < 2; ++which) {
                g[which] = model.RateGradient(which, n1, n2);
                if (!std::isfinite(g[which].value) || !std::isfinite(g[which].dN1) ||
                    !std::isfinite(g[which].dN2))
                    return false;
            }
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }
};

class TSearch {
public:
    TSearch(const TRateGrid& grid) : grid_(grid), rect_(grid.Rect()), extent_(rect_.Extent()) {
        for (int which = 0; which < 2; ++which) {
            size_[which] = grid.TypicalSize(which);
            weight_[which] = size_[which] > 0 ? 1 / size_[which] : 1;
        }
    }

    // Newton's method from `start`, kept when it converges inside the rectangle.
    void From(TPoint start) {
        if (Crowded()) return;
        TPoint x = start;
        TSample s;
        if (!s.Take(grid_.Model(), x.n1, x.n2)) return;
        double merit = Merit(s);
        for (int step = 0; step < kNewtonSteps && merit > 0; ++step) {
            const double a = s.g[0].dN1, b = s.g[0].dN2, c = s.g[1].dN1, d = s.g[1].dN2;
            const double det = a * d - b * c;
            if (det == 0 || !std::isfinite(det)) break;
            const double r1 = s.g[0].value, r2 = s.g[1].value;
            const double dx = (d * r1 - b * r2) / det, dy = (a * r2 - c * r1) / det;
            if (!std::isfinite(dx) || !std::isfinite(dy)) break;

            // Halve the step until the rates shrink, so that a start on a
            // steep flank does not fly off.
            double share = 1;
            bool moved = false;
            TSample next;
            TPoint y;
            for (int h = 0; h < kHalvings && !moved; ++h, share *= 0.5) {
                y = {x.n1 - share * dx, x.n2 - share * dy};
                if (Outside(y, kWanderShare)) continue;
                moved = next.Take(grid_.Model(), y.n1, y.n2) && Merit(next) <= merit;
            }
            if (!moved) break; // no nearer point: as converged as the rounding allows
            const bool small = std::fabs(y.n1 - x.n1) <= kStepShare * std::fabs(x.n1) &&
                               std::fabs(y.n2 - x.n2) <= kStepShare * std::fabs(x.n2);
            x = y;
            s = next;
            merit = Merit(s);
            if (small) break;
        }
        Snap(x, s, merit);
        if (!Converged(s) || Outside(x, kBorderShare)) return;
        Keep(x, s, merit);
    }

    // More equilibria than isolated ones could be: a curve of them.
    bool Crowded() const { return found_.size() > kMaxEquilibria; }

    TEquilibria Result() {
        TEquilibria result;
        if (Crowded()) {
            result.error = kNotIsolated;
            return result;
        }
        for (const TFound& f : found_) {
            TEquilibrium e;
            e.n1 = f.x.n1 + 0.0; // + 0.0: no negative zero
            e.n2 = f.x.n2 + 0.0;
            e.jacobian = {f.s.g[0].dN1, f.s.g[0].dN2, f.s.g[1].dN1, f.s.g[1].dN2};
            e.stability = Classify(e.jacobian);
            result.points.push_back(e);
        }
        SortEquilibria(result.points);
        return result;
    }

private:
    struct TFound {
        TPoint x;
        TSample s;
        double merit;
    };

    double Merit(const TSample& s) const {
        return std::max(std::fabs(s.g[0].value) * weight_[0], std::fabs(s.g[1].value) * weight_[1]);
    }

    bool Converged(const TSample& s) const {
        for (int which = 0; which < 2; ++which)
            if (std::fabs(s.g[which].value) > kResidualShare * size_[which]) return false;
        return true;
    }

    bool Outside(TPoint p, double share) const {
        const double slack = share * extent_;
        return !(p.n1 >= rect_.n1Min - slack && p.n1 <= rect_.n1Max + slack &&
                 p.n2 >= rect_.n2Min - slack && p.n2 <= rect_.n2Max + slack);
    }

    // An equilibrium on an axis is found at a few units of the last place
    // off it (or at a denormal); it is put on the axis when that fits the
    // rates at least as well.
    void Snap(TPoint& x, TSample& s, double& merit) const {
        for (double TPoint::*c : {&TPoint::n1, &TPoint::n2}) {
            if (x.*c == 0 || std::fabs(x.*c) > kSnapShare * extent_) continue;
            TPoint y = x;
            y.*c = 0;
            TSample t;
            if (t.Take(grid_.Model(), y.n1, y.n2) && Merit(t) <= merit) {
                x = y;
                s = t;
                merit = Merit(t);
            }
        }
    }

    void Keep(TPoint x, const TSample& s, double merit) {
        for (TFound& f : found_) {
            if (SameEquilibrium(x.n1, x.n2, f.x.n1, f.x.n2, extent_)) {
                if (merit < f.merit) f = {x, s, merit};
                return;
            }
        }
        found_.push_back({x, s, merit});
    }

    const TRateGrid& grid_;
    const TPlaneRect rect_;
    const double extent_;
    double size_[2];
    double weight_[2];
    std::vector<TFound> found_;
};

// The point where segments p and q cross, if they do.
bool Crossing(const TSegment& p, const TSegment& q, TPoint& at) {
    const double rx = p.n1b - p.n1a, ry = p.n2b - p.n2a;
    const double sx = q.n1b - q.n1a, sy = q.n2b - q.n2a;
    const double denom = rx * sy - ry * sx;
    if (denom == 0 || !std::isfinite(denom)) return false;
    const double qx = q.n1a - p.n1a, qy = q.n2a - p.n2a;
    const double t = (qx * sy - qy * sx) / denom;
    const double u = (qx * ry - qy * rx) / denom;
    if (t < -kCrossingSlack || t > 1 + kCrossingSlack || u < -kCrossingSlack ||
        u > 1 + kCrossingSlack)
        return false;
    at = {p.n1a + t * rx, p.n2a + t * ry};
    return true;
}

// Both signs (0 counting as either) at the four corners, none a fault.
bool ChangesSign(const TRateGrid& g, int which, int i, int j) {
    const int n0 = g.Node(i, j), n3 = g.Node(i, j + 1);
    const unsigned char any =
        g.Flags(which, n0) | g.Flags(which, n0 + 1) | g.Flags(which, n3) | g.Flags(which, n3 + 1);
    return !(any & TRateGrid::kFault) && (any & TRateGrid::kNotNegative) &&
           (any & TRateGrid::kNotPositive);
}

} // namespace

TEquilibria FindEquilibria(const TRateGrid& grid, const TNullclines& nullclines) {
    TEquilibria result;
    if (!grid.Rect().IsValid()) {
        result.error = kEmptyRange;
        return result;
    }
    if (!grid.Model().HasGradient()) {
        result.error = kNoDerivatives;
        return result;
    }
    if (!grid.AnyFinite(0) || !grid.AnyFinite(1)) {
        result.error = kNowhereFinite;
        return result;
    }
    if (grid.AllZero(0) || grid.AllZero(1)) {
        result.error = kNotIsolated;
        return result;
    }

    TSearch search(grid);
    const int nc = grid.Columns(), nr = grid.Rows();
    std::vector<bool> crossed(std::size_t(nc) * std::size_t(nr), false);

    // Crossings of the pieces of the two rates found in the same cell.
    std::vector<std::pair<int, std::size_t>> second;
    second.reserve(nullclines.cells[1].size());
    for (std::size_t k = 0; k < nullclines.cells[1].size(); ++k)
        second.emplace_back(nullclines.cells[1][k], k);
    std::sort(second.begin(), second.end());
    for (std::size_t k = 0; k < nullclines.cells[0].size(); ++k) {
        const int cell = nullclines.cells[0][k];
        auto it =
            std::lower_bound(second.begin(), second.end(), std::make_pair(cell, std::size_t(0)));
        for (; it != second.end() && it->first == cell; ++it) {
            TPoint at;
            if (!Crossing(nullclines.segments[0][k], nullclines.segments[1][it->second], at))
                continue;
            crossed[std::size_t(cell)] = true;
            search.From(at);
        }
    }

    // Cells where both rates change sign but no pieces cross: a tangency, or
    // pieces left out next to a fault.
    for (int j = 0; j < nr; ++j)
        for (int i = 0; i < nc; ++i) {
            if (crossed[std::size_t(j) * std::size_t(nc) + std::size_t(i)]) continue;
            if (!ChangesSign(grid, 0, i, j) || !ChangesSign(grid, 1, i, j)) continue;
            search.From(
                {0.5 * (grid.N1At(i) + grid.N1At(i + 1)), 0.5 * (grid.N2At(j) + grid.N2At(j + 1))});
        }
    return search.Result();
}

TEquilibria FindEquilibria(TPlaneModel& model, const TPlaneRect& rect, int columns, int rows) {
    const TRateGrid grid(model, rect, columns, rows);
    return FindEquilibria(grid, Nullclines(grid));
}

bool SameEquilibrium(double n1a, double n2a, double n1b, double n2b, double extent) {
    const double scale =
        std::max({std::fabs(n1a), std::fabs(n2a), std::fabs(n1b), std::fabs(n2b), extent});
    return std::fabs(n1a - n1b) < kMergeShare * scale && std::fabs(n2a - n2b) < kMergeShare * scale;
}

TEquilibria MergeEquilibria(const TEquilibria& a, const TEquilibria& b, double extent) {
    TEquilibria m;
    m.error = !a.error.empty() ? a.error : b.error;
    m.points = a.points;
    for (const TEquilibrium& e : b.points) {
        const bool known = std::any_of(m.points.begin(), m.points.end(), [&](const auto& p) {
            return SameEquilibrium(p.n1, p.n2, e.n1, e.n2, extent);
        });
        if (!known) m.points.push_back(e);
    }
    SortEquilibria(m.points);
    return m;
}
