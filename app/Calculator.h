#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The arguments of the calculator, as the help text shows them after the
// program name.
inline constexpr char kCalculatorUsage[] = "--eval EXPR [NAME=VALUE ...]";

// The command-line calculator: `tarnivell --eval EXPR [NAME=VALUE ...]`, for
// trying out a rate law before a run. `args` are the arguments after --eval.
// The expression loses its blanks as a rate does, so a rate copied from a
// model file gives the value a run would use. Prints the value as general
// number text and returns 0; on an error prints what the error display would
// show to `err` and returns 1.
int RunCalculator(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
