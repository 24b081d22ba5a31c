#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The arguments of the sweep, as the help text shows them after the program
// name; --method, --rtol and --atol are named in its summary, so that the
// line fits a terminal.
inline constexpr char kSweepUsage[] =
    "--sweep MODEL.ini NAME=FROM:TO:COUNT [--steps N] [--discard M]";

// The headless sweep: `tarnivell --sweep MODEL.ini NAME=FROM:TO:COUNT
// [--steps N] [--discard M] [--method M] [--rtol R] [--atol A]`. `args` are
// the arguments after --sweep. Runs the model (loaded as --batch loads it)
// for COUNT evenly spaced values of the parameter NAME from FROM to TO, both
// included, N steps each (default 1000), on every core, and writes CSV to
// `out`: the header "NAME,N1min,N1max,N2min,N2max,N1last,N2last" (NAME as
// given), then one row per value in order, the figures taken over the steps
// after the first M (default N/2). A run that faults gets a row with the value
// and empty fields, and its message on `err`; the others go on, and the result
// is 1. Bad arguments or a model that cannot run: the message on `err`, no
// rows, result 1.
int RunSweepCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
