#pragma once

#include "CompiledModel.h"
#include "PlaneRect.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

// Two-parameter continuation: the curves in a (P1, P2) box along which an
// equilibrium has a fold (F = 0, det J = 0) or a Hopf point (F = 0, tr J = 0,
// det J > 0), each traced by pseudo-arclength through the densities and both
// parameters, with the points where the behaviour of the curve's points
// changes located on them.

enum class TCurveKind { Fold, Hopf };

// "fold", "hopf".
const char* CurveKindName(TCurveKind kind);

enum class TCodimTwo {
    None,
    BogdanovTakens, // det J = 0 and tr J = 0: a fold and a Hopf curve meet
    Cusp,           // on a fold curve, the fold's quadratic coefficient is 0
    Bautin,         // on a Hopf curve, the first Lyapunov coefficient is 0
};

// "", "bogdanov-takens", "cusp", "bautin".
const char* CodimTwoLabel(TCodimTwo point);

struct TSpecialCurveRow {
    double p1 = 0, p2 = 0;
    double n1 = 0, n2 = 0;
    TCodimTwo label = TCodimTwo::None;
};

struct TSpecialCurve {
    TCurveKind kind = TCurveKind::Fold;
    std::vector<TSpecialCurveRow> rows; // in the order traced
};

struct TSpecialCurveOptions {
    double from1 = 0, to1 = 1; // P1's range
    double from2 = 0, to2 = 1; // P2's range
    TPlaneRect box;            // curves end where their equilibrium leaves it
    const std::atomic<bool>* cancel = nullptr;
};

struct TSpecialCurves {
    std::vector<TSpecialCurve> curves;
    // Where a curve could not go on, one line each; its rows are kept.
    std::vector<std::string> stopped;
    bool cancelled = false;
    std::string error; // why nothing could run
};

// The fold and Hopf curves through the folds and Hopf points that one-
// parameter continuation in P1 finds at P2's present value, each traced both
// ways across the (P1, P2) box (or until its equilibrium leaves the box, or a
// Hopf curve ends at a Bogdanov–Takens point, past which it is a neutral
// saddle), none twice; Bogdanov–Takens, cusp and Bautin points located on
// them to 1E-8 relative. The parameters' values and the densities' cells are left as
// they were.
TSpecialCurves ContinueSpecialPoints(TCompiledModel& model, std::size_t p1, std::size_t p2,
                                     const TSpecialCurveOptions& options);
