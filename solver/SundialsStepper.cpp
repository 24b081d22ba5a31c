#include "SundialsStepper.h"

#include "FloatText.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <new>

TSundialsStepper::TSundialsStepper(const TFlags& flags) : flags_(flags) {
    SUNContext context = nullptr;
    if (SUNContext_Create(nullptr, &context) != 0) throw std::bad_alloc();
    context_.reset(context);
    y_.reset(N_VNew_Serial(2, context_.get()));
    constraints_.reset(N_VNew_Serial(2, context_.get()));
    if (!y_ || !constraints_) throw std::bad_alloc();
}

void TSundialsStepper::Restart(TCompiledModel& model, const TSolverSettings& settings) {
    TStepper::Restart(model, settings);
    running_ = false;
}

void TSundialsStepper::Watch(const TEventFunction* event, std::vector<TCrossing>* crossings) {
    TStepper::Watch(event, crossings);
    running_ = false;
}

N_Vector TSundialsStepper::Constraints() {
    if (!settings_.NonNegative) return nullptr;
    const double* y = NV_DATA_S(y_.get());
    double* c = NV_DATA_S(constraints_.get());
    for (int i = 0; i < 2; ++i)
        c[i] = y[i] >= 0 ? 1.0 : 0.0;
    return constraints_.get();
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
    if (flag == flags_.constraintFailure) return "a density would fall below 0";
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
        stepper->model_->Rates(state[0], state[1], rate[0], rate[1]);
        return 0;
    } catch (...) {
        stepper->fault_ = std::current_exception();
        return -1; // not recoverable: the fault ends the output step
    }
}

// A value of exactly 0 counts as positive: the library refuses a function
// that is 0 at a root it found and just after it ("Root found at and very
// near t"), which a run moving slowly across a section gives as well as a
// function 0 over a stretch.
int TSundialsStepper::Root(double, N_Vector y, double* g, void* self) noexcept {
    auto* stepper = static_cast<TSundialsStepper*>(self);
    const double* state = NV_DATA_S(y);
    try {
        const double value = (*stepper->event_)(state[0], state[1]);
        g[0] = value == 0 ? DBL_MIN : value;
        return 0;
    } catch (...) {
        stepper->fault_ = std::current_exception();
        return -1;
    }
}

void TSundialsStepper::Step(double& t, double dt, double tout, double& n1, double& n2) {
    // The library's interpolant works with the square of the step; where that
    // underflows the state it gives back is garbage, not an error.
    static const double kMinStep = std::sqrt(DBL_MIN);
    if (std::fabs(dt) < kMinStep)
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
    int flag = Evolve(tout, reached);
    while (flag == flags_.rootReturn) {
        if (crossings_) crossings_->push_back({reached, y[0], y[1], RootDirection()});
        flag = Evolve(tout, reached);
    }
    if (flag < 0) {
        running_ = false;
        model_->Store(n1, n2);
        if (fault_) {
            try {
                std::rethrow_exception(fault_);
            } catch (const std::exception& fault) {
                throw SolverStopped(reached, fault.what());
            }
        }
        throw SolverStopped(reached, Reason(flag));
    }
    if (settings_.NonNegative) {
        // The constraints hold at the library's steps; the output between two
        // of them comes from its interpolant, which may dip below 0 by as
        // much as the tolerances allow.
        const double* held = NV_DATA_S(constraints_.get());
        for (int i = 0; i < 2; ++i)
            if (held[i] > 0 && y[i] < 0) y[i] = 0;
    }
    t = tout;
    n1 = y[0];
    n2 = y[1];
    model_->Store(n1, n2);
    lastT_ = t;
    lastDt_ = dt;
    lastN1_ = n1;
    lastN2_ = n2;
}
