#pragma once

#include "DirectionField.h"
#include "Equilibria.h"
#include "Nullclines.h"

// What the phase plane shows of a model over a rectangle, worked out in one
// pass: the grid is sampled once for the nullclines and the equilibria.
struct TPhasePlaneOptions {
    int gridColumns = 200;
    int gridRows = 200;
    bool field = true;
    int fieldColumns = 20;
    int fieldRows = 20;
    TScreenScale scale;
    double maxArrowLength = 0; // 0: from the cell size (see DirectionField)
    bool equilibria = true;
};

struct TPhasePlane {
    TNullclines nullclines;
    std::vector<TArrow> field;
    TEquilibria equilibria;
};

TPhasePlane AnalysePlane(TPlaneModel& model, const TPlaneRect& rect,
                         const TPhasePlaneOptions& options = {});
