#include "Equilibria.h"

#include "EquilibriumCurves.h"
#include "Nullclines.h"
#include "RateGrid.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <exception>
#include <numeric>
#include <optional>
#include <unordered_map>
#include <utility>

namespace {

constexpr int kNewtonSteps = 100;
constexpr int kHalvings = 12;
// A Newton step this small against the point ends the iteration.
constexpr double kStepShare = 1e-15;
// A converged point leaves each rate below this share of its typical size.
constexpr double kResidualShare = 1e-10;
constexpr double kMergeShare = 1e-9;
// How far past the rectangle an iteration may wander before it is given up.
constexpr double kWanderShare = 1.0;
// A coordinate this small against the extent is tried at exactly 0.
constexpr double kSnapShare = 1e-12;
// A crossing parameter may miss its segment by this much (shared end points).
constexpr double kCrossingSlack = 1e-9;

// A Jacobian whose smaller singular value is below this share of its larger
// (in units of the box and of the rates' typical sizes) is singular as far as
// the position of its root can tell: Newton's method converges only linearly
// there and stops, at a double root, some sqrt(eps) of the scale away from
// it, on either side.
constexpr double kNearSingular = 1e-6;
// How far (as a share of the scale) such limits scatter round a double
// root, with room: sqrt(eps) is 1.5E-8.
constexpr double kSingularShare = 1e-7;

// The finer lattice over a cell where two roots may hide: this many cells
// each way, this many times deep (1/4^5 of a grid cell), and at most this
// many lattices in one search.
constexpr int kSubCells = 4;
constexpr int kMaxDepth = 5;
constexpr int kRefineBudget = 1000;
// The Jacobians at a cell's corners are taken for one map, one-to-one over
// the cell, when each is this close to their mean (relatively, in the
// cell's units).
constexpr double kOneToOne = 0.5;

struct TPoint {
    double n1 = 0;
    double n2 = 0;
};

// Both rates with their gradients at one point; false on any fault.
struct TSample {
    TRateGradient g[2];

