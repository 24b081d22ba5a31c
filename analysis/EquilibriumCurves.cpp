#include "EquilibriumCurves.h"

#include "FloatText.h"
#include "RateGrid.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

namespace {

// A rate vanishes at an end of the other rate's nullcline piece when it is
// this small against its change across the cell (the end is bisected to
// 2^-30 of the cell's side).
constexpr double kSharedPiece = 1e-6;

} // namespace

std::vector<TSegment> SharedPieces(const TRateGrid& grid, const TNullclines& nullclines,
                                   std::vector<bool>& cells) {
    const TPlaneRect& r = grid.Rect();
    const int nc = grid.Columns(), nr = grid.Rows();
    cells.assign(std::size_t(nc) * std::size_t(nr), false);
    std::vector<bool> has[2];
    for (int which = 0; which < 2; ++which) {
        has[which].assign(cells.size(), false);
        for (int cell : nullclines.cells[std::size_t(which)])
            has[which][std::size_t(cell)] = true;
    }
    // How much a rate changes across a cell: what 0 means there.
    const auto spread = [&](int which, int cell) {
        const int i = cell % nc, j = cell / nc;
        const double v[4] = {grid.At(which, i, j), grid.At(which, i + 1, j),
                             grid.At(which, i, j + 1), grid.At(which, i + 1, j + 1)};
        return *std::max_element(v, v + 4) - *std::min_element(v, v + 4);
    };
    // The grid node or edge a piece's end lies on, as a number; -1 for none.
    const auto edge = [&](TCurvePoint p) -> long long {
        const long long i = std::lround((p.n1 - r.n1Min) / r.Width() * nc);
        const long long j = std::lround((p.n2 - r.n2Min) / r.Height() * nr);
        const bool onX = i >= 0 && i <= nc && grid.N1At(int(i)) == p.n1;
        const bool onY = j >= 0 && j <= nr && grid.N2At(int(j)) == p.n2;
        const auto at = [&](long long ii, long long jj, int kind) {
            return (jj * (nc + 1) + ii) * 3 + kind;
        };
        // The cell's column and row the point lies in, for an edge's index.
        const long long column = std::clamp<long long>(
            (long long)std::floor((p.n1 - r.n1Min) / r.Width() * nc), 0, nc - 1);
        const long long row = std::clamp<long long>(
            (long long)std::floor((p.n2 - r.n2Min) / r.Height() * nr), 0, nr - 1);
        if (onX && onY) return at(i, j, 0);
        if (onY) return at(column, j, 1);
        if (onX) return at(i, row, 2);
        return -1;
    };
    std::unordered_map<long long, TCurvePoint> one;
    const auto snap = [&](TCurvePoint p) {
        const long long e = edge(p);
        return e < 0 ? p : one.try_emplace(e, p).first->second;
    };
    std::vector<TSegment> shared;
    std::set<std::pair<std::pair<double, double>, std::pair<double, double>>> seen;
    for (int which = 0; which < 2; ++which) {
        const int other = 1 - which;
        for (std::size_t k = 0; k < nullclines.cells[std::size_t(which)].size(); ++k) {
            const int cell = nullclines.cells[std::size_t(which)][k];
            if (!has[other][std::size_t(cell)]) continue;
            const TSegment& s = nullclines.segments[std::size_t(which)][k];
            const double zero = kSharedPiece * spread(other, cell);
            if (!(std::fabs(SafeRate(grid.Model(), other, s.n1a, s.n2a)) <= zero &&
                  std::fabs(SafeRate(grid.Model(), other, s.n1b, s.n2b)) <= zero))
                continue;
            TCurvePoint a = snap({s.n1a, s.n2a}), b = snap({s.n1b, s.n2b});
            if (std::pair{a.n1, a.n2} > std::pair{b.n1, b.n2}) std::swap(a, b);
            const auto id = std::pair{std::pair{a.n1, a.n2}, std::pair{b.n1, b.n2}};
            if (!seen.insert(id).second) continue; // both rates' piece of one stretch
            shared.push_back({a.n1, a.n2, b.n1, b.n2});
            cells[std::size_t(cell)] = true;
        }
    }
    return shared;
}

double CurveGap(const TRateGrid& grid) {
    return 2 * std::hypot(grid.Rect().Width() / grid.Columns(), grid.Rect().Height() / grid.Rows());
}

