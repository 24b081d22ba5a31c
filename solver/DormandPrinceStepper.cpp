#include "DormandPrinceStepper.h"

#include <cstdlib>
#include <new>

void TDormandPrinceStepper::Init(double t0) {
    if (memory_) {
        Check(ERKStepReInit(memory_.get(), Rhs, t0, y_.get()), t0);
    } else {
        memory_.reset(ERKStepCreate(Rhs, t0, y_.get(), context_.get()));
        if (!memory_) throw std::bad_alloc();
        Check(ERKStepSetErrHandlerFn(memory_.get(), Quiet, nullptr), t0);
        Check(ERKStepSetUserData(memory_.get(), this), t0);
        Check(ERKStepSetTableNum(memory_.get(), ARKODE_DORMAND_PRINCE_7_4_5), t0);
        Check(ERKStepSetMaxNumSteps(memory_.get(), kMaxInternalSteps), t0);
    }
    Check(ERKStepSStolerances(memory_.get(), settings_.RelTol, settings_.AbsTol), t0);
}

int TDormandPrinceStepper::Evolve(double tout, double& reached) {
    return ERKStepEvolve(memory_.get(), tout, y_.get(), &reached, ARK_NORMAL);
}

std::string TDormandPrinceStepper::Reason(int flag) const {
    switch (flag) {
    case ARK_TOO_MUCH_WORK:
        return "too many internal steps";
    case ARK_TOO_MUCH_ACC:
        return "tolerances too small";
    case ARK_ERR_FAILURE:
        return "step size too small";
    case ARK_TOO_CLOSE:
        return "time step too small";
    case ARK_ILL_INPUT:
        return "invalid tolerances";
    default: {
        char* name = ERKStepGetReturnFlagName(flag);
        std::string text = name ? name : "unknown failure";
        std::free(name);
        return text;
    }
    }
}
