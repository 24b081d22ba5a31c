#include "Solver.h"

#include "BDFStepper.h"
#include "DormandPrinceStepper.h"
#include "FloatText.h"
#include "RK4Stepper.h"

TSolver::TSolver() = default;
TSolver::~TSolver() = default;

namespace {

std::unique_ptr<TStepper> MakeStepper(TSolverMethod method, TRateLaws& rates) {
    switch (method) {
    case sm_RK4:
        return std::make_unique<TRK4Stepper>(rates);
    case sm_RK45:
        return std::make_unique<TDormandPrinceStepper>(rates);
    default:
        return std::make_unique<TBDFStepper>(rates);
    }
}

} // namespace

// The rate laws come last: a method that cannot be made leaves the solver
// detached, not pointing at a stepper that is gone.
void TSolver::Attach(const TRateLaws& rates, const TSolverSettings& settings) {
    Detach();
    stepper_ = &euler_;
    if (settings.Method != sm_Euler) {
        if (!other_ || otherMethod_ != settings.Method) {
            other_.reset();
            other_ = MakeStepper(settings.Method, rates_);
            otherMethod_ = settings.Method;
        }
        stepper_ = other_.get();
    }
    settings_ = settings;
    euler_.Restart(settings);
    stepper_->Restart(settings);
    rates_ = rates;
}

void TSolver::Restart() {
    if (stepper_ == &euler_ || !Attached()) return;
    const TRateLaws rates = rates_.Unused();
    const TSolverSettings settings = settings_;
    Attach(rates, settings);
}

void TSolver::Detach() {
    rates_ = TRateLaws();
    lastOut_ = std::numeric_limits<double>::quiet_NaN();
}

ESolverError TSolver::StepTooSmall(double t, double dt) {
    return ESolverError(FormatMessage("The time step %s is too small for t = %s: t + dt equals t",
                                      {FloatToText(dt), FloatToText(t)}));
}
