#include "Solver.h"

#include "BDFStepper.h"
#include "DormandPrinceStepper.h"
#include "FloatText.h"
#include "RK4Stepper.h"

#include <cmath>

TSolver::TSolver() = default;
TSolver::~TSolver() = default;

namespace {

std::unique_ptr<TStepper> MakeStepper(TSolverMethod method) {
    switch (method) {
    case sm_RK4:
        return std::make_unique<TRK4Stepper>();
    case sm_RK45:
        return std::make_unique<TDormandPrinceStepper>();
    default:
        return std::make_unique<TBDFStepper>();
    }
}

} // namespace

// The model comes last: a method that cannot be made leaves the solver
// detached, not pointing at a stepper that is gone.
void TSolver::Attach(TCompiledModel& model, const TSolverSettings& settings) {
    Detach();
    stepper_ = &euler_;
    if (settings.Method != sm_Euler) {
        if (!other_ || otherMethod_ != settings.Method) {
            other_.reset();
            other_ = MakeStepper(settings.Method);
            otherMethod_ = settings.Method;
        }
        stepper_ = other_.get();
    }
    settings_ = settings;
    euler_.Restart(model, settings);
    stepper_->Restart(model, settings);
    stepper_->Watch(event_ ? &event_ : nullptr, &crossings_);
    model_ = &model;
    evaluationsBefore_ = model.Evaluations();
}

void TSolver::Restart() {
    if (stepper_ == &euler_ || !Attached()) return;
    Attach(*model_, TSolverSettings(settings_));
}

void TSolver::Detach() {
    model_ = nullptr;
    if (!offClock_) lastOut_ = std::numeric_limits<double>::quiet_NaN();
}

void TSolver::Watch(TEventFunction event) {
    event_ = std::move(event);
    crossings_.clear();
    stepper_->Watch(event_ ? &event_ : nullptr, &crossings_);
}

bool TSolver::StopReached(double t, double dt, double stop) {
    return t >= stop - 1E-9 * std::fabs(dt);
}

ESolverError TSolver::StepTooSmall(double t, double dt) {
    return ESolverError(FormatMessage("The time step %s is too small for t = %s: t + dt equals t",
                                      {FloatToText(dt), FloatToText(t)}));
}