namespace {

using TPath = std::vector<TCurvePoint>;

bool Same(TCurvePoint a, TCurvePoint b) {
    return a.n1 == b.n1 && a.n2 == b.n2;
}

bool OnBorder(TCurvePoint p, const TPlaneRect& box) {
    return p.n1 == box.n1Min || p.n1 == box.n1Max || p.n2 == box.n2Min || p.n2 == box.n2Max;
}

// The pieces chained at shared end points.
std::vector<TPath> Chains(const std::vector<TSegment>& pieces) {
    std::map<std::pair<double, double>, int> ids;
    std::vector<TCurvePoint> nodes;
    std::vector<std::vector<std::size_t>> links; // pieces at each node
    std::vector<std::pair<int, int>> ends;
    const auto id = [&](double n1, double n2) {
        auto [it, fresh] = ids.try_emplace({n1, n2}, int(nodes.size()));
        if (fresh) {
            nodes.push_back({n1, n2});
            links.emplace_back();
        }
        return it->second;
    };
    for (const TSegment& s : pieces) {
        const int a = id(s.n1a, s.n2a), b = id(s.n1b, s.n2b);
        if (a == b) continue;
        links[std::size_t(a)].push_back(ends.size());
        links[std::size_t(b)].push_back(ends.size());
        ends.emplace_back(a, b);
    }
    std::vector<bool> used(ends.size(), false);
    std::vector<TPath> chains;
    // Follows pieces from `from` along `piece` until the chain ends, forks
    // or comes back.
    const auto walk = [&](int from, std::size_t piece) {
        TPath path{nodes[std::size_t(from)]};
        int at = from;
        for (;;) {
            used[piece] = true;
            at = ends[piece].first == at ? ends[piece].second : ends[piece].first;
            path.push_back(nodes[std::size_t(at)]);
            const std::vector<std::size_t>& here = links[std::size_t(at)];
            if (at == from || here.size() != 2) break;
            const auto next =
                std::find_if(here.begin(), here.end(), [&](std::size_t k) { return !used[k]; });
            if (next == here.end()) break;
            piece = *next;
        }
        chains.push_back(std::move(path));
    };
    // Open chains from their ends and forks first, then what is left: loops.
    for (std::size_t n = 0; n < nodes.size(); ++n)
        if (links[n].size() != 2)
            for (std::size_t piece : links[n])
                if (!used[piece]) walk(int(n), piece);
    for (std::size_t piece = 0; piece < ends.size(); ++piece)
        if (!used[piece]) walk(ends[piece].first, piece);
    return chains;
}

// Joins the nearest two loose ends (inside the box, of open chains) closer
// than `gap`, as long as there are such; not among more chains than a model
// of a few curves makes (the work grows with the cube of their number).
void JoinGaps(std::vector<TPath>& chains, const TPlaneRect& box, double gap) {
    constexpr std::size_t kMostChains = 256;
    if (chains.size() > kMostChains) return;
    for (;;) {
        double best = gap;
        // (chain, at its back?) for both ends of the best pair
        std::size_t a = 0, b = 0;
        bool aBack = false, bBack = false, found = false;
        for (std::size_t i = 0; i < chains.size(); ++i) {
            if (Same(chains[i].front(), chains[i].back())) continue;
            for (std::size_t j = i; j < chains.size(); ++j) {
                if (Same(chains[j].front(), chains[j].back())) continue;
                for (bool ib : {false, true})
                    for (bool jb : {false, true}) {
                        if (i == j && ib == jb) continue;
                        const TCurvePoint p = ib ? chains[i].back() : chains[i].front();
                        const TCurvePoint q = jb ? chains[j].back() : chains[j].front();
                        if (OnBorder(p, box) || OnBorder(q, box)) continue;
                        const double d = std::hypot(p.n1 - q.n1, p.n2 - q.n2);
                        if (d < best) {
                            best = d;
                            a = i, b = j, aBack = ib, bBack = jb, found = true;
                        }
                    }
            }
        }
        if (!found) return;
        if (a == b) {
            chains[a].push_back(chains[a].front()); // a loop
            continue;
        }
        // chains[a] ending at the joined end, then chains[b] starting there.
        TPath& first = chains[a];
        TPath second = std::move(chains[b]);
        if (!aBack) std::reverse(first.begin(), first.end());
        if (bBack) std::reverse(second.begin(), second.end());
        first.insert(first.end(), second.begin(), second.end());
        chains.erase(chains.begin() + std::ptrdiff_t(b));
    }
}

} // namespace

