#include "DormandPrinceStepper.h"

#include <new>

namespace {

const TSundialsStepper::TFlags kFlags{
    ARK_TOO_MUCH_WORK, ARK_TOO_MUCH_ACC, ARK_ERR_FAILURE, ARK_CONV_FAILURE,        ARK_TOO_CLOSE,
    ARK_ILL_INPUT,     ARK_CONSTR_FAIL,  ARK_ROOT_RETURN, ERKStepGetReturnFlagName};

} // namespace

TDormandPrinceStepper::TDormandPrinceStepper() : TSundialsStepper(kFlags) {}

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
    Check(ERKStepSetConstraints(memory_.get(), Constraints()), t0);
    Check(ERKStepRootInit(memory_.get(), event_ ? 1 : 0, event_ ? Root : nullptr), t0);
    if (event_) Check(ERKStepSetNoInactiveRootWarn(memory_.get()), t0);
}

int TDormandPrinceStepper::RootDirection() {
    int found = 0;
    return ERKStepGetRootInfo(memory_.get(), &found) == ARK_SUCCESS ? found : 0;
}

int TDormandPrinceStepper::Evolve(double tout, double& reached) {
    return ERKStepEvolve(memory_.get(), tout, y_.get(), &reached, ARK_NORMAL);
}
