#pragma once

#include "CompiledModel.h"
#include "Equilibria.h"
#include "PlaneRect.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Limit cycles of a planar model: isolated periodic orbits, found from
// trajectories run forward (towards stable cycles) and backward in time
// (towards unstable ones), and pinned down as fixed points of the return map
// on a short section across the flow. Everything is integrated by CVODE to
// tight tolerances, whatever method the run uses.

enum class TCycleKind {
    Stable,     // multiplier below 1: nearby orbits wind onto it
    Unstable,   // multiplier above 1: nearby orbits wind away
    SemiStable, // multiplier 1 within its error: a fold of cycles
};

// "stable", "unstable", "semi-stable".
const char* CycleKindName(TCycleKind kind);

struct TLimitCycle {
    double n1 = 0, n2 = 0; // a point of the cycle
    double period = 0;
    // The extremes of N1 and N2 over the cycle, located where the rates
    // vanish along it (not sampled).
    double n1Min = 0, n1Max = 0, n2Min = 0, n2Max = 0;
    // The non-trivial Floquet multiplier, exp of the divergence (the trace of
    // the exact Jacobian) integrated over one period.
    double multiplier = 1;
    TCycleKind kind = TCycleKind::Stable;
    // The cycle as a closed line for drawing, first point repeated last,
    // dense enough that straight lines between neighbours stay close to it.
    std::vector<TCurvePoint> path;
};

struct TCycleOptions {
    // The integration's relative tolerance; the absolute one is this times
    // the box's extent times 1E-20.
    double relTol = 1e-10;
    // Whether a multiplier near 1 is looked at closer, to tell a centre's
    // family and a fold of cycles from a weak cycle (two or four revolutions
    // more); a caller that knows which it has leaves it off.
    bool lookBeside = true;
    // Seeds on a coarse grid over the box, this many per side.
    int gridSeeds = 4;
    // Further starting points (the run's current state).
    std::vector<TCurvePoint> seeds;
    // A trajectory that goes this far past the box (as a share of its
    // extent, on every side) is given up as leaving it.
    double margin = 1.0;
    // Set from another thread, stops the search soon; the result then says
    // `cancelled`.
    const std::atomic<bool>* cancel = nullptr;
};

struct TLimitCycles {
    // Ordered by period, then by N1max.
    std::vector<TLimitCycle> cycles;
    // Closed orbits were found that form a family around a centre (a
    // conservative model): they are not limit cycles and none is listed.
    bool centre = false;
    // Orbits that looked periodic but could not be pinned down (the return
    // map did not converge, the period ran past the limit): one sentence each,
    // naming where.
    std::vector<std::string> unresolved;
    TPlaneRect box;
    bool cancelled = false;
    // Why no search could run (an invalid box, rates without derivatives);
    // empty otherwise.
    std::string error;
};

// The limit cycles that pass through the box (partly outside it included),
// seeded from small rings around each equilibrium in `equilibria` whose
// eigenvalues are complex or of one sign, the options' seeds and the grid.
// The model's cells are left as they were.
TLimitCycles FindLimitCycles(TCompiledModel& model, const TPlaneRect& box,
                             const TEquilibria& equilibria, const TCycleOptions& options = {});

// The cycle of the model as it is now that passes near `near`, a point of a
// cycle of a nearby parameter value: pinned down on the return map of the
// section across the flow there, the orbits followed forward in time
// (direction +1, best for a stable cycle) or backward (−1, for an unstable
// one). None when the orbits there settle onto no cycle (it has vanished in
// a fold, or shrunk into its equilibrium) or only onto a centre's family.
std::optional<TLimitCycle> FollowCycle(TCompiledModel& model, const TPlaneRect& box,
                                       TCurvePoint near, int direction,
                                       const TCycleOptions& options = {});

// The return map of the model as it is now on a line across the flow: what a
// continuation of cycles steps on. It keeps its own integrator; the model's
// cells are left as they were after each call.
class TReturnMap {
public:
    TReturnMap(TCompiledModel& model, const TPlaneRect& box, const TCycleOptions& options = {});
    ~TReturnMap();
    TReturnMap(const TReturnMap&) = delete;
    TReturnMap& operator=(const TReturnMap&) = delete;

    // Lays the line across the flow (of the model as it is now) at (n1, n2);
    // false where the flow rests or the rates cannot be evaluated.
    bool Anchor(double n1, double n2);
    // The position of (n1, n2) along the line, 0 at its anchor.
    double Along(double n1, double n2) const;
    // How closely a return must come to its start at u for the orbit to be a
    // cycle: each density to 1E-9 of its own size, since a relaxation
    // cycle's period hangs on its smallest density.
    double Tolerance(double u) const;

    // What is measured on the way round: nothing but the period and rough
    // extremes; the extremes (located) and the multiplier (the forward one,
    // whichever the direction); those and the path for drawing.
    enum class TMeasure { None, Extent, Drawn };
    struct TReturn {
        double u = 0;      // where the orbit came back
        TLimitCycle orbit; // as a cycle through u, measured as asked
    };
    // The orbit from position u followed forward (direction +1) or backward
    // (−1) until it comes back to the line; none, with `why` set, when it
    // does not come back (it left the box, came to rest, failed).
    std::optional<TReturn> Map(double u, int direction, TMeasure measure,
                               std::string* why = nullptr);

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

// The text the window shows in place of a list of cycles when `centre` is set.
inline constexpr const char* kCentreNote = "closed orbits around a centre";
