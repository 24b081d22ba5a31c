#include "EulerStepper.h"

#include "FpBarrier.h"
#include "FpFaults.h"

#include <cmath>
#include <exception>

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

void TEulerStepper::Step(double& t, double dt, double tout, double& N1, double& N2) {
    const double t0 = t;
    try {
        Advance(t, dt, tout, N1, N2);
    } catch (const std::exception& fault) {
        throw SolverStopped(t0, fault.what());
    }
}

// The fault tests read the SSE status register, which costs as much as a short
// rate law; so a step tests once, after both updates, and only a step that
// faulted is gone through again in order to stop where the fault arose.
void TEulerStepper::Advance(double& t, double dt, double tout, double& N1, double& N2) {
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
    if (event_) Locate(t0, a0, b0, t, dt, n1, n2);
    last_ = {true, dt, a0, b0, t, n1, n2};
}

// Euler's points stand for a curve that turns between them; the chord
// between two cuts its turn short by an eighth of the step's turn squared,
// and where an event is found on it moves with where the step falls. The
// curve here is the cubic through the point before the step, both ends and
// the point after (one evaluation more, in a step with a sign change only),
// or, without a point before, the parabola through the last three.
void TEulerStepper::Locate(double t0, double a0, double b0, double t, double dt, double n1,
                           double n2) {
    const bool before =
        last_.valid && last_.dt == dt && last_.t == t0 && last_.n1 == a0 && last_.n2 == b0;
    bool after = false;
    double a2 = 0, b2 = 0;
    LocateOnStep(t0, a0, b0, t, n1, n2, [&](double s, double& a, double& b) {
        if (!after) {
            try {
                double r1 = 0, r2 = 0;
                model_->Rates(n1, n2, r1, r2);
                a2 = n1 + dt * r1;
                b2 = n2 + dt * r2;
            } catch (const std::exception&) {
                a2 = 2 * n1 - a0; // no rates there: the chord's point
                b2 = 2 * n2 - b0;
            }
            model_->Store(n1, n2);
            after = true;
        }
        // Lagrange weights at s of the points at -1, 0, 1 and 2 steps.
        double w[4];
        if (before) {
            w[0] = -s * (s - 1) * (s - 2) / 6;
            w[1] = (s + 1) * (s - 1) * (s - 2) / 2;
            w[2] = -(s + 1) * s * (s - 2) / 2;
            w[3] = (s + 1) * s * (s - 1) / 6;
        } else {
            w[0] = 0;
            w[1] = (s - 1) * (s - 2) / 2;
            w[2] = -s * (s - 2);
            w[3] = s * (s - 1) / 2;
        }
        a = w[0] * last_.a0 + w[1] * a0 + w[2] * n1 + w[3] * a2;
        b = w[0] * last_.b0 + w[1] * b0 + w[2] * n2 + w[3] * b2;
    });
}
