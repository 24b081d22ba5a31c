#pragma once

#include <iosfwd>
#include <string>
#include <vector>

inline constexpr char kFitUsage[] =
    "--fit MODEL.ini DATA.csv --params NAME,... [--densities] [--log]";

// `tarnivell --fit MODEL.ini DATA.csv --params a,b,... [--densities] [--log]
// [--starts N] [--columns t=COL,N1=COL,N2=COL] [--out FILE.ini]`: the least-squares fit
// of the model's parameters named (and with --densities of both initial
// densities) to the counts in DATA.csv (Fit), as CSV
// "name,estimate,standard_error": a row per parameter in the order given,
// then N1 and N2 with --densities; "not identifiable" in place of the error
// of one the data cannot determine. Standard error gets one line "SSR=...,
// points=..., AIC=...". --log fits logarithms of the counts, --starts N starts
// from N points (default 8: the model's values, the rest a Latin hypercube
// over the bounds), --columns names the data's columns, --out writes the model
// with the estimates as File > Save does. A parameter is held within its
// slider's span, a density within 0 to 10 times the largest count. A fit that
// did not converge prints its rows, says why on `err` and gives 1. Bad
// arguments, files or data, or a fit that cannot run: the message on `err`,
// nothing on `out`, result 1.
int RunFit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
