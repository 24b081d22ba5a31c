#pragma once

#include "MathParser.h"
#include "ParameterRange.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// One row of the parameter table: a name, a value as text, a free
// description and the span of its slider (none: the default span of the
// value). A row with an empty name holds no parameter.
struct ParameterRow {
    std::string name;
    std::string value;
    std::string description;
    std::optional<TParameterRange> range = std::nullopt;
};

// Removes every blank (code 32) from a rate text; tabs and other characters stay.
std::string RemoveBlanks(const std::string& text);

// A name the parsers accept for a parameter (an identifier).
bool IsParameterName(const std::string& name);
// Two names the parsers take for one (letter case aside).
bool SameParameterName(const std::string& a, const std::string& b);

// Refuses a table with a name that is no identifier or names that would
// shadow each other: two rows naming one parameter (letter case aside), or a
// row named N1 or N2. The message names the rows, counted from 1 in the order
// given.
void CheckParameterNames(const std::vector<ParameterRow>& rows);

// The longest rate text taken, in characters: far more than any rate law
// needs, and short enough to compile at once and to stay whole in an edit.
constexpr std::size_t kMaxRateLength = 30000;
// Refuses a rate text longer than kMaxRateLength; `label` names it
// ("dN1/dt").
void CheckRateLength(const std::string& label, const std::string& rate);
// Compiles a rate text, its blanks removed, after CheckRateLength. A syntax
// error where a minus follows an operator (2*-x, which the grammar reads as
// no sign of a numeral) says how to write it.
void CompileRate(TMathParser& parser, const std::string& label, const std::string& rate);
