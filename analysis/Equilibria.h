#pragma once

#include "PlaneModel.h"
#include "PlaneRect.h"
#include "Stability.h"

#include <string>
#include <vector>

class TRateGrid;
struct TNullclines;

struct TEquilibrium {
    double n1 = 0;
    double n2 = 0;
    TJacobian jacobian; // exact, from the model's gradient
    TStability stability;
};

// Why every point of a curve is an equilibrium.
enum class TCurveCause {
    BothVanish, // both rates are 0 along it (a nullcline the two rates share)
    Rate1Zero,  // dN1/dt is 0 throughout the box: the curve is a nullcline of dN2/dt
    Rate2Zero,  // dN2/dt is 0 throughout the box: the curve is a nullcline of dN1/dt
    Everywhere, // both rates are 0 throughout the box: every point of it (`path` is empty)
};

struct TCurvePoint {
    double n1 = 0;
    double n2 = 0;
};

// A curve of equilibria as far as it runs in the box searched, traced at the
// resolution of the search grid.
struct TEquilibriumCurve {
    TCurveCause cause = TCurveCause::BothVanish;
    // The curve as a line through its points in order; a closed curve ends
    // where it starts. Empty for TCurveCause::Everywhere.
    std::vector<TCurvePoint> path;
    // The smallest rectangle holding it (the box for Everywhere).
    TPlaneRect extent;
    bool closed = false;
};

// The result of a search: the isolated equilibria ordered by N1, then N2,
// each curve of equilibria found, and the box searched. `error` is empty when
// the search ran, whether it found anything or not; otherwise it says why no
// search was possible, and `points` and `curves` are empty.
struct TEquilibria {
    std::vector<TEquilibrium> points;
    std::vector<TEquilibriumCurve> curves;
    TPlaneRect box; // the rectangle searched
    std::string error;
};

// What the program says of a curve of equilibria, one sentence without the
// final full stop, numbers to 6 significant digits. For example "Every point
// of N2 = 0 with N1 from 0 to 10 is an equilibrium: both rates vanish along
// it" or "Every point of a curve from (0, 0.1) to (3.9, 1.4) is an
// equilibrium: both rates vanish along it".
std::string CurveNote(const TEquilibriumCurve& curve);

// Messages of a search that could not run.
// How far past its rectangle (as a share of the rectangle's extent) an
// equilibrium still counts as in it: the rounding of a bound typed from
// printed digits.
inline constexpr double kBorderShare = 1e-9;

inline constexpr const char* kNoDerivatives = "The rates give no derivatives";
inline constexpr const char* kEmptyRange = "The range is empty";
inline constexpr const char* kNowhereFinite = "The rates are not finite anywhere in the range";

// Equilibria in the closed rectangle (and up to 1E-9 of its extent past its
// edges), by Newton's method with the model's exact Jacobian, started from
// - every crossing of the two rates' nullcline pieces in a grid cell
//   (columns × rows), and every cell where both rates change sign (a node
//   value of 0 counts as either sign) without such a crossing;
// - the thin strips just outside the edges, so that an equilibrium that lies
//   on an edge but rounds to a hair outside it is found;
// - a finer lattice over each cell near which both rates may vanish and
//   whose Jacobian varies too much across it for one root only (two close
//   equilibria, a small closed nullcline cut by another), cell by cell down
//   to 1/1024 of a grid cell, within a fixed budget of work.
// Results closer than 1E-9 of the larger of their magnitude and the extent
// are one. A Jacobian singular within the accuracy Newton's method attains
// there (a double root, where nullclines touch) gives one degenerate
// equilibrium, put where the Jacobian's determinant changes sign. Faults at
// single points, starts that do not converge, and points approached where a
// rate is not finite are skipped silently. Where both rates vanish along a
// common nullcline, or one rate is 0 throughout the box, the result names the
// curves of equilibria; isolated equilibria beside them are listed as points.
TEquilibria FindEquilibria(TPlaneModel& model, const TPlaneRect& rect, int columns = 200,
                           int rows = 200);
// The same on a grid already sampled, with its nullclines.
TEquilibria FindEquilibria(const TRateGrid& grid, const TNullclines& nullclines);

// The bounds of a search that grows its box.
struct TGrowthLimits {
    // The box never grows past this many times its starting width and height.
    double maxFactor = 1e6;
    // At most this many searches in all (the starting box's included). The
    // work is bounded by counts, not by time, so that a model's equilibria
    // are the same on any machine.
    int maxSearches = 24;
};

// The equilibria in `start` and those beyond its top and right edges that
// the nullclines point to: where a nullcline of each rate leaves the box
// through the top or right edge and the two lines along them there (their
// tangents) meet outside the box, above and right of its lower bounds, the
// box grows (its width or height doubled as often as needed) to take in that
// meeting point, and the search runs again, until no such meeting point is
// left, or three growths in a row found nothing new, or `limits` stop it.
// The results of all boxes are merged; `box` of the result is the last box
// searched.
TEquilibria FindEquilibriaGrowing(TPlaneModel& model, const TPlaneRect& start,
                                  const TGrowthLimits& limits = {}, int columns = 200,
                                  int rows = 200);

// Whether two points are one equilibrium: closer on both axes than 1E-9 of
// the larger of their magnitudes and the search's extent.
bool SameEquilibrium(double n1a, double n2a, double n1b, double n2b, double extent);

// The equilibria of two searches as one ordered list, each found once (as
// the first search found it; two degenerate ones within the scatter of a
// double root are one), the curves of both (a curve that lies within one of
// the same cause only once); the first error either search gave; `box` the
// smallest rectangle holding both boxes.
TEquilibria MergeEquilibria(const TEquilibria& a, const TEquilibria& b, double extent);
