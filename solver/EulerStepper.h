#pragma once

#include "Stepper.h"

// The explicit Euler step with a simultaneous update of both densities: both
// rates are taken at the state of the previous step, as the cells hold it.
//
// A fault stops the step where it arose: t has advanced, and N1 too when the
// fault came with the second rate or the update of N2; no cell is written. It
// throws ESolverError "Solver stopped at t = ...: ..." naming, as the other
// methods do, the time the step started from: the last time whose state was
// whole.
class TEulerStepper final : public TStepper {
public:
    void Step(double& t, double dt, double tout, double& n1, double& n2) override;
    void Restart(TCompiledModel& model, const TSolverSettings& settings) override {
        TStepper::Restart(model, settings);
        tooLarge_ = false;
        last_ = {};
    }

    // Set by a step that changed a density by more than half of its value, and
    // kept until the next restart.
    bool StepTooLarge() const { return tooLarge_; }

private:
    void Advance(double& t, double dt, double tout, double& n1, double& n2);
    // Locates the event within the step from (t0, a0, b0) to (t, n1, n2).
    void Locate(double t0, double a0, double b0, double t, double dt, double n1, double n2);

    bool tooLarge_ = false;
    // The last step, whose start is the point before the next one's when that
    // one goes on from its end with the same dt.
    struct TLastStep {
        bool valid = false;
        double dt = 0;
        double a0 = 0, b0 = 0;
        double t = 0, n1 = 0, n2 = 0;
    } last_;
};
