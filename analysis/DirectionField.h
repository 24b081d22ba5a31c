#pragma once

#include "PlaneModel.h"
#include "PlaneRect.h"

#include <vector>

// One arrow of the direction field.
struct TArrow {
    // The point of the plane the arrow is centred on.
    double n1 = 0;
    double n2 = 0;
    // The arrow from tail to head in pixels, x to the right and y up (towards
    // larger N2; a painter whose y grows downwards negates it). Zero where
    // both rates are 0.
    double dx = 0;
    double dy = 0;
    // The speed on screen, pixels per unit time.
    double speed = 0;
};

// How the rectangle is shown: pixels per unit of N1 and of N2. The arrows
// point where a trajectory goes on the screen, not in model units.
struct TScreenScale {
    double pixelsPerN1 = 1;
    double pixelsPerN2 = 1;
};

// Arrows at the centres of columns × rows cells over the rectangle. The
// length is an affine function of the logarithm of the screen speed: from a
// quarter of `maxLength` for the slowest arrow to `maxLength` for the fastest,
// over at most three decades (slower ones get the shortest length), so that
// both slow and fast regions stay readable. `maxLength` 0 means 0.8 × the
// smaller side of a cell in pixels. Columns and rows are taken between 1 and
// 1000. A point where a rate is not finite gets no arrow; an invalid
// rectangle or scale gives none.
std::vector<TArrow> DirectionField(TPlaneModel& model, const TPlaneRect& rect,
                                   const TScreenScale& scale, int columns = 20, int rows = 20,
                                   double maxLength = 0);
