#pragma once

#include "SundialsStepper.h"

#include <cvode/cvode.h>

// The variable-order BDF method for stiff models from CVODE: Newton iteration
// with a dense linear solver on the model's exact Jacobian (difference
// quotients only where a rate calls a function without a known derivative).
class TBDFStepper final : public TSundialsStepper {
public:
    TBDFStepper();

protected:
    void Init(double t0) override;
    int Evolve(double tout, double& reached) override;
    int RootDirection() override;

private:
    static int Jacobian(double t, N_Vector y, N_Vector fy, SUNMatrix J, void* self, N_Vector,
                        N_Vector, N_Vector) noexcept;

    // Freed in reverse: the integrator before the solver and matrix it uses.
    TSunMatrix jacobian_;
    TSunLinearSolver linearSolver_;
    TSunMemory<CVodeFree> memory_;
};
