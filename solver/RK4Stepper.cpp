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
    double f0[2] = {};
    try {
        if (!std::isfinite(tout) && std::isfinite(t) && std::isfinite(dt)) throw EOverflow();
        const double half = 0.5 * dt;
        double a1, b1, a2, b2, a3, b3, a4, b4;
        model_->Rates(N1, N2, a1, b1);
        f0[0] = a1;
        f0[1] = b1;
        model_->Rates(StageState(N1, half, a1), StageState(N2, half, b1), a2, b2);
        model_->Rates(StageState(N1, half, a2), StageState(N2, half, b2), a3, b3);
        model_->Rates(StageState(N1, dt, a3), StageState(N2, dt, b3), a4, b4);
        n1 = StageState(N1, dt / 6, a1 + 2 * a2 + 2 * a3 + a4);
        n2 = StageState(N2, dt / 6, b1 + 2 * b2 + 2 * b3 + b4);
    } catch (const std::exception& fault) {
        model_->Store(N1, N2);
        throw SolverStopped(t, fault.what());
    }
    const double t0 = t, a0 = N1, b0 = N2;
    t = tout;
    N1 = n1;
    N2 = n2;
    model_->Store(N1, N2);
    if (event_ && crossings_) LocateEvent(t0, a0, b0, t, dt, n1, n2, f0[0], f0[1]);
}

void TRK4Stepper::LocateEvent(double t0, double a0, double b0, double t1, double dt, double a1,
                              double b1, double fa0, double fb0) {
    const double g0 = (*event_)(a0, b0), g1 = (*event_)(a1, b1);
    if ((g0 < 0) == (g1 < 0) && (g0 > 0) == (g1 > 0)) return;
    double fa1 = 0, fb1 = 0;
    try {
        model_->Rates(a1, b1, fa1, fb1);
    } catch (const std::exception&) {
        fa1 = (a1 - a0) / dt; // no slope at the end: the chord's
        fb1 = (b1 - b0) / dt;
    }
    model_->Store(a1, b1);
    // The cubic through both ends with the rates as slopes.
    const auto hermite = [dt](double y0, double y1, double f0, double f1, double s) {
        const double s2 = s * s, s3 = s2 * s;
        return (2 * s3 - 3 * s2 + 1) * y0 + (s3 - 2 * s2 + s) * dt * f0 + (-2 * s3 + 3 * s2) * y1 +
               (s3 - s2) * dt * f1;
    };
    LocateOnStep(t0, a0, b0, t1, a1, b1, [&](double s, double& a, double& b) {
        a = s >= 1 ? a1 : hermite(a0, a1, fa0, fa1, s);
        b = s >= 1 ? b1 : hermite(b0, b1, fb0, fb1, s);
    });
}
