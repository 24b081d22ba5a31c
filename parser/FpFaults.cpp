#include "FpFaults.h"

namespace fpfaults {

void Throw(unsigned bits) {
    Clear(bits);
    if (bits & kInvalid) throw EInvalidOp();
    if (bits & kZeroDivide) throw EZeroDivide();
    throw EOverflow();
}

void Raise(unsigned bits) {
    const unsigned pending = Pending();
    Throw(pending ? pending : bits);
}

void RaiseDivByZero() {
    if (const unsigned pending = Pending()) Throw(pending);
    throw EDivByZero();
}

} // namespace fpfaults
