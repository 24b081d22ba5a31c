#pragma once

#include "RateLaws.h"
#include "SolverSettings.h"

// One integration method: moves the state (t, N1, N2) on by one output step
// of dt, through the model's rate laws.
class TStepper {
public:
    explicit TStepper(TRateLaws& rates) : rates_(rates) {}
    virtual ~TStepper() = default;
    TStepper(const TStepper&) = delete;
    TStepper& operator=(const TStepper&) = delete;

    // On success t is `tout` and the densities are those at that time; the
    // cells of the rate laws hold them. `tout` is t + dt as the solver counts
    // it, without the drift of summing the step; `dt` is the method's step.
    virtual void Step(double& t, double dt, double tout, double& n1, double& n2) = 0;

    // The rate laws were bound again or the settings changed: whatever the
    // method remembers of earlier steps is gone.
    virtual void Restart(const TSolverSettings& settings) = 0;

protected:
    TRateLaws& rates_;
};

// "Solver stopped at t = 12.5: step size too small": the error of a method
// that could not complete the output step, naming the time it reached.
ESolverError SolverStopped(double reached, const std::string& why);
