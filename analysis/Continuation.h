#pragma once

#include "CompiledModel.h"
#include "PlaneRect.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

// One-parameter continuation of a planar model's equilibria: each branch
// followed by pseudo-arclength (a tangent predictor and Newton's method on
// the bordered system, with the exact Jacobian and the exact derivative in
// the parameter), with the special points where the behaviour changes
// located on it.

enum class TBranchObject { Equilibrium, Cycle };

// "equilibrium", "cycle".
const char* ObjectName(TBranchObject object);

enum class TSpecialPoint {
    None,
    Fold,              // det J = 0 where the branch turns back in the parameter
    BranchPoint,       // det J = 0 where another branch crosses it
    HopfSupercritical, // tr J = 0, det J > 0, first Lyapunov coefficient below 0
    HopfSubcritical,   // the same with the coefficient above 0
    CycleFold,         // a cycle's multiplier passes through 1
    Homoclinic,        // a cycle's period grows without bound
};

// "" (None), "fold", "branch point", "hopf supercritical", "hopf subcritical",
// "cycle fold", "homoclinic".
const char* SpecialLabel(TSpecialPoint point);

// A row of a branch: the parameter's value and the state there. For an
// equilibrium the extremes are its densities and the period is NaN; for a
// cycle (n1, n2) is a point of it.
struct TBranchRow {
    double p = 0;
    double n1 = 0, n2 = 0;
    double n1Min = 0, n1Max = 0, n2Min = 0, n2Max = 0;
    double period = 0; // NaN for an equilibrium
    bool stable = false;
    TSpecialPoint label = TSpecialPoint::None;
    // At a Hopf point: the first Lyapunov coefficient and the angular
    // frequency there; NaN elsewhere.
    double lyapunov = 0;
    double omega = 0;
};

struct TBranch {
    TBranchObject object = TBranchObject::Equilibrium;
    // In the order followed; a special point is a row of its own, at the
    // value located.
    std::vector<TBranchRow> rows;
};

struct TContinuationOptions {
    double from = 0, to = 1; // the parameter's range (from above to is allowed)
    TPlaneRect box;          // branches end where they leave it
    const std::atomic<bool>* cancel = nullptr;
};

struct TContinuation {
    std::vector<TBranch> branches;
    // Where and why a branch could not go on ("Continuation stopped at K =
    // 12.5: the step became too small near a singular point"), one line each;
    // the rows so far are kept.
    std::vector<std::string> stopped;
    bool cancelled = false;
    // Why nothing could run (no such parameter, rates without derivatives,
    // an empty range or box); empty otherwise.
    std::string error;
};

// The equilibrium branches of `model` in parameter `parameter` (its index)
// over the options' range: started from every equilibrium in the box at both
// ends of the range, each followed across the range or until it leaves the
// box, none twice; folds, branch points (the other branch followed too) and
// Hopf points located to 1E-8 relative in the parameter and listed once. The
// parameter's value and the densities' cells are left as they were.
TContinuation ContinueEquilibria(TCompiledModel& model, std::size_t parameter,
                                 const TContinuationOptions& options);

// The branches of limit cycles born at the Hopf points of the equilibrium
// branches in `result`, appended to it: each begins at its Hopf point (a
// cycle of no size, of period 2π/ω) and is followed by pseudo-arclength
// continuation on the limit-cycle finder's return map, on the side where the
// cycles exist. It turns at a fold of cycles (a row labelled "cycle fold",
// where the multiplier is 1) and goes on with the partner cycles; it ends at
// the range's end, where the cycle leaves the box, where it shrinks into
// another Hopf point (that point starting no branch of its own) or where its
// period passes 20 times the Hopf period as it nears a saddle (labelled
// "homoclinic").
void ContinueCycles(TCompiledModel& model, std::size_t parameter,
                    const TContinuationOptions& options, TContinuation& result);

// Equilibrium branches, then the cycle branches born on them.
TContinuation Continue(TCompiledModel& model, std::size_t parameter,
                       const TContinuationOptions& options);
