#pragma once

#include "Stepper.h"
#include "SundialsHandles.h"

#include <exception>
#include <string>

// What the SUNDIALS-backed methods share: the context and state vector, the
// rate laws as the integrator's right-hand side, and the step from one output
// time to the next.
//
// The integrator runs on from step to step, taking as many internal steps as
// the tolerances need (at most kMaxInternalSteps per output step) and giving
// the state at t + dt from its interpolant. It starts again from the state
// handed in whenever that is not what it gave out last: after a restart, a
// failure, or when the user changed t, dt or a density. Backward steps (dt
// below 0) run the integrator the other way from a fresh start.
//
// Events are located by the library's root finding to its own tolerance in
// time. With non-negativity asked for, a density that starts a run at or above
// 0 is held there by the library's inequality constraints: a step that would
// take it below 0 is retried smaller.
class TSundialsStepper : public TStepper {
public:
    static constexpr long kMaxInternalSteps = 100000;

    // A module's return flags that end an output step, and its flag names.
    struct TFlags {
        int tooMuchWork;
        int tooMuchAccuracy;
        int errorTestFailure;
        int convergenceFailure;
        int tooClose;
        int illegalInput;
        int constraintFailure;
        int rootReturn;
        char* (*name)(long flag);
    };

    explicit TSundialsStepper(const TFlags& flags);

    void Step(double& t, double dt, double tout, double& n1, double& n2) final;
    void Restart(TCompiledModel& model, const TSolverSettings& settings) final;
    void Watch(const TEventFunction* event, std::vector<TCrossing>* crossings) final;

protected:
    // (Re)starts the integrator at t0 from the state vector, with `settings_`;
    // throws ESolverError when the library refuses.
    virtual void Init(double t0) = 0;
    // Integrates to tout into the state vector: the library's flag, and the
    // time it reached.
    virtual int Evolve(double tout, double& reached) = 0;
    // Which way the event crossed at the root just returned (+1, -1; 0: none).
    virtual int RootDirection() = 0;

    // The densities the constraints hold at or above 0 (1) or leave free (0),
    // from the state vector at a start; null without constraints.
    N_Vector Constraints();

    // A refused set-up call ends the start with the reason.
    void Check(int flag, double t0) const;
    // The reason for a failure flag, as the message shows it.
    std::string Reason(int flag) const;

    // The right-hand side and error handler handed to the library; `self` is
    // the stepper. A fault is kept and reported after the library returns:
    // exceptions must not cross its C frames.
    static int Rhs(double t, N_Vector y, N_Vector ydot, void* self) noexcept;
    static int Root(double t, N_Vector y, double* g, void* self) noexcept;
    static void Quiet(int, const char*, const char*, char*, void*) noexcept {}

    const TFlags& flags_;
    TSunContext context_;
    TSunVector y_;
    TSunVector constraints_;

private:
    bool running_ = false; // the integrator holds the state it gave out last
    double lastT_ = 0;
    double lastDt_ = 0;
    double lastN1_ = 0;
    double lastN2_ = 0;
    std::exception_ptr fault_;

protected:
    std::exception_ptr& Fault() { return fault_; }
};
