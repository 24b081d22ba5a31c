#pragma once

#include "CompiledModel.h"
#include "Equilibria.h"
#include "LimitCycles.h"
#include "PlaneRect.h"

#include <atomic>
#include <vector>

// The separatrices of the plane: the stable and unstable manifolds of each
// saddle, the lines that divide the plane into basins (the Allee threshold,
// the boundary between the winners of a competition).

enum class TManifold { Stable, Unstable };

// Where a separatrix was followed to.
enum class TSeparatrixEnd {
    LeftBox,     // past the box's margin
    Equilibrium, // into an equilibrium (in backward time, for a stable manifold)
    Cycle,       // onto a limit cycle given
    Unsettled,   // still going round after many turns (a cycle not given), or the step budget
    Failed,      // the integrator gave up or the rates faulted
};

struct TSeparatrix {
    double saddleN1 = 0, saddleN2 = 0;
    TManifold manifold = TManifold::Stable;
    // From the saddle outward, dense enough that straight lines between
    // neighbours stay close to the curve.
    std::vector<TCurvePoint> path;
    TSeparatrixEnd end = TSeparatrixEnd::LeftBox;
};

struct TSeparatrixOptions {
    double relTol = 1e-9;
    // A separatrix that goes this share of the box's extent past it ends.
    double margin = 0.05;
    // Cycles a separatrix may wind onto (or off, backward): it ends once
    // within a thousandth of the box of one.
    std::vector<TLimitCycle> cycles;
    const std::atomic<bool>* cancel = nullptr;
};

// Both branches of both manifolds of every saddle in `equilibria` that lies
// in the box: four separatrices a saddle, integrated from the saddle along
// its eigenvectors, forward along the unstable one and backward along the
// stable one. The model's cells are left as they were.
std::vector<TSeparatrix> FindSeparatrices(TCompiledModel& model, const TPlaneRect& box,
                                          const TEquilibria& equilibria,
                                          const TSeparatrixOptions& options = {});
