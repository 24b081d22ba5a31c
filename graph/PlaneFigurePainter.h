#pragma once

#include "Color.h"
#include "PlaneFigure.h"

#include <array>

class TGraphCanvas;
class TPlotGraph;

// How a phase plane's figure looks.
struct TPlaneLook {
    // dN1/dt = 0 in species 1's colour, dN2/dt = 0 in species 2's.
    std::array<TColor, 2> nullclineColors{0x0000FF, 0x008000};
    TColor arrowColor = 0x808080;
    TColor markerColor = 0x000000;
    // The trajectories (and sketched orbits), the limit cycles and the
    // separatrices each in a colour of their own, apart from both species'
    // colours whatever the user picked (SetSpeciesColors).
    TColor trajectoryColor = 0xFF0000;
    TColor cycleColor = 0xC800C8;
    TColor separatrixColor = 0x008CFF;
    bool showField = true;
    bool showCycles = true;
    bool showSeparatrices = false;

    // The species' colours, and the others chosen apart from them and from
    // each other (DistinctColor), in the order trajectory, cycles,
    // separatrices.
    void SetSpeciesColors(TColor species1, TColor species2);
};

// Half the size of an equilibrium marker in pixels at draw scale 1.
inline constexpr int kPlaneMarkerRadius = 5;

// Paints a figure on the surface `graph` is drawing, placed by the graph's
// transforms and sized by its DrawScale: under the series the direction
// field (when shown) and the dashed nullclines, over them the equilibrium
// markers (filled disc stable, open circle unstable, cross saddle, ring with
// a dot centre, open diamond degenerate) of the equilibria in the axes'
// ranges, not cut at the plot's edge; between the series and the markers the
// limit cycles (when shown), 2 pixels wide, solid or dashed, the separatrices
// (when shown), stable dashed and unstable solid, and the sketched orbits.
void PaintPlaneFigure(const TPlotGraph& graph, TGraphCanvas& canvas, const TPlaneFigure& figure,
                      const TPlaneLook& look, bool overSeries);