std::vector<TEquilibriumCurve> ChainCurves(const std::vector<TSegment>& pieces, TCurveCause cause,
                                           const TPlaneRect& box, double gap) {
    std::vector<TPath> chains = Chains(pieces);
    JoinGaps(chains, box, gap);
    std::vector<TEquilibriumCurve> curves;
    for (TPath& path : chains) {
        TEquilibriumCurve c;
        c.cause = cause;
        c.closed = path.size() > 2 && Same(path.front(), path.back());
        c.extent = {INFINITY, -INFINITY, INFINITY, -INFINITY};
        for (TCurvePoint p : path)
            c.extent = {std::min(c.extent.n1Min, p.n1), std::max(c.extent.n1Max, p.n1),
                        std::min(c.extent.n2Min, p.n2), std::max(c.extent.n2Max, p.n2)};
        c.path = std::move(path);
        curves.push_back(std::move(c));
    }
    return curves;
}

std::vector<TEquilibriumCurve> MergeCurves(const std::vector<TEquilibriumCurve>& a,
                                           const std::vector<TEquilibriumCurve>& b) {
    std::vector<TEquilibriumCurve> all = a;
    all.insert(all.end(), b.begin(), b.end());
    const auto within = [](const TEquilibriumCurve& inner, const TEquilibriumCurve& outer) {
        const TPlaneRect& i = inner.extent;
        const TPlaneRect& o = outer.extent;
        const double tol = 1e-6 * std::max(o.n1Max - o.n1Min, o.n2Max - o.n2Min);
        return inner.cause == outer.cause && i.n1Min >= o.n1Min - tol && i.n1Max <= o.n1Max + tol &&
               i.n2Min >= o.n2Min - tol && i.n2Max <= o.n2Max + tol;
    };
    std::vector<TEquilibriumCurve> kept;
    for (std::size_t k = 0; k < all.size(); ++k) {
        bool inside = false;
        for (std::size_t m = 0; m < all.size() && !inside; ++m)
            // Of two that hold each other, the first stays.
            inside = m != k && within(all[k], all[m]) && (m < k || !within(all[m], all[k]));
        if (!inside) kept.push_back(all[k]);
    }
    return kept;
}

namespace {

std::string Number(double v) {
    return FloatToText(v + 0.0, 6);
}

std::string Where(const TEquilibriumCurve& c) {
    const TPlaneRect& e = c.extent;
    const std::string comma = DecimalSeparator() == ',' ? "; " : ", ";
    const auto range = [](double lo, double hi) {
        return "from " + Number(lo) + " to " + Number(hi);
    };
    if (c.cause == TCurveCause::Everywhere)
        return "the box (N1 " + range(e.n1Min, e.n1Max) + ", N2 " + range(e.n2Min, e.n2Max) + ")";
    if (e.n2Min == e.n2Max)
        return "N2 = " + Number(e.n2Min) + " with N1 " + range(e.n1Min, e.n1Max);
    if (e.n1Min == e.n1Max)
        return "N1 = " + Number(e.n1Min) + " with N2 " + range(e.n2Min, e.n2Max);
    if (c.closed || c.path.size() < 2)
        return "a closed curve within N1 " + range(e.n1Min, e.n1Max) + " and N2 " +
               range(e.n2Min, e.n2Max);
    const TCurvePoint a = c.path.front(), b = c.path.back();
    return "a curve from (" + Number(a.n1) + comma + Number(a.n2) + ") to (" + Number(b.n1) +
           comma + Number(b.n2) + ")";
}

} // namespace

std::string CurveNote(const TEquilibriumCurve& c) {
    std::string why;
    switch (c.cause) {
    case TCurveCause::BothVanish:
        why = "both rates vanish along it";
        break;
    case TCurveCause::Rate1Zero:
        why = "dN1/dt is 0 throughout the box and dN2/dt along it";
        break;
    case TCurveCause::Rate2Zero:
        why = "dN2/dt is 0 throughout the box and dN1/dt along it";
        break;
    case TCurveCause::Everywhere:
        why = "both rates are 0 throughout it";
        break;
    }
    return "Every point of " + Where(c) + " is an equilibrium: " + why;
}
