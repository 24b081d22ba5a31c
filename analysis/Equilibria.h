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

// The result of a search: the equilibria ordered by N1, then N2. `error` is
// empty when the search ran, whether it found any or none; otherwise it says
// why no search was possible and `points` is empty.
struct TEquilibria {
    std::vector<TEquilibrium> points;
    std::string error;
};

// Messages of a search that could not run.
inline constexpr const char* kNoDerivatives = "The rates give no derivatives";
inline constexpr const char* kEmptyRange = "The range is empty";
inline constexpr const char* kNowhereFinite = "The rates are not finite anywhere in the range";
inline constexpr const char* kNotIsolated = "The equilibria are not isolated points";

// More than this many equilibria in one range are taken for a curve of them.
inline constexpr std::size_t kMaxEquilibria = 100;

// Equilibria in the closed rectangle, by Newton's method with the model's
// exact Jacobian, started from every grid cell (columns × rows) where both
// rates change sign (a node value of 0 counts as either sign) and from every
// crossing of the two rates' nullcline pieces. Results closer than 1E-9 of
// the larger of their magnitude and the rectangle's extent are one. Faults at
// single points and starts that do not converge are skipped silently. A rate
// that is 0 at every grid node, or more than kMaxEquilibria equilibria (a
// line of them), gives kNotIsolated and no points.
TEquilibria FindEquilibria(TPlaneModel& model, const TPlaneRect& rect, int columns = 200,
                           int rows = 200);
// The same on a grid already sampled, with its nullclines.
TEquilibria FindEquilibria(const TRateGrid& grid, const TNullclines& nullclines);

// Whether two points are one equilibrium: closer on both axes than 1E-9 of
// the larger of their magnitudes and the search's extent.
bool SameEquilibrium(double n1a, double n2a, double n1b, double n2b, double extent);

// The equilibria of two searches as one ordered list, each found once (as
// the first search found it); the first error either search gave.
TEquilibria MergeEquilibria(const TEquilibria& a, const TEquilibria& b, double extent);
