#pragma once

#include "SundialsStepper.h"

#include <arkode/arkode_erkstep.h>

// The adaptive explicit Runge-Kutta method of Dormand and Prince, order 5
// with an embedded order-4 error estimate, from ARKODE's explicit stepper.
class TDormandPrinceStepper final : public TSundialsStepper {
public:
    TDormandPrinceStepper();

protected:
    void Init(double t0) override;
    int Evolve(double tout, double& reached) override;
    int RootDirection() override;

private:
    TSunMemory<ERKStepFree> memory_;
};
