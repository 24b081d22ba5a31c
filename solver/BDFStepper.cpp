#include "BDFStepper.h"

#include "ExactJacobian.h"

#include <cvode/cvode_ls.h>
#include <sunlinsol/sunlinsol_dense.h>
#include <sunmatrix/sunmatrix_dense.h>

#include <cmath>
#include <exception>
#include <new>

namespace {

const TSundialsStepper::TFlags kFlags{CV_TOO_MUCH_WORK, CV_TOO_MUCH_ACC, CV_ERR_FAILURE,
                                      CV_CONV_FAILURE,  CV_TOO_CLOSE,    CV_ILL_INPUT,
                                      CV_CONSTR_FAIL,   CV_ROOT_RETURN,  CVodeGetReturnFlagName};

} // namespace

TBDFStepper::TBDFStepper() : TSundialsStepper(kFlags) {}

void TBDFStepper::Init(double t0) {
    if (memory_) {
        Check(CVodeReInit(memory_.get(), t0, y_.get()), t0);
    } else {
        memory_.reset(CVodeCreate(CV_BDF, context_.get()));
        if (!memory_) throw std::bad_alloc();
        Check(CVodeSetErrHandlerFn(memory_.get(), Quiet, nullptr), t0);
        Check(CVodeInit(memory_.get(), Rhs, t0, y_.get()), t0);
        Check(CVodeSetUserData(memory_.get(), this), t0);
        Check(CVodeSetMaxNumSteps(memory_.get(), kMaxInternalSteps), t0);
        jacobian_.reset(SUNDenseMatrix(2, 2, context_.get()));
        linearSolver_.reset(SUNLinSol_Dense(y_.get(), jacobian_.get(), context_.get()));
        if (!jacobian_ || !linearSolver_) throw std::bad_alloc();
        Check(CVodeSetLinearSolver(memory_.get(), linearSolver_.get(), jacobian_.get()), t0);
    }
    Check(CVodeSStolerances(memory_.get(), settings_.RelTol, settings_.AbsTol), t0);
    Check(CVodeSetJacFn(memory_.get(), model_->HasDerivatives() ? Jacobian : nullptr), t0);
    Check(CVodeSetConstraints(memory_.get(), Constraints()), t0);
    Check(CVodeRootInit(memory_.get(), event_ ? 1 : 0, event_ ? Root : nullptr), t0);
    if (event_) Check(CVodeSetNoInactiveRootWarn(memory_.get()), t0);
}

int TBDFStepper::RootDirection() {
    int found = 0;
    return CVodeGetRootInfo(memory_.get(), &found) == CV_SUCCESS ? found : 0;
}

int TBDFStepper::Jacobian(double, N_Vector y, N_Vector, SUNMatrix J, void* self, N_Vector, N_Vector,
                          N_Vector) noexcept {
    auto* stepper = static_cast<TBDFStepper*>(self);
    const double* state = NV_DATA_S(y);
    try {
        return ExactJacobian(*stepper->model_, state, J);
    } catch (...) {
        stepper->Fault() = std::current_exception();
        return -1;
    }
}

int TBDFStepper::Evolve(double tout, double& reached) {
    return CVode(memory_.get(), tout, y_.get(), &reached, CV_NORMAL);
}
