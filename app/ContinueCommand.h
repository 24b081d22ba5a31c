#pragma once

#include <iosfwd>
#include <string>
#include <vector>

inline constexpr char kContinueUsage[] =
    "--continue MODEL.ini NAME=FROM:TO [NAME2=FROM:TO] [--box BOX]";

// `tarnivell --continue MODEL.ini NAME=FROM:TO [--box N1MIN:N1MAX:N2MIN:N2MAX]`:
// the branches of equilibria of the model as parameter NAME runs from FROM to
// TO, then those of the limit cycles born at their Hopf points (Continue), as
// CSV: the header
// "branch,object,NAME,N1,N2,N1min,N1max,N2min,N2max,period,stable,label" (NAME
// as the model writes it) and each branch's rows in the order followed,
// branches numbered from 1; for an equilibrium the extremes repeat its
// densities and the period is empty, for a cycle (N1, N2) is a point of it;
// stable "yes" or "no"; the label of a special point on the row at its value.
// The box is that of --equilibria at the file's value of NAME (TPlaneCommand);
// without a box given `err` says which. A branch that could not go on keeps
// its rows and says where on `err`, and the result is 1. Bad arguments (an
// unknown NAME, FROM equal to TO), a model that cannot be loaded or a
// continuation that cannot run: the message on `err`, no rows, result 1.
//
// With a second NAME2=FROM:TO, the curves of folds and of Hopf points across
// both ranges (ContinueSpecialPoints) as CSV: the header
// "curve,kind,NAME,NAME2,N1,N2,label", each curve's rows in the order traced,
// curves numbered from 1, kind "fold" or "hopf", the label "bogdanov-takens",
// "cusp" or "bautin" on the row of such a point.
int RunContinue(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
