#include "Stepper.h"

#include "FloatText.h"

#include <cmath>

// Bisection on the fraction of the step: the interpolant's event function
// need not be smooth (a section through a kink of the model), and 60 halvings
// bring any step down to the spacing of doubles near its ends.
void TStepper::LocateOnStep(double t0, double a0, double b0, double t1, double a1, double b1,
                            const std::function<void(double, double&, double&)>& at) {
    if (!event_ || !crossings_) return;
    const double g0 = (*event_)(a0, b0);
    const double g1 = (*event_)(a1, b1);
    if (!(g0 < 0 && g1 >= 0) && !(g0 > 0 && g1 <= 0)) return;
    const int direction = g1 > g0 ? 1 : -1;
    if (g1 == 0) {
        crossings_->push_back({t1, a1, b1, direction});
        return;
    }
    double lo = 0, hi = 1;
    double n1 = a1, n2 = b1;
    for (int i = 0; i < 60 && hi - lo > 0; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (mid == lo || mid == hi) break;
        at(mid, n1, n2);
        const double g = (*event_)(n1, n2);
        if ((g < 0) == (g0 < 0) && g != 0)
            lo = mid;
        else
            hi = mid;
    }
    at(hi, n1, n2);
    crossings_->push_back({std::lerp(t0, t1, hi), n1, n2, direction});
}

ESolverError SolverStopped(double reached, const std::string& why) {
    return ESolverError(FormatMessage("Solver stopped at t = %s: %s", {FloatToText(reached), why}));
}
