#include "Solver.h"

#include "BDFStepper.h"
#include "DormandPrinceStepper.h"
#include "RK4Stepper.h"

TSolver::TSolver() = default;
TSolver::~TSolver() = default;

void TSolver::Attach(const TRateLaws& rates, const TSolverSettings& settings) {
    rates_ = rates;
    settings_ = settings;
    if (settings.Method == sm_Euler) {
        stepper_ = &euler_;
    } else {
        if (!other_ || otherMethod_ != settings.Method) {
            other_.reset();
            switch (settings.Method) {
            case sm_RK4:
                other_ = std::make_unique<TRK4Stepper>(rates_);
                break;
            case sm_RK45:
                other_ = std::make_unique<TDormandPrinceStepper>(rates_);
                break;
            default:
                other_ = std::make_unique<TBDFStepper>(rates_);
                break;
            }
            otherMethod_ = settings.Method;
        }
        stepper_ = other_.get();
    }
    euler_.Restart(settings);
    stepper_->Restart(settings);
}

void TSolver::Detach() {
    rates_ = TRateLaws();
}
