#pragma once

#include "Stepper.h"

// The classical fourth-order Runge-Kutta step of fixed size dt. Each of the
// four stages evaluates both rates at the stage's own state (N1 and N2
// together), so the two species are advanced simultaneously.
//
// A fault in any stage, or in forming a stage's state, stops the step before
// anything changes: t, the densities and the cells stay at the last completed
// step, and ESolverError names the fault and that time.
//
// An event is located on the cubic Hermite interpolant of the step, from the
// states and rates at both ends (one more evaluation, only for a step whose
// ends lie on both sides of the event).
class TRK4Stepper final : public TStepper {
public:
    void Step(double& t, double dt, double tout, double& n1, double& n2) override;

private:
    void LocateEvent(double t0, double a0, double b0, double t1, double dt, double a1, double b1,
                     double fa0, double fb0);
};
