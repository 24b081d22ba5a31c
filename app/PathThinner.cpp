#include "PathThinner.h"

#include <algorithm>
#include <cmath>

namespace {

std::int64_t CellIndex(double v, double origin, double size) {
    if (!(size > 0)) return 0;
    const double c = std::floor((v - origin) / size);
    return std::isfinite(c) ? static_cast<std::int64_t>(std::clamp(c, -1e15, 1e15)) : 0;
}

// A move is its two cells folded into one key; a rare collision only leaves
// out a point whose line is then drawn as a piece of its own.
std::uint64_t Key(std::int64_t a, std::int64_t b) {
    return std::uint64_t(a) * 0x9E3779B97F4A7C15ull ^ (std::uint64_t(b) + 0x632BE59BD9B4E019ull);
}

} // namespace

TPathThinner::TCell TPathThinner::CellOf(const TPoint& p) const {
    return {CellIndex(p.first, origin_[0], cell_[0]), CellIndex(p.second, origin_[1], cell_[1])};
}

void TPathThinner::Regrid(const TPoint& before) {
    for (int axis = 0; axis < 2; ++axis)
        cell_[axis] = std::max(cell_[axis], (hi_[axis] - lo_[axis]) / kCells);
    moves_.clear();
    lastCell_ = CellOf(before);
}

void TPathThinner::Begin(const TPoint& p) {
    pieces_.push_back({p});
    ++kept_;
    lastCell_ = CellOf(p);
    skipped_ = false;
}

void TPathThinner::Visit(const TPoint& before, const TPoint& p) {
    const TCell cell = CellOf(p);
    // Within one cell the line from the last kept point is as good as the
    // points between.
    if (cell == lastCell_) return;
    const std::uint64_t move =
        Key(Key(lastCell_.first, lastCell_.second), Key(cell.first, cell.second));
    lastCell_ = cell;
    if (!moves_.insert(move).second) {
        skipped_ = true;
        return;
    }
    if (skipped_) {
        pieces_.push_back({before});
        ++kept_;
        skipped_ = false;
    }
    pieces_.back().push_back(p);
    ++kept_;
}

// The kept pieces thinned again on a grid twice as coarse.
void TPathThinner::Coarsen() {
    cell_[0] *= 2;
    cell_[1] *= 2;
    const std::vector<TPiece> old = std::move(pieces_);
    pieces_.clear();
    moves_.clear();
    kept_ = 0;
    for (const TPiece& piece : old) {
        Begin(piece.front());
        for (std::size_t k = 1; k < piece.size(); ++k)
            Visit(piece[k - 1], piece[k]);
    }
    lastCell_ = CellOf(last_);
}

void TPathThinner::Add(double x, double y) {
    const TPoint p{x, y};
    if (!any_) {
        any_ = true;
        last_ = p;
        lo_[0] = hi_[0] = origin_[0] = x;
        lo_[1] = hi_[1] = origin_[1] = y;
        Begin(p);
        return;
    }
    const TPoint before = last_;
    last_ = p;
    bool grown = false;
    const double v[2] = {x, y};
    for (int axis = 0; axis < 2; ++axis) {
        lo_[axis] = std::min(lo_[axis], v[axis]);
        hi_[axis] = std::max(hi_[axis], v[axis]);
        grown = grown || hi_[axis] - lo_[axis] > 2 * kCells * cell_[axis];
    }
    if (grown) Regrid(before);
    Visit(before, p);
    if (kept_ > kMaxPoints) Coarsen();
}

std::vector<TPathThinner::TPiece> TPathThinner::Pieces() const {
    std::vector<TPiece> pieces = pieces_;
    if (any_ && !skipped_ && pieces.back().back() != last_) pieces.back().push_back(last_);
    return pieces;
}
