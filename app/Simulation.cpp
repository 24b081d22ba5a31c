#include "Simulation.h"

#include "Exception.h"
#include "FloatText.h"
#include "ParserErrors.h"

#include <algorithm>
#include <cctype>
#include <cstring>

std::string RemoveBlanks(const std::string& text) {
    std::string out = text;
    out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
    return out;
}

bool IsParameterName(const std::string& name) {
    return IsVariableName(name);
}

bool SameParameterName(const std::string& a, const std::string& b) {
    return SameVariableName(a, b);
}

// Names that would silently shadow each other: two rows of one name (letter
// case aside) or a row named like a density. Rows count from 1 as shown.
void CheckParameterNames(const std::vector<ParameterRow>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string& name = rows[i].name;
        if (name.empty()) continue;
        if (!IsParameterName(name))
            throw EBadName(
                FormatMessage("Row %s of the parameter table: '%s' is not a valid parameter name",
                              {std::to_string(i + 1), name}));
        for (const char* density : {"N1", "N2"})
            if (SameParameterName(name, density))
                throw Exception(FormatMessage(
                    "Row %s of the parameter table is named '%s', the name of a density",
                    {std::to_string(i + 1), name}));
        for (std::size_t j = i + 1; j < rows.size(); ++j)
            if (!rows[j].name.empty() && SameParameterName(name, rows[j].name))
                throw Exception(FormatMessage(
                    "Rows %s and %s of the parameter table name one "
                    "parameter ('%s' and '%s': letter case does not count)",
                    {std::to_string(i + 1), std::to_string(j + 1), name, rows[j].name}));
    }
}

void CheckRateLength(const std::string& label, const std::string& rate) {
    if (rate.size() > kMaxRateLength)
        throw Exception(
            FormatMessage("The rate %s has %s characters; a rate may have at most %s",
                          {label, std::to_string(rate.size()), std::to_string(kMaxRateLength)}));
}

void CompileRate(TMathParser& parser, const std::string& label, const std::string& rate) {
    CheckRateLength(label, rate);
    const std::string text = RemoveBlanks(rate);
    try {
        parser.SetExpression(text);
    } catch (const ESyntaxError& error) {
        // An operator, a minus, then no digit: a negated name or bracket.
        for (std::size_t i = 1; i + 1 < text.size(); ++i)
            if (text[i] == '-' && std::strchr("+-*/^", text[i - 1]) &&
                !std::isdigit(static_cast<unsigned char>(text[i + 1])) && text[i + 1] != '.')
                throw ESyntaxError(error.Message() +
                                   "\rA minus after an operator needs brackets: write 2*(-x), "
                                   "not 2*-x");
        throw;
    }
}

void TSimulation::Bind(std::vector<ParameterRow>& rows, const std::string& rate1,
                       const std::string& rate2) {
    solver_.Detach();
    parameters_.clear();
    CheckTimeStep(dt);
    CheckParameterNames(rows);
    MathParser1.RemoveVariables();
    MathParser2.RemoveVariables();

    double* n1Of1 = MathParser1.DefineVariable("N1", N1);
    double* n1Of2 = MathParser2.DefineVariable("N1", N1);
    double* n2Of1 = MathParser1.DefineVariable("N2", N2);
    double* n2Of2 = MathParser2.DefineVariable("N2", N2);
    cells_[0][0] = n1Of1;
    cells_[0][1] = n2Of1;
    cells_[1][0] = n1Of2;
    cells_[1][1] = n2Of2;

    BindParameters(rows);
    CompileRate(MathParser1, "dN1/dt", rate1);
    CompileRate(MathParser2, "dN2/dt", rate2);

    solver_.Attach(TRateLaws(MathParser1, MathParser2, n1Of1, n1Of2, n2Of1, n2Of2), Settings);
}

void TSimulation::BindParameters(std::vector<ParameterRow>& rows) {
    std::vector<TBoundParameter> bound(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ParameterRow& row = rows[i];
        if (row.name.empty()) continue;
        double* cell1 = MathParser1.DefineVariable(row.name, TextToFloat(row.value));
        double* cell2 = MathParser2.DefineVariable(row.name, TextToFloat(row.value));
        row.value = FloatToText(MathParser1.VariableValue(row.name));
        bound[i] = {row.name, cell1, cell2};
    }
    parameters_ = std::move(bound);
}

bool TSimulation::MoveParameter(std::size_t row, const std::string& name, double value) {
    if (!IsBound() || row >= parameters_.size()) return false;
    const TBoundParameter& p = parameters_[row];
    if (!p.cell1 || p.name != name) return false;
    *p.cell1 = value;
    *p.cell2 = value;
    solver_.Restart();
    return true;
}

void TSimulation::Restart(double t0, double n1, double n2) {
    t = t0;
    N1 = n1;
    N2 = n2;
    for (double* const(&cells)[2] : cells_) {
        if (cells[0]) *cells[0] = n1;
        if (cells[1]) *cells[1] = n2;
    }
    solver_.Restart();
}

void TSimulation::Step() {
    if (IsBound()) solver_.Step(t, dt, N1, N2);
}
