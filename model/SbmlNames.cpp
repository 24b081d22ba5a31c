#include "SbmlNames.h"

#include "CompiledModel.h"
#include "FloatText.h"

#include <algorithm>
#include <map>

bool TSbmlNames::Taken(const std::string& name) const {
    return std::any_of(taken_.begin(), taken_.end(),
                       [&](const std::string& t) { return SameParameterName(t, name); });
}

std::string TSbmlNames::Claim(const std::string& name) {
    std::string result = name;
    for (int n = 2; Taken(result); ++n)
        result = name + "_" + std::to_string(n);
    taken_.push_back(result);
    return result;
}

std::string WithSeparator(std::string numeral) {
    std::replace(numeral.begin(), numeral.end(), '.', DecimalSeparator());
    return numeral;
}

std::string ValueText(double value) {
    return WithSeparator(ExactNumeral(value));
}

TRateTreePtr CompiledTree(TMathParser& parser, const std::vector<ParameterRow>& rows,
                          const std::string (&densities)[2]) {
    std::map<const double*, std::string> cells;
    for (int j = 0; j < 2; ++j)
        cells[parser.DefineVariable(kDensityNames[j], parser.VariableValue(kDensityNames[j]))] =
            densities[j];
    for (const ParameterRow& row : rows)
        if (!row.name.empty())
            cells[parser.DefineVariable(row.name, parser.VariableValue(row.name))] = row.name;
    return RateTreeOf(parser, cells);
}

TRateTreePtr CompiledTree(const std::vector<ParameterRow>& table, const std::string& rate) {
    TCompiledModel compiled;
    std::vector<ParameterRow> rows = table;
    compiled.Compile(rows, rate, "0");
    return CompiledTree(compiled.Parser(0), rows, kDensityNames);
}
