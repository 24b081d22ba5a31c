#include "Simulation.h"

#include "FloatText.h"
#include "FpErrors.h"

#include <algorithm>

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

void TSimulation::Step() {
    if (!IsBound()) return;
    ClearFpFlags();
    t = t + dt;
    RaiseFpFlags();

    const double r1 = MathParser1.Value();
    const double n1 = N1 + r1 * dt;
    RaiseFpFlags();
    N1 = n1;

    // The N1 cells still hold the previous density here, so both rates are
    // taken at the same state: a simultaneous, not a sequential, update.
    const double r2 = MathParser2.Value();
    const double n2 = N2 + r2 * dt;
    RaiseFpFlags();
    N2 = n2;

    *cellN1Of2_ = N1;
    *cellN1Of1_ = N1;
    *cellN2Of2_ = N2;
    *cellN2Of1_ = N2;
}
