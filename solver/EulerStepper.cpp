#include "EulerStepper.h"

#include "FpBarrier.h"
#include "FpFaults.h"

#include <cmath>

namespace {

// One density's update with its own fault test. The volatile read makes the
// compiler form the sum again rather than reuse one whose flags are gone.
double CheckedAdvance(double n, double rate, double dt) {
    volatile double fresh = rate;
    fpfaults::Begin();
    double next = n + fresh * dt;
    Formed(next);
    fpfaults::End();
    return next;
}

} // namespace

// The fault tests read the SSE status register, which costs as much as a short
// rate law; so a step tests once, after both updates, and only a step that
// faulted is gone through again in order to stop where the fault arose.
void TEulerStepper::Step(double& t, double dt, double tout, double& N1, double& N2) {
    if (std::isinf(tout) && std::isfinite(t) && std::isfinite(dt)) throw EOverflow();
    const double t0 = t;
    t = tout;

    const double r1 = model_->Rate1();
    double r2 = 0;
    try {
        // The N1 cells still hold the previous density here, so both rates
        // are taken at the same state: a simultaneous, not a sequential, update.
        r2 = model_->Rate2();
    } catch (...) {
        N1 = CheckedAdvance(N1, r1, dt); // stored before the second rate faulted
        throw;
    }
    double n1 = N1 + r1 * dt;
    double n2 = N2 + r2 * dt;
    Formed(n1);
    Formed(n2);
    if (fpfaults::Pending()) {
        N1 = CheckedAdvance(N1, r1, dt);
        N2 = CheckedAdvance(N2, r2, dt);
    }
    if (!tooLarge_ &&
        (std::fabs(n1 - N1) > 0.5 * std::fabs(N1) || std::fabs(n2 - N2) > 0.5 * std::fabs(N2)))
        tooLarge_ = true;
    const double a0 = N1, b0 = N2;
    N1 = n1;
    N2 = n2;
    model_->Store(N1, N2);
    if (event_)
        LocateOnStep(t0, a0, b0, t, n1, n2, [&](double theta, double& a, double& b) {
            a = std::lerp(a0, n1, theta);
            b = std::lerp(b0, n2, theta);
        });
}
