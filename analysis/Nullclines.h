#pragma once

#include "PlaneModel.h"
#include "PlaneRect.h"

#include <array>
#include <vector>

class TRateGrid;

// A straight piece of a nullcline, from (n1a, n2a) to (n1b, n2b).
struct TSegment {
    double n1a = 0;
    double n2a = 0;
    double n1b = 0;
    double n2b = 0;
};

// The zero sets of both rates as segments: segments[0] where dN1/dt = 0,
// segments[1] where dN2/dt = 0. Pieces are unordered; each piece lies in one
// grid cell, and pieces of neighbouring cells share their end points exactly.
struct TNullclines {
    std::array<std::vector<TSegment>, 2> segments;
    // The grid cell (row-major, j * columns + i) each segment was found in,
    // parallel to `segments`; the equilibrium search pairs the two rates'
    // pieces cell by cell.
    std::array<std::vector<int>, 2> cells;
};

// Marching squares over a grid of columns × rows cells (at least 200 × 200 for
// the view), each crossing refined by bisection along its cell edge.
//
// - A cell with a rate that is not finite at a corner draws nothing for that
//   rate, nor does one whose sign change along an edge does not settle to a
//   zero under bisection: a pole or a jump, not a root. So branches on the two
//   sides of a singularity are never joined.
// - A node value of exactly 0 counts as positive for the cell case and is its
//   own crossing point. A grid edge along which the rate is exactly 0 (both
//   ends and the middle) is drawn once, as its own segment: that is how an
//   axis nullcline such as N1 = 0 of a rate with a factor N1 appears, also on
//   the rectangle's border where no cell lies beyond it. Such an edge between
//   two cells that are zero at every corner is not drawn, so a rate that is
//   identically 0 has no nullcline to show. A piece between two opposite
//   zero nodes of a cell is drawn only when it parts the cell's other two
//   corners or the rate is 0 in its middle too: a line through the nodes,
//   not the corner of N1·N2 = 0 at the origin.
// An invalid rectangle gives no segments.
TNullclines Nullclines(TPlaneModel& model, const TPlaneRect& rect, int columns = 200,
                       int rows = 200);
TNullclines Nullclines(const TRateGrid& grid);
