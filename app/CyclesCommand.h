#pragma once

#include <iosfwd>
#include <string>
#include <vector>

inline constexpr char kCyclesUsage[] = "--cycles MODEL.ini [--box N1MIN:N1MAX:N2MIN:N2MAX]";

// `tarnivell --cycles MODEL.ini [--box N1MIN:N1MAX:N2MIN:N2MAX]`: the
// model's limit cycles that pass through the box as CSV, the header
// "N1,N2,period,N1min,N1max,N2min,N2max,multiplier,kind" and one row per
// cycle (a point of it, its period, extent, multiplier and kind) ordered by
// period then N1max. The box and the equilibria the search starts around are
// those of --equilibria (TPlaneCommand); without a box given `err` says which
// box was searched. Finding none is a result (the header alone, exit 0); so
// is a family of closed orbits around a centre, said on `err`, as is each
// orbit that could not be pinned down. Errors as --equilibria's: the message
// on `err`, exit 1.
int RunCycles(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
