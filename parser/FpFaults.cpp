#include "FpFaults.h"

namespace fpfaults {

void Throw(unsigned bits) {
    Clear(bits);
    if (bits & kInvalid) throw EInvalidOp();
    if (bits & kZeroDivide) throw EZeroDivide();
    throw EOverflow();
}

void Raise(unsigned bits) {
    Throw(bits);
}

void RaiseDivByZero() {
    throw EDivByZero();
}

} // namespace fpfaults
