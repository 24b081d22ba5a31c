#pragma once

#include <QLineF>
#include <QPointF>
#include <QPolygonF>
#include <QString>

#include <array>
#include <vector>

// How an equilibrium of a phase plane is marked, by its stability.
enum class TPlaneMarkerShape {
    FilledDisc,  // stable node or focus
    OpenCircle,  // unstable node or focus
    Cross,       // saddle
    RingWithDot, // centre
    Diamond,     // degenerate: no kind can be told
};

struct TPlaneMarker {
    QPointF at; // (N1, N2)
    TPlaneMarkerShape shape = TPlaneMarkerShape::Diamond;
    QString tip; // shown while the mouse rests on the marker
};

// A limit cycle: a closed line of the plane, solid when nearby orbits wind
// onto it, dashed when they wind away (unstable or semi-stable).
struct TPlaneCycle {
    QPolygonF path; // (N1, N2), the first point repeated last
    bool dashed = false;
    QString tip; // shown while the mouse rests on the line
};

// A separatrix of a saddle, from the saddle outward: a stable manifold (the
// edge between basins, dashed) or an unstable one (solid).
struct TPlaneSeparatrix {
    QPolygonF path; // (N1, N2)
    bool stable = false;
};

// One arrow of a direction field: centred on a point of the plane, with its
// extent in pixels at draw scale 1, x to the right and y towards larger N2.
struct TPlaneArrow {
    QPointF at;
    QPointF extent;
};

// What a phase plane shows besides its trajectories, in plane coordinates
// (pixels only for the arrows' extents): worked out from a model for one
// range by whoever knows the model, painted by the graph on any surface.
struct TPlaneFigure {
    // Where dN1/dt = 0 (index 0) and where dN2/dt = 0 (index 1).
    std::array<std::vector<QPolygonF>, 2> nullclines;
    std::vector<TPlaneArrow> arrows;
    std::vector<TPlaneMarker> markers;
    std::vector<TPlaneCycle> cycles;
    std::vector<TPlaneSeparatrix> separatrices;
    // Orbits sketched through points the user picked, forward and backward.
    std::vector<QPolygonF> sketches;
};

// Joins straight pieces into polylines wherever two share an end point
// exactly, so that a dashed pen runs on along a curve instead of starting its
// pattern afresh on every short piece. Pieces that share no end point stay
// apart: a gap left at a pole stays a gap. Where more than two pieces meet,
// one polyline goes on through the point and the others start there.
std::vector<QPolygonF> ChainSegments(const std::vector<QLineF>& segments);