    bool Take(TPlaneModel& model, TPoint p) noexcept {
        try {
            for (int which = 0; which < 2; ++which) {
                g[which] = model.RateGradient(which, p.n1, p.n2);
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

// a·d − b·c with the rounding error of b·c put back (Kahan).
double Determinant(double a, double b, double c, double d) {
    const double w = b * c;
    const double e = std::fma(-b, c, w);
    return std::fma(a, d, -w) + e;
}

double Determinant(const TSample& s) {
    return Determinant(s.g[0].dN1, s.g[0].dN2, s.g[1].dN1, s.g[1].dN2);
}

// The Jacobian in units that make both rates and both coordinates of one
// size: the rates divided by their typical sizes, the coordinates measured in
// the box's width and height.
struct TScaledJacobian {
    double m[2][2];

    TScaledJacobian(const TSample& s, const double (&size)[2], double w, double h) {
        for (int which = 0; which < 2; ++which) {
            const double k = size[which] > 0 ? 1 / size[which] : 1;
            m[which][0] = s.g[which].dN1 * w * k;
            m[which][1] = s.g[which].dN2 * h * k;
        }
    }

    // Its smaller singular value against its larger, or against 1 (a rate
    // changing by its typical size across the box) when that is larger: 0
    // where it is singular, tiny where it is negligible.
    double Conditioning() const {
        const double f =
            m[0][0] * m[0][0] + m[0][1] * m[0][1] + m[1][0] * m[1][0] + m[1][1] * m[1][1];
        const double det = std::fabs(Determinant(m[0][0], m[0][1], m[1][0], m[1][1]));
        if (!(f > 0) || !std::isfinite(f)) return 0;
        const double big = std::sqrt(0.5 * (f + std::sqrt(std::max(0.0, f * f - 4 * det * det))));
        return det / big / std::max(big, 1.0);
    }

    // The direction (of length 1 in these units) it shrinks most: along a
    // curve of equilibria, or across the fold of a double root.
    TPoint NullDirection() const {
        // The eigenvector of MᵀM for its smaller eigenvalue.
        const double p = m[0][0] * m[0][0] + m[1][0] * m[1][0];
        const double q = m[0][0] * m[0][1] + m[1][0] * m[1][1];
        const double r = m[0][1] * m[0][1] + m[1][1] * m[1][1];
        const double mu = 0.5 * (p + r) - std::hypot(0.5 * (p - r), q);
        const TPoint u{q, mu - p}, v{mu - r, q};
        const TPoint d = std::hypot(u.n1, u.n2) >= std::hypot(v.n1, v.n2) ? u : v;
        const double len = std::hypot(d.n1, d.n2);
        if (!(len > 0)) return {1, 0};
        return {d.n1 / len, d.n2 / len};
    }
};

// A point Newton's method settled on, and how.
struct TFound {
    TPoint x;
    TSample s;
    double merit = 0;
    bool fold = false;     // put on the fold of a (numerically) double root
    std::size_t order = 0; // how many were found before it
};

class TSearch {
public:
    explicit TSearch(const TRateGrid& grid)
        : grid_(grid), rect_(grid.Rect()), extent_(rect_.Extent()) {
        for (int which = 0; which < 2; ++which) {
            size_[which] = grid.TypicalSize(which);
            weight_[which] = size_[which] > 0 ? 1 / size_[which] : 1;
        }
    }

    TPlaneModel& Model() const { return grid_.Model(); }

    // Newton's method from `start`, kept when it converges inside the rectangle.
    void From(TPoint start) {
        TPoint x = start;
        TSample s;
        if (!s.Take(Model(), x)) return;
        double merit = Merit(s);
        // Settled: the last step was negligible against the point, or the
        // rates are exactly 0. An iteration that stops otherwise was still
        // on its way to the point it tends to.
        bool settled = merit == 0;
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
                moved = next.Take(Model(), y) && Merit(next) <= merit;
            }
            if (!moved) break; // no nearer point: as converged as the rounding allows
            const bool small = std::fabs(y.n1 - x.n1) <= kStepShare * std::fabs(x.n1) &&
                               std::fabs(y.n2 - x.n2) <= kStepShare * std::fabs(x.n2);
            x = y;
            s = next;
            merit = Merit(s);
            settled = small || merit == 0;
            if (small) break;
        }
        if (!Snap(x, s, merit, settled)) return;
        if (!Converged(s) || Outside(x, kBorderShare)) return;
        found_.push_back({x, s, merit, false, found_.size()});
    }

    // The points found, each once, without those on `curves`: a Jacobian
    // singular within the attainable accuracy makes one degenerate point.
    std::vector<TEquilibrium> Points(const std::vector<TEquilibriumCurve>& curves, double gap) {
        std::vector<TFound> points = found_;
        Merge(points);
        DropCurvePoints(points, curves, gap);
        for (TFound& f : points)
            ToFold(f);
        Merge(points);
        std::erase_if(points, [&](const TFound& f) { return !Smooth(f); });
        std::vector<TEquilibrium> result;
        for (const TFound& f : points) {
            TEquilibrium e;
            e.n1 = f.x.n1 + 0.0; // + 0.0: no negative zero
            e.n2 = f.x.n2 + 0.0;
            e.jacobian = {f.s.g[0].dN1, f.s.g[0].dN2, f.s.g[1].dN1, f.s.g[1].dN2};
            e.stability = Classify(e.jacobian);
            if (f.fold) e.stability.kind = TEquilibriumKind::Degenerate;
            result.push_back(e);
        }
        return result;
    }

private:
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
    // rates at least as well. An iteration still on its way to the axis
    // tends to the point on it: where the rates are not finite there (a
    // 0/0 whose limit is 0 along the way), it found no equilibrium. False
    // then.
    bool Snap(TPoint& x, TSample& s, double& merit, bool settled) const {
        TPoint limit = x;
        for (double TPoint::*c : {&TPoint::n1, &TPoint::n2}) {
            if (x.*c == 0 || std::fabs(x.*c) > kSnapShare * extent_) continue;
            limit.*c = 0;
            TPoint y = x;
            y.*c = 0;
            TSample t;
            if (t.Take(Model(), y) && Merit(t) <= merit) {
                x = y;
                s = t;
                merit = Merit(t);
            }
        }
        if (settled || (limit.n1 == x.n1 && limit.n2 == x.n2)) return true;
        TSample t;
        return t.Take(Model(), limit);
    }

    // Whether the rates follow their Jacobian on each side of the point, on
    // each axis, as far as the point is known (the merging distance): each
    // change within a factor of 4 of the one the Jacobian gives (room for a
    // kink, where the slopes differ), or as small as a converged rate where
    // that is small. False next to a point where the rates are undefined and
    // only tend to 0 (0/0), a pole or a jump. A side where they are not
    // finite (the edge of their domain) tells nothing.
    bool Smooth(const TFound& f) const {
        const double reach = kMergeShare * Scale(f.x, f.x);
        const double d[2][2] = {{f.s.g[0].dN1, f.s.g[0].dN2}, {f.s.g[1].dN1, f.s.g[1].dN2}};
        for (int axis = 0; axis < 2; ++axis)
            for (double side : {reach, -reach}) {
                const TPoint p{f.x.n1 + (axis == 0 ? side : 0), f.x.n2 + (axis == 1 ? side : 0)};
                for (int which = 0; which < 2; ++which) {
                    const double v = SafeRate(Model(), which, p.n1, p.n2);
                    if (!std::isfinite(v)) continue;
                    const double change = v - f.s.g[which].value;
                    const double linear = d[which][axis] * side;
                    const double zero = kResidualShare * size_[which];
                    if (std::fabs(linear) <= zero
                            ? std::fabs(change) > 4 * zero
                            : !(change / linear >= 0.25 && change / linear <= 4))
                        return false;
                }
            }
        return true;
    }

    double Conditioning(const TSample& s) const {
        return TScaledJacobian(s, size_, rect_.Width(), rect_.Height()).Conditioning();
    }

    double Scale(TPoint a, TPoint b) const {
        return std::max(
            {std::fabs(a.n1), std::fabs(a.n2), std::fabs(b.n1), std::fabs(b.n2), extent_});
    }

    // Whether p and q are one equilibrium: by the ordinary rule, or within
    // the scatter of a double root when one of them was put on its fold.
    bool Same(const TFound& p, const TFound& q) const {
        if (SameEquilibrium(p.x.n1, p.x.n2, q.x.n1, q.x.n2, extent_)) return true;
        if (!p.fold && !q.fold) return false;
        const double near = kSingularShare * Scale(p.x, q.x);
        return std::fabs(p.x.n1 - q.x.n1) <= near && std::fabs(p.x.n2 - q.x.n2) <= near;
    }

    // Groups of one equilibrium become one point: one on a fold if any, else
    // the one that fits the rates best.
    void Merge(std::vector<TFound>& points) const {
        std::sort(points.begin(), points.end(),
                  [](const TFound& p, const TFound& q) { return p.x.n1 < q.x.n1; });
        std::vector<std::size_t> root(points.size());
        std::iota(root.begin(), root.end(), std::size_t(0));
        const auto find = [&](std::size_t i) {
            while (root[i] != i)
                i = root[i] = root[root[i]];
            return i;
        };
        for (std::size_t i = 0; i < points.size(); ++i)
            for (std::size_t j = i; j-- > 0;) {
                const double reach =
                    std::max(kMergeShare, kSingularShare) * Scale(points[i].x, points[j].x);
                if (points[i].x.n1 - points[j].x.n1 > reach) break;
                if (Same(points[i], points[j])) root[find(i)] = find(j);
            }
        std::vector<std::optional<std::size_t>> best(points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            std::optional<std::size_t>& b = best[find(i)];
            const auto better = [&](const TFound& p, const TFound& q) {
                if (p.fold != q.fold) return p.fold;
                return p.merit != q.merit ? p.merit < q.merit : p.order < q.order;
            };
            if (!b || better(points[i], points[*b])) b = i;
        }
        std::vector<TFound> kept;
        for (std::size_t i = 0; i < points.size(); ++i)
            if (best[i]) kept.push_back(points[*best[i]]);
        points = std::move(kept);
    }

    // A point with a singular Jacobian on a curve of equilibria (within
    // `gap` of its path) is a point of that curve, not an isolated one.
    void DropCurvePoints(std::vector<TFound>& points, const std::vector<TEquilibriumCurve>& curves,
                         double gap) const {
        if (curves.empty()) return;
        const auto near = [&](TPoint p) {
            for (const TEquilibriumCurve& c : curves)
                for (std::size_t k = 1; k < c.path.size(); ++k) {
                    const TCurvePoint a = c.path[k - 1], b = c.path[k];
                    const double dx = b.n1 - a.n1, dy = b.n2 - a.n2;
                    const double along = dx * dx + dy * dy;
                    const double t =
                        along > 0 ? std::clamp(((p.n1 - a.n1) * dx + (p.n2 - a.n2) * dy) / along,
                                               0.0, 1.0)
                                  : 0.0;
                    if (std::hypot(p.n1 - a.n1 - t * dx, p.n2 - a.n2 - t * dy) <= gap) return true;
                }
            return false;
        };
        std::erase_if(points, [&](const TFound& f) {
            return Conditioning(f.s) <= kNearSingular && near(f.x);
        });
    }

    // Newton's method converges only linearly to a double root and stops,
    // where the rounding of the rates hides the rest, some sqrt(eps) of the
    // scale away on either side, as a saddle on one and a node on the other.
    // Where the Jacobian's determinant changes sign within that scatter, the
    // point goes to where it is 0 (by bisection along the direction the
    // Jacobian shrinks most) when the rates are converged there too: one
    // degenerate equilibrium.
    void ToFold(TFound& f) const {
        const double w = rect_.Width(), h = rect_.Height();
        const TScaledJacobian j(f.s, size_, w, h);
        if (j.Conditioning() > kNearSingular) return;
        const double det = Determinant(f.s);
        if (det == 0) {
            f.fold = true;
            return;
        }
        const TPoint v = j.NullDirection();
        const double stretch =
            std::max({1.0, std::fabs(f.x.n1) / extent_, std::fabs(f.x.n2) / extent_});
        const TPoint step{v.n1 * w * stretch, v.n2 * h * stretch};
        const auto at = [&](double t) {
            return TPoint{f.x.n1 + t * step.n1, f.x.n2 + t * step.n2};
        };
        // The side of the fold away from the point's own.
        double far = 0;
        TSample t;
        for (double side : {kSingularShare, -kSingularShare})
            if (t.Take(Model(), at(side)) && !(Determinant(t) * det > 0)) {
                far = side;
                break;
            }
        if (far == 0) return;
        double near = 0;
        TSample fold = t;
        for (int k = 0; k < 200; ++k) {
            const double mid = 0.5 * (near + far);
            const TPoint m = at(mid), a = at(near), b = at(far);
            if ((m.n1 == a.n1 && m.n2 == a.n2) || (m.n1 == b.n1 && m.n2 == b.n2)) break;
            TSample u;
            if (!u.Take(Model(), m)) return;
            const double dm = Determinant(u);
            if (dm * det > 0) {
                near = mid;
            } else {
                far = mid;
                fold = u;
                if (dm == 0) break;
            }
        }
        const TPoint x = at(far);
        if (!Converged(fold) || Outside(x, kBorderShare)) return;
        f = {x, fold, Merit(fold), true, f.order};
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

constexpr unsigned char kNotNegative = TRateGrid::kNotNegative;
constexpr unsigned char kNotPositive = TRateGrid::kNotPositive;
constexpr unsigned char kFault = TRateGrid::kFault;

unsigned char FlagsOf(double v) {
    if (!std::isfinite(v)) return kFault;
    return (v >= 0 ? kNotNegative : 0) | (v <= 0 ? kNotPositive : 0);
}

// Both signs (0 counting as either) among the flags, none a fault.
bool BothSigns(unsigned char any) {
    return !(any & kFault) && (any & kNotNegative) && (any & kNotPositive);
}

// Rate values of both rates on the nodes of a lattice of cells over a
// rectangle: the search grid itself, or a finer one over one of its cells.
class TLattice {
public:
    // The search grid.
    explicit TLattice(const TRateGrid& grid)
        : grid_(&grid), rect_(grid.Rect()), nc_(grid.Columns()), nr_(grid.Rows()) {}
    // A finer lattice, sampled here.
    TLattice(TPlaneModel& model, const TPlaneRect& rect, int cells)
        : rect_(rect), nc_(cells), nr_(cells) {
        for (int which = 0; which < 2; ++which)
            values_[which].resize(std::size_t(nc_ + 1) * std::size_t(nr_ + 1));
        for (int j = 0; j <= nr_; ++j)
            for (int i = 0; i <= nc_; ++i)
                for (int which = 0; which < 2; ++which)
                    values_[which][std::size_t(Node(i, j))] = SafeRate(model, which, X(i), Y(j));
    }

    int Columns() const { return nc_; }
    int Rows() const { return nr_; }
    int Node(int i, int j) const { return j * (nc_ + 1) + i; }
    double X(int i) const {
        if (grid_) return grid_->N1At(i);
        return i == nc_ ? rect_.n1Max : rect_.n1Min + rect_.Width() * i / nc_;
    }
    double Y(int j) const {
        if (grid_) return grid_->N2At(j);
        return j == nr_ ? rect_.n2Max : rect_.n2Min + rect_.Height() * j / nr_;
    }
    double At(int which, int i, int j) const {
        return grid_ ? grid_->At(which, i, j) : values_[which][std::size_t(Node(i, j))];
    }
    unsigned char Flags(int which, int i, int j) const {
        return grid_ ? grid_->Flags(which, grid_->Node(i, j)) : FlagsOf(At(which, i, j));
    }
    TPlaneRect Cell(int i, int j) const { return {X(i), X(i + 1), Y(j), Y(j + 1)}; }
    TPoint Centre(int i, int j) const { return {0.5 * (X(i) + X(i + 1)), 0.5 * (Y(j) + Y(j + 1))}; }

    // Both signs at the corners of cell (i, j), none a fault.
    bool ChangesSign(int which, int i, int j) const {
        return BothSigns(Flags(which, i, j) | Flags(which, i + 1, j) | Flags(which, i, j + 1) |
                         Flags(which, i + 1, j + 1));
    }

    // The cells near which both rates may vanish and whose Jacobian varies
    // too much across them to be sure of one root at most: where two
    // equilibria may hide in one cell. A rate may vanish near a cell when it
    // changes sign in it or in a cell beside it, or, in a cell where the
    // other rate changes sign, when its smallest value at a corner is no
    // larger than its spread over the corners (a dip of a small closed
    // nullcline between the nodes). `skip` leaves cells out.
    // `pieces`, when given, are the cells each rate's nullcline passes
    // through, to take for its sign changes (a pole changes the sign too).
    template <class Skip>
    std::vector<std::pair<int, int>> Suspects(TPlaneModel& model, Skip skip,
                                              const TNullclines* pieces = nullptr) const {
        const std::size_t cells = std::size_t(nc_) * std::size_t(nr_);
        std::vector<unsigned char> sign[2];
        for (int which = 0; which < 2; ++which) {
            sign[which].assign(cells, 0);
            if (pieces) {
                for (int cell : pieces->cells[std::size_t(which)])
                    sign[which][std::size_t(cell)] = 1;
                continue;
            }
            for (int j = 0; j < nr_; ++j)
                for (int i = 0; i < nc_; ++i)
                    sign[which][Index(i, j)] = ChangesSign(which, i, j);
        }
        const auto nearSign = [&](int which, int i, int j) {
            for (int jj = std::max(0, j - 1); jj <= std::min(nr_ - 1, j + 1); ++jj)
                for (int ii = std::max(0, i - 1); ii <= std::min(nc_ - 1, i + 1); ++ii)
                    if (sign[which][Index(ii, jj)]) return true;
            return false;
        };
        const auto dip = [&](int which, int i, int j) {
            double lo = INFINITY, hi = -INFINITY, least = INFINITY;
            for (int c = 0; c < 4; ++c) {
                const double v = At(which, i + (c & 1), j + (c >> 1));
                if (!std::isfinite(v)) return false;
                lo = std::min(lo, v);
                hi = std::max(hi, v);
                least = std::min(least, std::fabs(v));
            }
            return least <= hi - lo;
        };
        const auto mayVanish = [&](int which, int i, int j) {
            return nearSign(which, i, j) || (sign[1 - which][Index(i, j)] && dip(which, i, j));
        };
        std::vector<std::pair<int, int>> suspects;
        std::unordered_map<int, std::optional<TSample>> gradients;
        const auto gradientAt = [&](int i, int j) -> const std::optional<TSample>& {
            auto [it, fresh] = gradients.try_emplace(Node(i, j));
            if (fresh) {
                TSample s;
                if (s.Take(model, {X(i), Y(j)})) it->second = s;
            }
            return it->second;
        };
        for (int j = 0; j < nr_; ++j)
            for (int i = 0; i < nc_; ++i) {
                if (skip(i, j)) continue;
                if (!mayVanish(0, i, j) || !mayVanish(1, i, j)) continue;
                const TSample* corner[4];
                bool all = true;
                for (int c = 0; c < 4 && all; ++c) {
                    const std::optional<TSample>& s = gradientAt(i + (c & 1), j + (c >> 1));
                    all = s.has_value();
                    if (all) corner[c] = &*s;
                }
                if (all && !OneToOne(corner, X(i + 1) - X(i), Y(j + 1) - Y(j)))
                    suspects.emplace_back(i, j);
            }
        return suspects;
    }

private:
    std::size_t Index(int i, int j) const {
        return std::size_t(j) * std::size_t(nc_) + std::size_t(i);
    }

    // Whether the rates map the cell one-to-one, judged by the Jacobians at
    // its corners: J⁻¹·Jc − I small for each corner's Jc against their mean
    // J (then no two points of the cell have the same rates, and the cell
    // holds one equilibrium at most), in the cell's own units.
    static bool OneToOne(const TSample* const (&corner)[4], double w, double h) {
        double m[4] = {0, 0, 0, 0};
        for (const TSample* s : corner) {
            m[0] += 0.25 * s->g[0].dN1;
            m[1] += 0.25 * s->g[0].dN2;
            m[2] += 0.25 * s->g[1].dN1;
            m[3] += 0.25 * s->g[1].dN2;
        }
        const double det = Determinant(m[0], m[1], m[2], m[3]);
        if (det == 0 || !std::isfinite(det)) return false;
        for (const TSample* s : corner) {
            const double a = s->g[0].dN1, b = s->g[0].dN2, c = s->g[1].dN1, d = s->g[1].dN2;
            // inverse(mean) × corner − I
            const double p = (m[3] * a - m[1] * c) / det - 1;
            const double q = (m[3] * b - m[1] * d) / det;
            const double r = (m[0] * c - m[2] * a) / det;
            const double t = (m[0] * d - m[2] * b) / det - 1;
            // In units of the cell's sides, by rows.
            const double row1 = std::fabs(p) + std::fabs(q) * h / w;
            const double row2 = std::fabs(r) * w / h + std::fabs(t);
            if (!(std::max(row1, row2) <= kOneToOne)) return false;
        }
        return true;
    }

    const TRateGrid* grid_ = nullptr;
    TPlaneRect rect_;
    int nc_;
    int nr_;
    std::vector<double> values_[2];
};

// Newton starts in the thin strips just outside the rectangle's edges (and
// its corners), where an equilibrium on an edge lies when its coordinates
// round to a hair outside: both rates change sign between the edge's nodes
// and the strip's outer side.
void SearchBorder(const TRateGrid& grid, TSearch& search) {
    const TPlaneRect& r = grid.Rect();
    TPlaneModel& model = grid.Model();
    const double g = kBorderShare * r.Extent();
    const int nc = grid.Columns(), nr = grid.Rows();
    // Flags of both rates at a point outside, packed as rate 0 | rate 1 << 4.
    const auto outside = [&](double n1, double n2) {
        return (unsigned char)(FlagsOf(SafeRate(model, 0, n1, n2)) |
                               FlagsOf(SafeRate(model, 1, n1, n2)) << 4);
    };
    const auto inside = [&](int i, int j) {
        const int node = grid.Node(i, j);
        return (unsigned char)(grid.Flags(0, node) | grid.Flags(1, node) << 4);
    };
    const auto both = [](unsigned char any) { return BothSigns(any & 15) && BothSigns(any >> 4); };

    // Each edge from its first node, a step along it, and the step out.
    struct TEdge {
        int i, j, di, dj, count;
        double out1, out2;
    };
    const TEdge edges[4] = {{nc, 0, 0, 1, nr, g, 0},
                            {0, 0, 0, 1, nr, -g, 0},
                            {0, nr, 1, 0, nc, 0, g},
                            {0, 0, 1, 0, nc, 0, -g}};
    for (const TEdge& e : edges) {
        unsigned char last = 0;
        TPoint lastAt;
        for (int k = 0; k <= e.count; ++k) {
            const int i = e.i + k * e.di, j = e.j + k * e.dj;
            const TPoint at{grid.N1At(i), grid.N2At(j)};
            const unsigned char here = inside(i, j) | outside(at.n1 + e.out1, at.n2 + e.out2);
            if (k > 0 && both(here | last))
                search.From({0.5 * (at.n1 + lastAt.n1), 0.5 * (at.n2 + lastAt.n2)});
            last = here;
            lastAt = at;
        }
    }
    // The corners: the node, the two strips' ends and the point diagonally out.
    for (int ci = 0; ci < 2; ++ci)
        for (int cj = 0; cj < 2; ++cj) {
            const int i = ci ? nc : 0, j = cj ? nr : 0;
            const double x = grid.N1At(i), y = grid.N2At(j);
            const double ox = ci ? x + g : x - g, oy = cj ? y + g : y - g;
            if (both(inside(i, j) | outside(ox, y) | outside(x, oy) | outside(ox, oy)))
                search.From({x, y});
        }
}

// Finer lattices over the cells where two equilibria may hide, cell by cell
// as long as they may, breadth first within the budget; Newton starts from
// each small cell where both rates change sign, and from the suspect cells of
// the finest lattices.
void SearchClose(const TRateGrid& grid, const TNullclines& nullclines, TSearch& search,
                 const std::vector<bool>& curveCells) {
    TPlaneModel& model = grid.Model();
    const TLattice top(grid);
    const int nc = grid.Columns(), nr = grid.Rows();
    // Beside a curve of equilibria the Jacobian is nearly singular too: no
    // lattice there (the curve would fill every one).
    const auto onCurve = [&](int i, int j) {
        for (int jj = std::max(0, j - 1); jj <= std::min(nr - 1, j + 1); ++jj)
            for (int ii = std::max(0, i - 1); ii <= std::min(nc - 1, i + 1); ++ii)
                if (curveCells[std::size_t(jj) * std::size_t(nc) + std::size_t(ii)]) return true;
        return false;
    };
    std::deque<std::pair<TPlaneRect, int>> queue;
    for (auto [i, j] : top.Suspects(model, onCurve, &nullclines))
        queue.emplace_back(top.Cell(i, j), 1);
    int budget = kRefineBudget;
    while (!queue.empty() && budget-- > 0) {
        const auto [rect, depth] = queue.front();
        queue.pop_front();
        const TLattice fine(model, rect, kSubCells);
        for (int j = 0; j < kSubCells; ++j)
            for (int i = 0; i < kSubCells; ++i)
                if (fine.ChangesSign(0, i, j) && fine.ChangesSign(1, i, j))
                    search.From(fine.Centre(i, j));
        for (auto [i, j] : fine.Suspects(model, [](int, int) { return false; })) {
            if (depth < kMaxDepth)
                queue.emplace_back(fine.Cell(i, j), depth + 1);
            else if (!(fine.ChangesSign(0, i, j) && fine.ChangesSign(1, i, j)))
                search.From(fine.Centre(i, j));
        }
    }
}

// The crossings of the two rates' pieces found in the same cell, and the
// cells where both rates change sign but no pieces cross (a tangency, or
// pieces left out next to a fault), but for those along a curve of
// equilibria.
void SearchCells(const TRateGrid& grid, const TNullclines& nullclines, TSearch& search,
                 const std::vector<bool>& curveCells) {
    const int nc = grid.Columns(), nr = grid.Rows();
    std::vector<bool> crossed(std::size_t(nc) * std::size_t(nr), false);
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
    const TLattice top(grid);
    for (int j = 0; j < nr; ++j)
        for (int i = 0; i < nc; ++i) {
            const std::size_t cell = std::size_t(j) * std::size_t(nc) + std::size_t(i);
            if (crossed[cell] || curveCells[cell]) continue;
            if (top.ChangesSign(0, i, j) && top.ChangesSign(1, i, j)) search.From(top.Centre(i, j));
        }
}

} // namespace

TEquilibria FindEquilibria(const TRateGrid& grid, const TNullclines& nullclines) {
    TEquilibria result;
    result.box = grid.Rect();
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
    const bool zero[2] = {grid.AllZero(0), grid.AllZero(1)};
    if (zero[0] && zero[1]) {
        TEquilibriumCurve all;
        all.cause = TCurveCause::Everywhere;
        all.extent = grid.Rect();
        result.curves.push_back(all);
        return result;
    }
    if (zero[0] || zero[1]) {
        // Every point where the other rate vanishes is an equilibrium.
        const int other = zero[0] ? 1 : 0;
        result.curves = ChainCurves(nullclines.segments[std::size_t(other)],
                                    zero[0] ? TCurveCause::Rate1Zero : TCurveCause::Rate2Zero,
                                    grid.Rect(), CurveGap(grid));
        return result;
    }

    std::vector<bool> curveCells;
    result.curves = ChainCurves(SharedPieces(grid, nullclines, curveCells), TCurveCause::BothVanish,
                                grid.Rect(), CurveGap(grid));

    TSearch search(grid);
    SearchCells(grid, nullclines, search, curveCells);
    SearchBorder(grid, search);
    SearchClose(grid, nullclines, search, curveCells);
    result.points = search.Points(result.curves, CurveGap(grid));
    std::sort(result.points.begin(), result.points.end(),
              [](const TEquilibrium& p, const TEquilibrium& q) {
                  return p.n1 != q.n1 ? p.n1 < q.n1 : p.n2 < q.n2;
              });
    return result;
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
    // Two degenerate points within the scatter of a double root are one.
    const auto same = [&](const TEquilibrium& p, const TEquilibrium& q) {
        if (SameEquilibrium(p.n1, p.n2, q.n1, q.n2, extent)) return true;
        if (p.stability.kind != TEquilibriumKind::Degenerate ||
            q.stability.kind != TEquilibriumKind::Degenerate)
            return false;
        const double near = kSingularShare * std::max({std::fabs(p.n1), std::fabs(p.n2),
                                                       std::fabs(q.n1), std::fabs(q.n2), extent});
        return std::fabs(p.n1 - q.n1) <= near && std::fabs(p.n2 - q.n2) <= near;
    };
    for (const TEquilibrium& e : b.points) {
        const bool known = std::any_of(m.points.begin(), m.points.end(),
                                       [&](const auto& p) { return same(p, e); });
        if (!known) m.points.push_back(e);
    }
    std::sort(m.points.begin(), m.points.end(), [](const TEquilibrium& p, const TEquilibrium& q) {
        return p.n1 != q.n1 ? p.n1 < q.n1 : p.n2 < q.n2;
    });
    m.curves = MergeCurves(a.curves, b.curves);
    m.box = Spanning(a.box, b.box);
    return m;
}
