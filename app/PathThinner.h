#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

// Thins a long path in the plane (a trajectory that winds round a cycle for
// thousands of turns) to what a picture of it needs. The plane is cut into a
// fine grid over the path's extent (kCells cells each way); a point is kept
// when it moves the path into another cell by a move between two cells that
// the path has not made before. A path that retraces itself thus keeps one
// turn. Where the path leaves what it retraced, a new piece begins (from the
// point before), so that no line is drawn across what was left out. The grid
// is made anew when the extent grows past twice the one it was made for, and
// twice as coarse (the kept points thinned again on it) when more than
// kMaxPoints are kept: memory is bounded whatever the path's length.
class TPathThinner {
public:
    using TPoint = std::pair<double, double>;
    using TPiece = std::vector<TPoint>;

    static constexpr double kCells = 2048;
    static constexpr std::size_t kMaxPoints = std::size_t(1) << 19;

    void Add(double x, double y);
    // The kept pieces in the path's order, the last ending with the last
    // point added unless the path ended on what it had drawn already.
    std::vector<TPiece> Pieces() const;

private:
    using TCell = std::pair<std::int64_t, std::int64_t>;
    TCell CellOf(const TPoint& p) const;
    // Goes on from `before` (the previous point, in `lastCell_`) to `p`.
    void Visit(const TPoint& before, const TPoint& p);
    // A piece of its own from `p`, the moves seen so far kept.
    void Begin(const TPoint& p);
    void Regrid(const TPoint& before);
    void Coarsen();

    std::vector<TPiece> pieces_;
    std::size_t kept_ = 0;
    TPoint last_{};
    bool any_ = false;
    bool skipped_ = false;                   // a move since the last kept point was left out
    double lo_[2] = {0, 0}, hi_[2] = {0, 0}; // the extent so far
    double cell_[2] = {0, 0};                // the grid's cell size each way
    double origin_[2] = {0, 0};
    TCell lastCell_{0, 0};
    std::unordered_set<std::uint64_t> moves_;
};
