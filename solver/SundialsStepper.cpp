#include "SundialsStepper.h"

#include "FloatText.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <new>

ESolverError SolverStopped(double reached, const std::string& why) {
    return ESolverError(FormatMessage("Solver stopped at t = %s: %s", {FloatToText(reached), why}));
}

TSundialsStepper::TSundialsStepper(TRateLaws& rates, const TFlags& flags)
    : TStepper(rates), flags_(flags) {
    SUNContext context = nullptr;
    if (SUNContext_Create(nullptr, &context) != 0) throw std::bad_alloc();
    context_.reset(context);
    y_.reset(N_VNew_Serial(2, context_.get()));
    if (!y_) throw std::bad_alloc();
}

void TSundialsStepper::Restart(const TSolverSettings& settings) {
    settings_ = settings;
    running_ = false;
}

void TSundialsStepper::Check(int flag, double t0) const {
    if (flag < 0) throw SolverStopped(t0, Reason(flag));
}

std::string TSundialsStepper::Reason(int flag) const {
    if (flag == flags_.tooMuchWork) return "too many internal steps";
    if (flag == flags_.tooMuchAccuracy) return "tolerances too small";
    if (flag == flags_.errorTestFailure) return "step size too small";
    if (flag == flags_.convergenceFailure) return "Newton iteration failed to converge";
    if (flag == flags_.tooClose) return "time step too small";
    if (flag == flags_.illegalInput) return "invalid tolerances";
    char* name = flags_.name(flag);
    std::string text = name ? name : "unknown failure";
    std::free(name);
    return text;
}

int TSundialsStepper::Rhs(double, N_Vector y, N_Vector ydot, void* self) noexcept {
    auto* stepper = static_cast<TSundialsStepper*>(self);
    const double* state = NV_DATA_S(y);
    double* rate = NV_DATA_S(ydot);
    try {
        stepper->rates_.At(state[0], state[1], rate[0], rate[1]);
        return 0;
    } catch (...) {
        stepper->fault_ = std::current_exception();
        return -1; // not recoverable: the fault ends the output step
    }
}

void TSundialsStepper::Step(double& t, double dt, double tout, double& n1, double& n2) {
    // The library's interpolant works with the square of the step; where that
    // underflows the state it gives back is garbage, not an error.
    static const double kMinStep = std::sqrt(DBL_MIN);
    if (dt < kMinStep)
        throw ESolverError(
            FormatMessage("The time step %s is too small for the adaptive methods (at least %s)",
                          {FloatToText(dt), FloatToText(kMinStep)}));
    if (std::isinf(tout) && std::isfinite(t) && std::isfinite(dt))
        throw SolverStopped(t, EOverflow().Message());

    double* y = NV_DATA_S(y_.get());
    if (!running_ || t != lastT_ || dt != lastDt_ || n1 != lastN1_ || n2 != lastN2_) {
        y[0] = n1;
        y[1] = n2;
        Init(t);
        running_ = true;
    }
    fault_ = nullptr;
    double reached = t;
    const int flag = Evolve(tout, reached);
    if (flag < 0) {
        running_ = false;
        rates_.Store(n1, n2);
        if (fault_) {
            try {
                std::rethrow_exception(fault_);
            } catch (const std::exception& fault) {
                throw SolverStopped(reached, fault.what());
            }
        }
        throw SolverStopped(reached, Reason(flag));
    }
    t = tout;
    n1 = y[0];
    n2 = y[1];
    rates_.Store(n1, n2);
    lastT_ = t;
    lastDt_ = dt;
    lastN1_ = n1;
    lastN2_ = n2;
}
