#pragma once

#include "Stepper.h"

// The classical fourth-order Runge-Kutta step of fixed size dt. Each of the
// four stages evaluates both rates at the stage's own state (N1 and N2
// together), so the two species are advanced simultaneously.
//
// A fault in any stage, or in forming a stage's state, stops the step before
// anything changes: t, the densities and the cells stay at the last completed
// step, and ESolverError names the fault and that time.
class TRK4Stepper final : public TStepper {
public:
    using TStepper::TStepper;

    void Step(double& t, double dt, double tout, double& n1, double& n2) override;
    void Restart(const TSolverSettings&) override {}
};
