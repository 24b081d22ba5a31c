#pragma once

#include <iosfwd>
#include <string>
#include <vector>

inline constexpr char kEquilibriaUsage[] = "--equilibria MODEL.ini [--box N1MIN:N1MAX:N2MIN:N2MAX]";

// `tarnivell --equilibria MODEL.ini [--box N1MIN:N1MAX:N2MIN:N2MAX]`: the
// model's isolated equilibria in the box as CSV, the header
// "N1,N2,re1,im1,re2,im2,kind" and one row per equilibrium ordered by N1 then
// N2, numbers in the general number text. A box given is searched exactly.
// Without one the search starts from 0 to 10 × the larger of 1 and the
// model's two densities on both axes and grows that box where nullclines
// leave it toward a crossing (FindEquilibriaGrowing), and says on `err` which
// box it searched. Each curve of equilibria found is a sentence on `err`.
// Finding none is a result (the header alone, exit 0); a model that cannot be
// loaded or compiled, a bad box or a search that cannot run (rates without
// derivatives) is an error: its message on `err`, exit 1.
int RunEquilibria(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
