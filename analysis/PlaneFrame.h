#pragma once

#include "Equilibria.h"
#include "PlaneModel.h"
#include "PlaneRect.h"

#include <vector>

// Where the nullclines meet the axes N1 = 0 and N2 = 0 inside `box`, found
// by each rate's sign changes along `samples` cells of a line a hair inside
// the box from the axis, refined by bisection. Looked for a hair off it, a
// nullcline that runs along an axis (of a rate with a factor N1 or N2) gives
// none of its own, and the one that meets it is found where a rate is 0 all
// along the axis itself.
std::vector<TCurvePoint> NullclineIntercepts(TPlaneModel& model, const TPlaneRect& box,
                                             int samples = 400);

// The range that frames `points` (at least one) with `margin` of its width
// and height to spare on each side, kept off negative densities when no point
// has any. A range too thin on one axis spans 0 to twice its value there
// (0 to 1 at 0) instead.
TPlaneRect FrameAround(const std::vector<TCurvePoint>& points, double margin = 0.1);
