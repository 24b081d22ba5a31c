#include "Simulation.h"

#include "Exception.h"
#include "FloatText.h"
#include "FpFaults.h"

#include <algorithm>
#include <cmath>

std::string RemoveBlanks(const std::string& text) {
    std::string out = text;
    out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
    return out;
}

void TSimulation::Bind(std::vector<ParameterRow>& rows, const std::string& rate1,
                       const std::string& rate2) {
    cellN1Of1_ = cellN1Of2_ = cellN2Of1_ = cellN2Of2_ = nullptr;
    MathParser1.RemoveVariables();
    MathParser2.RemoveVariables();

    double* n1Of1 = MathParser1.DefineVariable("N1", N1);
    double* n1Of2 = MathParser2.DefineVariable("N1", N1);
    double* n2Of1 = MathParser1.DefineVariable("N2", N2);
    double* n2Of2 = MathParser2.DefineVariable("N2", N2);

    BindParameters(rows);
    MathParser1.SetExpression(RemoveBlanks(rate1));
    MathParser2.SetExpression(RemoveBlanks(rate2));

    cellN1Of1_ = n1Of1;
    cellN1Of2_ = n1Of2;
    cellN2Of1_ = n2Of1;
    cellN2Of2_ = n2Of2;
}

void TSimulation::BindParameters(std::vector<ParameterRow>& rows) {
    for (ParameterRow& row : rows) {
        if (row.name.empty()) continue;
        MathParser1.DefineVariable(row.name, TextToFloat(row.value));
        MathParser2.DefineVariable(row.name, TextToFloat(row.value));
        row.value = FloatToText(MathParser1.VariableValue(row.name));
    }
}

namespace {

// The status register is not an operand of the arithmetic, so the compiler
// may move a sum past the read of it; this pins the sum before the read.
inline void Formed(double& v) {
#if defined(__x86_64__) || defined(__SSE2__)
    asm volatile("" : "+x"(v));
#else
    asm volatile("" : "+g"(v));
#endif
}

// One density's Euler update with its own fault test. The volatile read makes
// the compiler form the sum again rather than reuse one whose flags are gone.
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
void TSimulation::Step() {
    if (!IsBound()) return;
    const double next = t + dt;
    if (std::isinf(next) && std::isfinite(t) && std::isfinite(dt)) throw EOverflow();
    t = next;

    const double r1 = MathParser1.Value();
    double r2 = 0;
    try {
        // The N1 cells still hold the previous density here, so both rates
        // are taken at the same state: a simultaneous, not a sequential, update.
        r2 = MathParser2.Value();
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
    N1 = n1;
    N2 = n2;

    *cellN1Of2_ = N1;
    *cellN1Of1_ = N1;
    *cellN2Of2_ = N2;
    *cellN2Of1_ = N2;
}
