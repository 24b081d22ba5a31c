#pragma once

#include "CompiledModel.h"
#include "Stepper.h"
#include "SundialsHandles.h"

#include <cvode/cvode.h>

#include <exception>
#include <string>
#include <vector>

// A point of an orbit: the time since the start (negative backward), the
// densities, and the divergence of the flow (the trace of its Jacobian)
// integrated over that time, when asked for.
struct TFlowPoint {
    double t = 0;
    double n1 = 0;
    double n2 = 0;
    double divergence = 0;
};

// The model's flow followed one internal step at a time by CVODE, to
// tolerances of its own and whatever method a run uses: for the analyses of
// orbits, which need the orbit itself (where it crosses a section, where its
// rates vanish, how it contracts on the way) rather than output steps.
//
// Non-stiff flows go best with Adams' methods; stiff ones (relaxation
// oscillations, densities falling through orders of magnitude) need BDF
// with the exact Jacobian.
class TFlow {
public:
    struct TOptions {
        double relTol = 1e-10;
        double absTol = 1e-14; // for the densities; the divergence's is relTol

        bool divergence = false; // integrate the trace of the exact Jacobian too
        bool stiff = false;      // BDF instead of Adams
        // The first step to try (0: the library's estimate, which tries
        // steps as long as the time to the stop time and may overflow the
        // rates on the way).
        double firstStep = 0;
    };

    enum class TStop {
        Step,   // one internal step done
        Event,  // an event's sign changed: Point() is where, Fired() which
        Failed, // the integrator gave up or the rates faulted: Why()
    };

    explicit TFlow(TCompiledModel& model);
    ~TFlow();
    TFlow(const TFlow&) = delete;
    TFlow& operator=(const TFlow&) = delete;

    // Starts at (n1, n2) at t = 0, forward in time (direction +1) or backward
    // (-1), locating the sign changes of `events` from there on. Throws
    // ESolverError when the library refuses the options.
    void Start(double n1, double n2, int direction, const TOptions& options,
               std::vector<TEventFunction> events = {});
    // Goes on by one internal step, or to the next event within it.
    TStop Next();

    const TFlowPoint& Point() const { return point_; }
    // Per event, which changed sign at the point an Event stop reached: ±1 by
    // the direction of the change in the direction of integration, 0 not.
    const std::vector<int>& Fired() const { return fired_; }
    // The state at time t since the start, within the last internal step, from
    // the integrator's interpolant.
    TFlowPoint At(double t) const;
    // The rates at the point reached, as the integrator's interpolant has
    // them: no evaluation of the model.
    void Velocity(double& r1, double& r2) const;
    // Why the last Next failed.
    const std::string& Why() const { return why_; }
    // The time the last internal step began at.
    double StepStart() const { return stepStart_; }

private:
    static int Rhs(double t, N_Vector y, N_Vector ydot, void* self) noexcept;
    static int Roots(double t, N_Vector y, double* g, void* self) noexcept;
    static int Jacobian(double t, N_Vector y, N_Vector fy, SUNMatrix J, void* self, N_Vector,
                        N_Vector, N_Vector) noexcept;
    void Check(int flag) const;
    void NameTheRoot();

    TCompiledModel& model_;
    TOptions options_;
    int direction_ = 1;
    std::vector<TEventFunction> events_;
    std::vector<int> fired_;
    TFlowPoint point_;
    double stepStart_ = 0;
    std::string why_;
    std::exception_ptr fault_;

    // Freed in reverse: the integrator before the solver and matrix it uses.
    TSunContext context_;
    TSunVector y_;
    TSunVector scratch_; // for the interpolant's values
    TSunVector absTol_;
    TSunMatrix matrix_;
    TSunLinearSolver linearSolver_;
    TSunMemory<CVodeFree> memory_;
    bool memoryStiff_ = false;
};
