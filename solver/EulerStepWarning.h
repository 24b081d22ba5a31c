#pragma once

#include "Simulation.h"

// Tells the user of a run, once, that its Euler steps are large for the
// method: one of them changed a density by more than half of its value. The
// window says it in its status bar, the headless runs on standard error.
class TEulerStepWarning {
public:
    static constexpr char kText[] =
        "The time step is large for Euler: a smaller step or another method would be more "
        "accurate.";

    // True the first time it is asked after the steps became too large, and
    // not again until Rearm.
    bool Due(bool stepTooLarge) {
        if (given_ || !stepTooLarge) return false;
        given_ = true;
        return true;
    }
    bool Due(const TSimulation& sim) { return Due(sim.EulerStepTooLarge()); }

    // A new run (a Start or Continue) may be told again.
    void Rearm() { given_ = false; }

private:
    bool given_ = false;
};
