#pragma once

#include "SundialsStepper.h"

#include <cvode/cvode.h>

// The variable-order BDF method for stiff models from CVODE: Newton iteration
// with a dense linear solver on a difference-quotient Jacobian.
class TBDFStepper final : public TSundialsStepper {
public:
    explicit TBDFStepper(TRateLaws& rates);

protected:
    void Init(double t0) override;
    int Evolve(double tout, double& reached) override;

private:
    // Freed in reverse: the integrator before the solver and matrix it uses.
    TSunMatrix jacobian_;
    TSunLinearSolver linearSolver_;
    TSunMemory<CVodeFree> memory_;
};
