#pragma once

#include "EulerStepper.h"
#include "RateLaws.h"
#include "SolverSettings.h"

#include <memory>

// Steps a bound model with the chosen method. Attaching binds the rate laws
// and settings and forgets every earlier step; the method's state (SUNDIALS
// memory included) is kept and reused from one attach to the next while the
// method stays the same.
class TSolver {
public:
    TSolver();
    ~TSolver();
    TSolver(const TSolver&) = delete;
    TSolver& operator=(const TSolver&) = delete;

    void Attach(const TRateLaws& rates, const TSolverSettings& settings);
    // The rates changed under the method (a parameter moved): a method that
    // remembers earlier steps starts afresh from the next one, as after an
    // attach; Euler, which remembers nothing, goes on as it was.
    void Restart();
    // Nothing is stepped until the next attach.
    void Detach();
    bool Attached() const { return rates_.Bound(); }

    // One output step: (t, n1, n2) becomes the state at t + dt. A fault throws;
    // see the methods for what has changed then (Euler: as far as it came;
    // the others: nothing).
    void Step(double& t, double dt, double& n1, double& n2) {
        if (stepper_ == &euler_)
            euler_.Step(t, dt, n1, n2);
        else
            stepper_->Step(t, dt, n1, n2);
    }

    const TSolverSettings& Settings() const { return settings_; }

    // An Euler step since the attach changed a density by more than half of
    // its value: the time step is large for the method.
    bool EulerStepTooLarge() const { return euler_.StepTooLarge(); }

    // Evaluations of both rate laws at one state since the attach.
    long long Evaluations() const { return rates_.Evaluations(); }

private:
    TRateLaws rates_;
    TSolverSettings settings_;
    TEulerStepper euler_{rates_};
    std::unique_ptr<TStepper> other_;
    TSolverMethod otherMethod_ = sm_Euler;
    TStepper* stepper_ = &euler_;
};
