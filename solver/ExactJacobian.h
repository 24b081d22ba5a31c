#pragma once

#include "CompiledModel.h"

#include <sundials/sundials_matrix.h>

// The model's exact Jacobian at `state` into the top left 2 × 2 of the
// library's dense matrix `J`, the rest of it left at 0: CVODE's Jacobian
// function for a state whose first two entries are the densities. 0, or 1
// (a recoverable failure: the library tries a smaller step) where it is not
// finite. A fault throws; the library's callers catch it.
int ExactJacobian(TCompiledModel& model, const double* state, SUNMatrix J);
