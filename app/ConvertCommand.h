#pragma once

#include <iosfwd>
#include <string>
#include <vector>

inline constexpr char kConvertUsage[] = "--convert IN OUT";

// `tarnivell --convert IN OUT`: reads the model file IN and writes it to OUT,
// each in the format of its extension (.ini, .ode, .xml/.sbml). What IN holds that OUT's
// format cannot carry is refused with its message and exit code 1; notes on
// what was read but has no effect go to `err`.
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
