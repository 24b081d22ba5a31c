#include "ExactJacobian.h"

#include <sunmatrix/sunmatrix_dense.h>

#include <cmath>

int ExactJacobian(TCompiledModel& model, const double* state, SUNMatrix J) {
    const TJacobian j = model.Jacobian(state[0], state[1]).jacobian;
    SUNMatZero(J);
    SM_ELEMENT_D(J, 0, 0) = j.d1dN1;
    SM_ELEMENT_D(J, 0, 1) = j.d1dN2;
    SM_ELEMENT_D(J, 1, 0) = j.d2dN1;
    SM_ELEMENT_D(J, 1, 1) = j.d2dN2;
    return std::isfinite(j.d1dN1 + j.d1dN2 + j.d2dN1 + j.d2dN2) ? 0 : 1;
}
