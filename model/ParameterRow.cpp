#include "ParameterRow.h"

#include "Exception.h"
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
