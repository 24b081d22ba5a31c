#pragma once

#include "CompiledModel.h"
#include "SolverSettings.h"

#include <functional>
#include <vector>

// A scalar function of the state whose sign changes a run locates: a section
// of the phase plane, a threshold density.
using TEventFunction = std::function<double(double n1, double n2)>;

// Where an event function changed sign during a step, and which way: +1 from
// negative to positive, -1 the other way.
struct TCrossing {
    double t = 0;
    double n1 = 0;
    double n2 = 0;
    int direction = 0;
};

// One integration method: moves the state (t, N1, N2) on by one output step
// of dt, through the model's compiled rate laws.
class TStepper {
public:
    TStepper() = default;
    virtual ~TStepper() = default;
    TStepper(const TStepper&) = delete;
    TStepper& operator=(const TStepper&) = delete;

    // On success t is `tout` and the densities are those at that time; the
    // model's cells hold them. `tout` is t + dt as the solver counts it,
    // without the drift of summing the step; `dt` is the method's step,
    // negative to integrate backward in time.
    virtual void Step(double& t, double dt, double tout, double& n1, double& n2) = 0;

    // The model was compiled again or the settings changed: whatever the
    // method remembers of earlier steps is gone.
    virtual void Restart(TCompiledModel& model, const TSolverSettings& settings) {
        model_ = &model;
        settings_ = settings;
    }

    // From the next step on, the sign changes of `event` (none: null) are
    // located and appended to `crossings`, in time order.
    virtual void Watch(const TEventFunction* event, std::vector<TCrossing>* crossings) {
        event_ = event;
        crossings_ = crossings;
    }

protected:
    // Appends the crossing of the event within a step from (t0, a0, b0) to
    // (t1, a1, b1), when its sign differs at the ends, located on the step's
    // interpolant `at` (the state at a fraction 0 to 1 of the step) to the
    // last bits of the fraction.
    void LocateOnStep(double t0, double a0, double b0, double t1, double a1, double b1,
                      const std::function<void(double theta, double& n1, double& n2)>& at);

    TCompiledModel* model_ = nullptr;
    TSolverSettings settings_;
    const TEventFunction* event_ = nullptr;
    std::vector<TCrossing>* crossings_ = nullptr;
};

// "Solver stopped at t = 12.5: step size too small": the error of a method
// that could not complete the output step, naming the time it reached.
ESolverError SolverStopped(double reached, const std::string& why);
