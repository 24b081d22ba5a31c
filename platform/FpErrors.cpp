#include "FpErrors.h"

#include "Exception.h"

#include <cfenv>

namespace {
constexpr int kReported = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
}

void ClearFpFlags() noexcept {
    std::feclearexcept(FE_ALL_EXCEPT);
}

bool FpFaultPending() noexcept {
    return std::fetestexcept(kReported) != 0;
}

void RaiseFpFlags() {
    const int raised = std::fetestexcept(kReported);
    if (raised == 0) return;
    std::feclearexcept(FE_ALL_EXCEPT);
    if (raised & FE_INVALID) throw EInvalidOp();
    if (raised & FE_DIVBYZERO) throw EZeroDivide();
    throw EOverflow();
}

void RaiseInvalidOp() {
    throw EInvalidOp();
}
