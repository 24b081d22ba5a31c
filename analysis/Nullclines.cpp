#include "Nullclines.h"

#include "RateGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Bisection steps per crossing: places the point to 1E-9 of the cell side.
constexpr int kBisections = 30;
// A root leaves the rate at the last midpoint near 2^-30 of its change along
// the edge; a pole or a jump leaves it large. The bar sits half way (in
// orders of magnitude) so that curvature within a cell never trips it.
constexpr double kRootShare = 1.0 / 32768; // 2^-15

// A point where one rate crosses zero on a grid edge.
struct TCrossing {
    enum TState : unsigned char { kPoint, kRefused };
    double n1 = 0;
    double n2 = 0;
    int node = -1; // the grid node when the crossing is a node of exact 0
    int row = -1;  // the grid row of the edge this holds (-1: none yet)
    TState state = kPoint;
};

// Traces one rate's zero set cell by cell, row by row. Crossings are kept
// per edge while the two cells beside it are traced, so both use the same
// point and the bisection runs once; only two rows of them are held.
class TTracer {
public:
    TTracer(const TRateGrid& grid, int which, std::vector<TSegment>& out, std::vector<int>& cells)
        : g_(grid), which_(which), nc_(grid.Columns()), nr_(grid.Rows()), out_(out), cells_(cells),
          below_(std::size_t(nc_)), above_(std::size_t(nc_)), sides_(std::size_t(nc_ + 1)) {}

    void Run() {
        for (int j = 0; j < nr_; ++j) {
            row_ = j;
            for (int i = 0; i < nc_; ++i)
                Cell(i, j);
            std::swap(below_, above_);
        }
        ZeroEdges();
    }

private:
    double F(int i, int j) const { return g_.At(which_, i, j); }
    unsigned char Flags(int node) const { return g_.Flags(which_, node); }
    bool Zero(int i, int j) const {
        constexpr unsigned char zero = TRateGrid::kNotNegative | TRateGrid::kNotPositive;
        return (Flags(g_.Node(i, j)) & zero) == zero;
    }

    // The edge from node (i, j) to node (i + 1, j), j being the row traced or
    // the one above it.
    const TCrossing& Horizontal(int i, int j) {
        TCrossing& c = (j == row_ ? below_ : above_)[std::size_t(i)];
        if (c.row != j) {
            c = {};
            c.row = j;
            Refine(c, i, j, i + 1, j);
        }
        return c;
    }
    // The edge from node (i, j) to node (i, j + 1) in the row traced.
    const TCrossing& Vertical(int i, int j) {
        TCrossing& c = sides_[std::size_t(i)];
        if (c.row != j) {
            c = {};
            c.row = j;
            Refine(c, i, j, i, j + 1);
        }
        return c;
    }

    // Called only for an edge whose ends lie on the two sides of the cell
    // case split (one >= 0, the other < 0).
    void Refine(TCrossing& c, int i0, int j0, int i1, int j1) {
        const double f0 = F(i0, j0);
        const double f1 = F(i1, j1);
        if (f0 == 0 || f1 == 0) {
            const bool first = f0 == 0;
            c.n1 = g_.N1At(first ? i0 : i1);
            c.n2 = g_.N2At(first ? j0 : j1);
            c.node = first ? g_.Node(i0, j0) : g_.Node(i1, j1);
            c.state = TCrossing::kPoint;
            return;
        }
        const double x0 = g_.N1At(i0), y0 = g_.N2At(j0);
        const double dx = g_.N1At(i1) - x0, dy = g_.N2At(j1) - y0;
        const bool lowSide = f0 >= 0;
        double lo = 0, hi = 1, fm = 0;
        for (int k = 0; k < kBisections; ++k) {
            const double t = 0.5 * (lo + hi);
            fm = SafeRate(g_.Model(), which_, x0 + t * dx, y0 + t * dy);
            if (!std::isfinite(fm)) {
                c.state = TCrossing::kRefused;
                return;
            }
            if (fm == 0) {
                lo = hi = t;
                break;
            }
            ((fm >= 0) == lowSide ? lo : hi) = t;
        }
        if (std::fabs(fm) > kRootShare * std::fabs(f1 - f0)) {
            c.state = TCrossing::kRefused;
            return;
        }
        const double t = 0.5 * (lo + hi);
        c.n1 = x0 + t * dx;
        c.n2 = y0 + t * dy;
        c.state = TCrossing::kPoint;
    }

