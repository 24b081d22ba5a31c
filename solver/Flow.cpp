#include "Flow.h"

#include "CvodeFlag.h"
#include "ExactJacobian.h"
#include "FloatText.h"

#include <cvode/cvode_ls.h>
#include <sunlinsol/sunlinsol_dense.h>
#include <sunmatrix/sunmatrix_dense.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

namespace {

// The integrator's state: both densities and the divergence integrated so far.
constexpr int kSize = 3;

// The most internal steps one call may take; Next asks for one at a time.
constexpr long kMaxSteps = 1000;

} // namespace

TFlow::TFlow(TCompiledModel& model) : model_(model) {
    SUNContext context = nullptr;
    if (SUNContext_Create(nullptr, &context) != 0) throw std::bad_alloc();
    context_.reset(context);
    y_.reset(N_VNew_Serial(kSize, context_.get()));
    scratch_.reset(N_VNew_Serial(kSize, context_.get()));
    absTol_.reset(N_VNew_Serial(kSize, context_.get()));
    if (!scratch_ || !absTol_) throw std::bad_alloc();
    matrix_.reset(SUNDenseMatrix(kSize, kSize, context_.get()));
    if (!y_ || !matrix_) throw std::bad_alloc();
    linearSolver_.reset(SUNLinSol_Dense(y_.get(), matrix_.get(), context_.get()));
    if (!linearSolver_) throw std::bad_alloc();
}

TFlow::~TFlow() = default;

void TFlow::Check(int flag) const {
    if (flag < 0) {
        char* name = CVodeGetReturnFlagName(flag);
        const std::string text = name ? name : "unknown failure";
        std::free(name);
        throw ESolverError(FormatMessage("The integrator refused its set-up: %s", {text}));
    }
}

void TFlow::Start(double n1, double n2, int direction, const TOptions& options,
                  std::vector<TEventFunction> events) {
    options_ = options;
    direction_ = direction < 0 ? -1 : 1;
    events_ = std::move(events);
    fired_.assign(events_.size(), 0);
    point_ = {0, n1, n2, 0};
    stepStart_ = 0;
    why_.clear();
    fault_ = nullptr;
    double* y = NV_DATA_S(y_.get());
    y[0] = n1;
    y[1] = n2;
    y[2] = 0;
    void* memory = memory_.get();
    if (memory && memoryStiff_ == options.stiff) {
        Check(CVodeReInit(memory, 0, y_.get()));
    } else {
        memory_.reset(CVodeCreate(options.stiff ? CV_BDF : CV_ADAMS, context_.get()));
        memory = memory_.get();
        if (!memory) throw std::bad_alloc();
        memoryStiff_ = options.stiff;
        Check(CVodeSetErrHandlerFn(
            memory, [](int, const char*, const char*, char*, void*) {}, nullptr));
        Check(CVodeInit(memory, Rhs, 0, y_.get()));
        Check(CVodeSetUserData(memory, this));
        Check(CVodeSetMaxNumSteps(memory, kMaxSteps));
        Check(CVodeSetLinearSolver(memory, linearSolver_.get(), matrix_.get()));
        Check(CVodeSetNoInactiveRootWarn(memory));
    }
    double* absTol = NV_DATA_S(absTol_.get());
    absTol[0] = absTol[1] = options.absTol;
    absTol[2] = options.relTol; // the divergence integral grows from 0 by O(1) a period
    Check(CVodeSVtolerances(memory, options.relTol, absTol_.get()));
    Check(CVodeSetInitStep(memory, direction_ * options.firstStep));
    Check(CVodeSetJacFn(memory, model_.HasDerivatives() ? Jacobian : nullptr));
    // A stop time far away in the direction wanted: one-step mode takes the
    // direction of integration from it.
    Check(CVodeSetStopTime(memory, direction_ * 1e300));
    Check(CVodeRootInit(memory, int(events_.size()), events_.empty() ? nullptr : Roots));
}

