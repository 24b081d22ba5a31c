#pragma once

#include "Stepper.h"

// The explicit Euler step with a simultaneous update of both densities: both
// rates are taken at the state of the previous step, as the cells hold it.
//
// A fault throws the platform's floating-point exception and stops the step
// where it arose: t has advanced, and N1 too when the fault came with the
// second rate or the update of N2; no cell is written.
class TEulerStepper final : public TStepper {
public:
    void Step(double& t, double dt, double tout, double& n1, double& n2) override;
    void Restart(TCompiledModel& model, const TSolverSettings& settings) override {
        TStepper::Restart(model, settings);
        tooLarge_ = false;
    }

    // Set by a step that changed a density by more than half of its value, and
    // kept until the next restart.
    bool StepTooLarge() const { return tooLarge_; }

private:
    bool tooLarge_ = false;
};
