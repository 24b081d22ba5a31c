#include "RK4Stepper.h"

#include "FpBarrier.h"
#include "FpFaults.h"

#include <cmath>
#include <exception>

namespace {

// y + h·k, tested for overflow before the next evaluation clears the flags.
inline double StageState(double y, double h, double k) {
    double s = y + h * k;
    Formed(s);
    return s;
}

} // namespace

void TRK4Stepper::Step(double& t, double dt, double& N1, double& N2) {
    double n1 = 0;
    double n2 = 0;
    try {
        if (std::isinf(t + dt) && std::isfinite(t) && std::isfinite(dt)) throw EOverflow();
        const double half = 0.5 * dt;
        double a1, b1, a2, b2, a3, b3, a4, b4;
        rates_.At(N1, N2, a1, b1);
        double s1 = StageState(N1, half, a1);
        double s2 = StageState(N2, half, b1);
        fpfaults::End();
        rates_.At(s1, s2, a2, b2);
        s1 = StageState(N1, half, a2);
        s2 = StageState(N2, half, b2);
        fpfaults::End();
        rates_.At(s1, s2, a3, b3);
        s1 = StageState(N1, dt, a3);
        s2 = StageState(N2, dt, b3);
        fpfaults::End();
        rates_.At(s1, s2, a4, b4);
        n1 = N1 + dt / 6 * (a1 + 2 * a2 + 2 * a3 + a4);
        n2 = N2 + dt / 6 * (b1 + 2 * b2 + 2 * b3 + b4);
        Formed(n1);
        Formed(n2);
        fpfaults::End();
    } catch (const std::exception& fault) {
        rates_.Store(N1, N2);
        throw SolverStopped(t, fault.what());
    }
    t += dt;
    N1 = n1;
    N2 = n2;
    rates_.Store(N1, N2);
}