TFlow::TStop TFlow::Next() {
    double* y = NV_DATA_S(y_.get());
    double reached = point_.t;
    fault_ = nullptr;
    stepStart_ = point_.t;
    const int flag = CVode(memory_.get(), direction_ * 1e300, y_.get(), &reached, CV_ONE_STEP);
    if (flag < 0) {
        if (fault_) {
            try {
                std::rethrow_exception(fault_);
            } catch (const std::exception& fault) {
                why_ = fault.what();
            }
        } else {
            why_ = CvodeFlagReason(flag);
        }
        return TStop::Failed;
    }
    if (flag != CV_ROOT_RETURN) {
        // The step began where the last one ended; a root return leaves the
        // step under way, so its start is the last step's end.
        double last = 0;
        if (CVodeGetLastStep(memory_.get(), &last) == CV_SUCCESS) stepStart_ = reached - last;
    }
    point_ = {reached, y[0], y[1], y[2]};
    if (flag == CV_ROOT_RETURN) {
        CVodeGetRootInfo(memory_.get(), fired_.data());
        if (std::all_of(fired_.begin(), fired_.end(), [](int f) { return f == 0; })) NameTheRoot();
        // The library tells the direction of the change as t increases.
        for (int& f : fired_)
            f *= direction_;
        return TStop::Event;
    }
    return TStop::Step;
}

void TFlow::NameTheRoot() {
    // The library may return at a root without saying whose (a function that
    // crosses 0 with a value near the underflow, such as a rate at a density
    // near 0): the one that has come nearest to 0 since the step began,
    // changing the way its value at the step's start says.
    const TFlowPoint from = At(stepStart_);
    double nearest = HUGE_VAL;
    std::size_t which = 0;
    for (std::size_t i = 0; i < events_.size(); ++i) {
        const double before = events_[i](from.n1, from.n2);
        const double now = events_[i](point_.n1, point_.n2);
        const double share = std::fabs(now) / (std::fabs(before) + DBL_MIN);
        if (share < nearest) {
            nearest = share;
            which = i;
            fired_[i] = before < 0 ? 1 : -1;
        }
    }
    for (std::size_t i = 0; i < fired_.size(); ++i)
        if (i != which) fired_[i] = 0;
}

TFlowPoint TFlow::At(double t) const {
    if (CVodeGetDky(memory_.get(), t, 0, scratch_.get()) != CV_SUCCESS) return point_;
    const double* y = NV_DATA_S(scratch_.get());
    return {t, y[0], y[1], y[2]};
}

void TFlow::Velocity(double& r1, double& r2) const {
    r1 = r2 = std::numeric_limits<double>::quiet_NaN();
    if (CVodeGetDky(memory_.get(), point_.t, 1, scratch_.get()) != CV_SUCCESS) return;
    const double* y = NV_DATA_S(scratch_.get());
    r1 = y[0];
    r2 = y[1];
}

int TFlow::Rhs(double, N_Vector y, N_Vector ydot, void* self) noexcept {
    auto* flow = static_cast<TFlow*>(self);
    const double* state = NV_DATA_S(y);
    double* rate = NV_DATA_S(ydot);
    try {
        if (flow->options_.divergence) {
            const TLinearisation l = flow->model_.Jacobian(state[0], state[1]);
            rate[0] = l.rate1;
            rate[1] = l.rate2;
            rate[2] = l.jacobian.d1dN1 + l.jacobian.d2dN2;
        } else {
            flow->model_.Rates(state[0], state[1], rate[0], rate[1]);
            rate[2] = 0;
        }
        // Not finite: a step too large for the flow; the library retries it
        // smaller, and gives up if that does not help.
        return std::isfinite(rate[0] + rate[1] + rate[2]) ? 0 : 1;
    } catch (...) {
        // A fault at a trial state (the first step is sized by trying a
        // step far too large) is retried smaller as well; it is the reason
        // given only should the library give up.
        flow->fault_ = std::current_exception();
        return 1;
    }
}

int TFlow::Roots(double, N_Vector y, double* g, void* self) noexcept {
    auto* flow = static_cast<TFlow*>(self);
    const double* state = NV_DATA_S(y);
    try {
        // An exact 0 counts as positive: the library refuses a root it finds
        // again just after itself (an orbit at rest on a section, a rate 0
        // at the start), and a sign change is what an event is.
        for (size_t i = 0; i < flow->events_.size(); ++i) {
            const double value = flow->events_[i](state[0], state[1]);
            g[i] = value == 0 ? DBL_MIN : value;
        }
        return 0;
    } catch (...) {
        flow->fault_ = std::current_exception();
        return -1;
    }
}

int TFlow::Jacobian(double, N_Vector y, N_Vector, SUNMatrix J, void* self, N_Vector, N_Vector,
                    N_Vector) noexcept {
    auto* flow = static_cast<TFlow*>(self);
    const double* state = NV_DATA_S(y);
    try {
        // The divergence's own derivatives are left out: nothing depends on
        // it, so Newton's iteration converges on it all the same.
        return ExactJacobian(flow->model_, state, J);
    } catch (...) {
        flow->fault_ = std::current_exception();
        return -1;
    }
}
