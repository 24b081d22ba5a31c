#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The arguments of the batch run, as the help text shows them after the
// program name; the tolerances --rtol R and --atol A are named in its summary,
// so that the line fits a terminal.
inline constexpr char kBatchUsage[] = "--batch MODEL.ini [--steps N] [--every K] [--method M]";

// The headless run: `tarnivell --batch MODEL.ini [--steps N] [--every K]
// [--method euler|rk4|rk45|bdf] [--rtol R] [--atol A]`. `args` are the
// arguments after --batch. Loads the model as File > Load does, takes the
// method and tolerances given over those of the file, binds and compiles it as
// Start does (with the file's exact densities) and writes CSV to `out`: the
// header "t,N1,N2", the state before the first step, then the state after
// every K-th output step (default 1) up to N steps (default 1000). An error
// goes to `err` as the error display shows it, and the result is 1; an
// arithmetic fault or a solver failure stops the run at that step, after the
// rows before it. A model file that does not exist or cannot be read is such
// an error: a batch run never stands in the default model for the one it was
// given. The first Euler step that changes a density by more than half of its
// value is told once on `err` (TEulerStepWarning), as the window tells it.
int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
