#pragma once

#include "Equilibria.h"
#include "Nullclines.h"

#include <vector>

class TRateGrid;

// Pieces of one rate's nullcline along which the other rate vanishes too:
// stretches of a nullcline the two rates share, where every point is an
// equilibrium. Each rate's pieces are tried, in cells where both rates have
// pieces (where a third nullcline crosses the shared one, the pieces of the
// rate it belongs to turn off the shared one in that cell, the other rate's
// do not); the ends found on one grid edge are made one point, so that the
// two rates' pieces chain. `cells` is set to mark the pieces' cells.
std::vector<TSegment> SharedPieces(const TRateGrid& grid, const TNullclines& nullclines,
                                   std::vector<bool>& cells);

// Where a nullcline of one rate crosses a curve of equilibria, the cell's
// pieces of the two rates may differ for a few cells and the curve shows a
// gap: ends of curves this close (two cells' diagonals) are joined, and a
// point this close to a curve is on it.
double CurveGap(const TRateGrid& grid);

// Curves of equilibria from nullcline pieces: the pieces chained where they
// share an end point exactly (as pieces of neighbouring cells do), split
// where more than two pieces meet; then ends of chains inside `box` (not on
// its border) closer than `gap` joined, nearest first, so that a curve is
// not cut where it crosses a nullcline of one rate only.
std::vector<TEquilibriumCurve> ChainCurves(const std::vector<TSegment>& pieces, TCurveCause cause,
                                           const TPlaneRect& box, double gap);

// The curves of two searches, leaving out one that lies within another of
// the same cause (the same curve seen in a smaller box).
std::vector<TEquilibriumCurve> MergeCurves(const std::vector<TEquilibriumCurve>& a,
                                           const std::vector<TEquilibriumCurve>& b);
