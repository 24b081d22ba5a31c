#include "Simulation.h"

#include "Exception.h"
#include "FloatText.h"

#include <algorithm>

std::string RemoveBlanks(const std::string& text) {
    std::string out = text;
    out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
    return out;
}

void TSimulation::Bind(std::vector<ParameterRow>& rows, const std::string& rate1,
                       const std::string& rate2) {
    solver_.Detach();
    MathParser1.RemoveVariables();
    MathParser2.RemoveVariables();

    double* n1Of1 = MathParser1.DefineVariable("N1", N1);
    double* n1Of2 = MathParser2.DefineVariable("N1", N1);
    double* n2Of1 = MathParser1.DefineVariable("N2", N2);
    double* n2Of2 = MathParser2.DefineVariable("N2", N2);

    BindParameters(rows);
    MathParser1.SetExpression(RemoveBlanks(rate1));
    MathParser2.SetExpression(RemoveBlanks(rate2));

    solver_.Attach(TRateLaws(MathParser1, MathParser2, n1Of1, n1Of2, n2Of1, n2Of2), Settings);
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
    if (IsBound()) solver_.Step(t, dt, N1, N2);
}
