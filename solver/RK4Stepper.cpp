#include "RK4Stepper.h"

#include <cmath>
#include <exception>

namespace {

// y + h·k from a finite state and rate. The only fault such a sum can have is
// an overflow, and that shows in the result: testing it is cheaper than
// reading the status register, which the next evaluation clears anyway.
inline double StageState(double y, double h, double k) {
    const double s = y + h * k;
    if (!std::isfinite(s)) throw EOverflow();
    return s;
}

} // namespace

void TRK4Stepper::Step(double& t, double dt, double tout, double& N1, double& N2) {
    double n1 = 0;
    double n2 = 0;
    try {
        if (!std::isfinite(tout) && std::isfinite(t) && std::isfinite(dt)) throw EOverflow();
        const double half = 0.5 * dt;
        double a1, b1, a2, b2, a3, b3, a4, b4;
        rates_.At(N1, N2, a1, b1);
        rates_.At(StageState(N1, half, a1), StageState(N2, half, b1), a2, b2);
        rates_.At(StageState(N1, half, a2), StageState(N2, half, b2), a3, b3);
        rates_.At(StageState(N1, dt, a3), StageState(N2, dt, b3), a4, b4);
        n1 = StageState(N1, dt / 6, a1 + 2 * a2 + 2 * a3 + a4);
        n2 = StageState(N2, dt / 6, b1 + 2 * b2 + 2 * b3 + b4);
    } catch (const std::exception& fault) {
        rates_.Store(N1, N2);
        throw SolverStopped(t, fault.what());
    }
    t = tout;
    N1 = n1;
    N2 = n2;
    rates_.Store(N1, N2);
}