    void Cell(int i, int j) {
        const int n0 = g_.Node(i, j), n3 = g_.Node(i, j + 1);
        const unsigned char s[4] = {Flags(n0), Flags(n0 + 1), Flags(n3 + 1), Flags(n3)};
        if ((s[0] | s[1] | s[2] | s[3]) & TRateGrid::kFault) return;
        constexpr int up = TRateGrid::kNotNegative;
        const int code = (s[0] & up) | (s[1] & up) << 1 | (s[2] & up) << 2 | (s[3] & up) << 3;
        if (code == 0 || code == 15) return;
        const double f[4] = {F(i, j), F(i + 1, j), F(i + 1, j + 1), F(i, j + 1)};

        // Edges in order round the cell: bottom (corners 0-1), right (1-2),
        // top (3-2), left (0-3).
        const TCrossing* e[4] = {nullptr, nullptr, nullptr, nullptr};
        const auto crossed = [&](int a, int b) { return ((code >> a) & 1) != ((code >> b) & 1); };
        if (crossed(0, 1)) e[0] = &Horizontal(i, j);
        if (crossed(1, 2)) e[1] = &Vertical(i + 1, j);
        if (crossed(3, 2)) e[2] = &Horizontal(i, j + 1);
        if (crossed(0, 3)) e[3] = &Vertical(i, j);
        for (const TCrossing* c : e)
            if (c && c->state != TCrossing::kPoint) return; // a pole or a jump in this cell

        const int cell = j * nc_ + i;
        if (code == 5 || code == 10) {
            // A saddle cell: the value in the middle tells which opposite
            // corners are joined.
            const double n1 = 0.5 * (g_.N1At(i) + g_.N1At(i + 1));
            const double n2 = 0.5 * (g_.N2At(j) + g_.N2At(j + 1));
            double centre = SafeRate(g_.Model(), which_, n1, n2);
            if (!std::isfinite(centre)) centre = 0.25 * (f[0] + f[1] + f[2] + f[3]);
            const bool joined = centre >= 0;
            // Corners 1 and 3 cut off: the segments run round them.
            if ((code == 5) == joined) {
                Emit(*e[0], *e[1], cell, f);
                Emit(*e[2], *e[3], cell, f);
            } else {
                Emit(*e[3], *e[0], cell, f);
                Emit(*e[1], *e[2], cell, f);
            }
            return;
        }
        const TCrossing* ends[2] = {nullptr, nullptr};
        int n = 0;
        for (const TCrossing* c : e)
            if (c) ends[n++] = c;
        if (n == 2) Emit(*ends[0], *ends[1], cell, f);
    }

