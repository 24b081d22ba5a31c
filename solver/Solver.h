#pragma once

#include "CompiledModel.h"
#include "EulerStepper.h"
#include "SolverSettings.h"
#include "Stepper.h"

#include <limits>
#include <memory>
#include <vector>

// Steps a compiled model with the chosen method. Attaching binds the model
// and settings and forgets every earlier step; the method's state (SUNDIALS
// memory included) is kept and reused from one attach to the next while the
// method stays the same.
class TSolver {
public:
    TSolver();
    ~TSolver();
    TSolver(const TSolver&) = delete;
    TSolver& operator=(const TSolver&) = delete;

    // The model must outlive the attachment (until Detach or the next Attach).
    void Attach(TCompiledModel& model, const TSolverSettings& settings);
    // The rates changed under the method (a parameter moved): a method that
    // remembers earlier steps starts afresh from the next one, as after an
    // attach; Euler, which remembers nothing, goes on as it was.
    void Restart();
    // Nothing is stepped until the next attach. The next step starts the
    // counting of output times afresh, unless the last one ended at a stop
    // between two of them (see StepUntil).
    void Detach();
    bool Attached() const { return model_ != nullptr; }

    // One output step: (t, n1, n2) becomes the state at t + dt. A fault throws;
    // see the methods for what has changed then (Euler: as far as it came;
    // the others: nothing). A step that is not positive, or too small to move
    // t on, throws ESolverError and changes nothing.
    //
    // Time is counted, not summed: from the last time t or dt changed, the
    // k-th step ends at that time + k × dt, so that 1000 steps of 0.1 end at
    // 100 and not at 99.9999999999986.
    void Step(double& t, double dt, double& n1, double& n2) { Advance(t, dt, 1, n1, n2); }
    // The same step forward, but one that would end past `stop` (with t short
    // of it) ends at `stop` exactly when the method can end a step anywhere
    // (the adaptive ones); the next step then goes on to the time the
    // counting would have reached, so the run keeps its output times. The
    // fixed-step methods keep their steps and end at the first output time
    // at or past `stop`. See StopReached for "short of".
    void StepUntil(double& t, double dt, double stop, double& n1, double& n2) {
        Advance(t, dt, 1, n1, n2, stop);
    }
    // Whether the method can end a step at any time, not just at t + dt.
    bool LandsAnywhere() const { return settings_.Method == sm_RK45 || settings_.Method == sm_BDF; }
    // t has come to `stop`: at or past it, or short of it by no more than a
    // billionth of the step, which is rounding in counting the steps (ten
    // steps of 0.1 from 0 counted as 10 × 0.1 make 1.0000000000000002, and
    // 3 × 0.1 makes 0.30000000000000004).
    static bool StopReached(double t, double dt, double stop);

    // The same step backward in time: (t, n1, n2) becomes the state at t − dt.
    void StepBackward(double& t, double dt, double& n1, double& n2) { Advance(t, dt, -1, n1, n2); }

    // From the next step on, the sign changes of `event` are located (by the
    // library's root finding for the adaptive methods, on the step's
    // interpolant for the fixed-step ones) and kept in Crossings, each step's
    // in time order, until the next Watch; an empty function stops watching.
    // A run that watches nothing takes exactly the steps it always took.
    void Watch(TEventFunction event);
    const std::vector<TCrossing>& Crossings() const { return crossings_; }
    void ClearCrossings() { crossings_.clear(); }

    const TSolverSettings& Settings() const { return settings_; }

    // An Euler step since the attach changed a density by more than half of
    // its value: the time step is large for the method.
    bool EulerStepTooLarge() const { return euler_.StepTooLarge(); }

    // Evaluations of both rate laws at one state since the attach (or the
    // last restart of a method that remembers earlier steps).
    long long Evaluations() const {
        return model_ ? model_->Evaluations() - evaluationsBefore_ : 0;
    }

private:
    // A step of dt in the direction `sign` (+1 forward, -1 backward).
    // A forward step that would pass `stop` ends there when the method lands anywhere; such
    // a step is not counted, so the next one ends at the output time this one would have.
    void Advance(double& t, double dt, int sign, double& n1, double& n2,
                 double stop = std::numeric_limits<double>::quiet_NaN()) {
        double tout = OutputTime(t, dt, sign);
        bool counted = true;
        if (tout > stop && LandsAnywhere() && !StopReached(t, dt, stop)) {
            // Past it by rounding only: this is the counted step, ending where it meant to.
            counted = StopReached(stop, dt, tout);
            tout = stop;
        }
        const double h = sign * dt;
        if (stepper_ == &euler_)
            euler_.Step(t, h, tout, n1, n2);
        else
            stepper_->Step(t, h, tout, n1, n2);
        if (counted) ++steps_;
        offClock_ = !counted;
        lastOut_ = t;
    }
    // The end of the next step: counted from the clock's origin, which moves
    // to t whenever t, the step or its direction is not what the last step
    // left.
    double OutputTime(double t, double dt, int sign) {
        if (t != lastOut_ || sign * dt != clockStep_) {
            CheckTimeStep(dt);
            origin_ = t;
            clockStep_ = sign * dt;
            steps_ = 0;
        }
        const double tout = origin_ + double(steps_ + 1) * clockStep_;
        if (tout == t) throw StepTooSmall(t, dt);
        return tout;
    }
    static ESolverError StepTooSmall(double t, double dt);

    double origin_ = 0;
    double clockStep_ = 0;
    long long steps_ = 0;
    double lastOut_ = std::numeric_limits<double>::quiet_NaN(); // NaN: no step counted yet
    // The last step ended at a stop between two output times; the clock
    // outlives a detach then, so that a run continued from the stop goes on
    // to the output time it was counting to.
    bool offClock_ = false;

    TCompiledModel* model_ = nullptr;
    long long evaluationsBefore_ = 0;
    TSolverSettings settings_;
    TEventFunction event_;
    std::vector<TCrossing> crossings_;
    TEulerStepper euler_;
    std::unique_ptr<TStepper> other_;
    TSolverMethod otherMethod_ = sm_Euler;
    TStepper* stepper_ = &euler_;
};
