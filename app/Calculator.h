#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The command-line calculator: `tarnivell --eval EXPR [NAME=VALUE ...]`, for
// trying out a rate law before a run. `args` are the arguments after --eval.
// Prints the value as general number text and returns 0; on an error prints
// what the error display would show to `err` and returns 1.
int RunCalculator(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
