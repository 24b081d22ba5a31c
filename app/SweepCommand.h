#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The arguments of the sweep, as the help text shows them after the program
// name; --discard, --method, --rtol and --atol are named in its summary, so
// that the line fits a terminal.
inline constexpr char kSweepUsage[] = "--sweep MODEL.ini NAME=FROM:TO:COUNT [--steps N] [--follow]";

// The headless sweep: `tarnivell --sweep MODEL.ini NAME=FROM:TO:COUNT
// [--steps N] [--discard M] [--follow] [--method M] [--rtol R] [--atol A]`.
// `args` are the arguments after --sweep. Runs the model (loaded as --batch
// loads it) for COUNT evenly spaced values of the parameter NAME from FROM to
// TO, both included (FROM may be above TO), on every core, each until it
// reaches its equilibrium or cycle or has taken N steps (default
// kDefaultSweepSteps), looking from step M on (default 0); with --follow one
// after another, each from the state the one before ended in. Writes CSV to
// `out`: the header "NAME,N1min,N1max,N2min,N2max,N1last,N2last,period,
// converged" (NAME as given), then one row per value in order (TSweepRow: the
// period empty for an equilibrium, converged "yes" or "no"). A run that faults
// gets a row with the value and empty fields, and its message on `err`; the
// others go on, and the result is 1. When an Euler step of any run changed a
// density by more than half of its value, that is told once on `err` at the
// end (TEulerStepWarning). Bad arguments or a model that cannot
// run: the message on `err`, no rows, result 1.
int RunSweepCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
