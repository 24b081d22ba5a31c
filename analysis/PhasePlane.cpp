#include "PhasePlane.h"

#include "RateGrid.h"

TPhasePlane AnalysePlane(TPlaneModel& model, const TPlaneRect& rect,
                         const TPhasePlaneOptions& options) {
    TPhasePlane plane;
    const TRateGrid grid(model, rect, options.gridColumns, options.gridRows);
    plane.nullclines = Nullclines(grid);
    if (options.field)
        plane.field = DirectionField(model, rect, options.scale, options.fieldColumns,
                                     options.fieldRows, options.maxArrowLength);
    if (options.equilibria) plane.equilibria = FindEquilibria(grid, plane.nullclines);
    return plane;
}