    void Emit(const TCrossing& a, const TCrossing& b, int cell, const double (&f)[4]) {
        if (a.node >= 0 && b.node >= 0) {
            const int w = nc_ + 1;
            const int di = std::abs(a.node % w - b.node % w),
                      dj = std::abs(a.node / w - b.node / w);
            // Two zero nodes of one edge: ZeroEdges draws that edge once.
            if (di + dj <= 1) return;
            // Two opposite zero nodes: the diagonal is a piece of the zero
            // set when it parts the other two corners or the rate is 0 in the
            // middle too. Otherwise the zero set runs along the edges (N1·N2
            // at the origin), not across the cell.
            const int i = cell % nc_, j = cell / nc_;
            const int node[4] = {g_.Node(i, j), g_.Node(i + 1, j), g_.Node(i + 1, j + 1),
                                 g_.Node(i, j + 1)};
            double other[2];
            int n = 0;
            for (int k = 0; k < 4; ++k)
                if (node[k] != a.node && node[k] != b.node) other[n++] = f[k];
            if (!(other[0] * other[1] < 0)) {
                const double middle =
                    SafeRate(g_.Model(), which_, 0.5 * (a.n1 + b.n1), 0.5 * (a.n2 + b.n2));
                const double size = std::max(std::fabs(other[0]), std::fabs(other[1]));
                if (!(std::fabs(middle) <= kRootShare * size)) return;
            }
            // A saddle cell names the same diagonal twice.
            if (!cells_.empty() && cells_.back() == cell) {
                const TSegment& last = out_.back();
                if ((last.n1a == b.n1 && last.n2a == b.n2 && last.n1b == a.n1 &&
                     last.n2b == a.n2) ||
                    (last.n1a == a.n1 && last.n2a == a.n2 && last.n1b == b.n1 && last.n2b == b.n2))
                    return;
            }
        }
        if (a.n1 == b.n1 && a.n2 == b.n2) return;
        out_.push_back({a.n1, a.n2, b.n1, b.n2});
        cells_.push_back(cell);
    }

    // True when cell (i, j) exists and has a corner that is not exactly 0.
    bool HasNonZeroCorner(int i, int j) const {
        if (i < 0 || j < 0 || i >= nc_ || j >= nr_) return false;
        return F(i, j) != 0 || F(i + 1, j) != 0 || F(i + 1, j + 1) != 0 || F(i, j + 1) != 0;
    }

    void ZeroEdges() {
        for (int j = 0; j <= nr_; ++j)
            for (int i = 0; i < nc_; ++i) {
                if (!Zero(i, j) || !Zero(i + 1, j)) continue;
                if (!HasNonZeroCorner(i, j - 1) && !HasNonZeroCorner(i, j)) continue;
                const double x0 = g_.N1At(i), x1 = g_.N1At(i + 1), y = g_.N2At(j);
                if (SafeRate(g_.Model(), which_, 0.5 * (x0 + x1), y) != 0) continue;
                out_.push_back({x0, y, x1, y});
                cells_.push_back((j < nr_ ? j : j - 1) * nc_ + i);
            }
        for (int j = 0; j < nr_; ++j)
            for (int i = 0; i <= nc_; ++i) {
                if (!Zero(i, j) || !Zero(i, j + 1)) continue;
                if (!HasNonZeroCorner(i - 1, j) && !HasNonZeroCorner(i, j)) continue;
                const double x = g_.N1At(i), y0 = g_.N2At(j), y1 = g_.N2At(j + 1);
                if (SafeRate(g_.Model(), which_, x, 0.5 * (y0 + y1)) != 0) continue;
                out_.push_back({x, y0, x, y1});
                cells_.push_back(j * nc_ + (i < nc_ ? i : i - 1));
            }
    }

    const TRateGrid& g_;
    const int which_;
    const int nc_;
    const int nr_;
    std::vector<TSegment>& out_;
    std::vector<int>& cells_;
    int row_ = 0;
    std::vector<TCrossing> below_; // the horizontal edges under the row traced
    std::vector<TCrossing> above_; // and over it
    std::vector<TCrossing> sides_; // the vertical edges of the row traced
};

} // namespace

TNullclines Nullclines(const TRateGrid& grid) {
    TNullclines result;
    if (!grid.Rect().IsValid()) return result;
    for (int which = 0; which < 2; ++which)
        TTracer(grid, which, result.segments[which], result.cells[which]).Run();
    return result;
}

TNullclines Nullclines(TPlaneModel& model, const TPlaneRect& rect, int columns, int rows) {
    return Nullclines(TRateGrid(model, rect, columns, rows));
}
