#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

// AUTO-07p, run by auto-peer.sh, on a planar model given by its rate texts:
// one parameter followed from `from` to `to` starting on the equilibrium
// (n1, n2), and, when `at` is a number, the cycles born at its first Hopf
// point followed to the parameter's value `at`.
struct TAutoPeerRequest {
    std::string rate1, rate2;
    std::vector<std::pair<std::string, double>> parameters; // at most 10
    std::string parameter;
    double from = 0, to = 1;
    double n1 = 0, n2 = 0;
    double at = NAN;
};

struct TAutoPeerRun {
    // AUTO builds a program of the model before it runs it: the build's time
    // is kept apart from the runs'.
    double compileSeconds = NAN;
    double runSeconds = NAN;
    // ("fold", "branch_point" or "hopf", the parameter there), in the order
    // AUTO found them.
    std::vector<std::pair<std::string, double>> points;
    double period = NAN; // of the cycle at `at`
    // Why AUTO gave no answer ("auto-07p or gfortran is not installed");
    // empty when it did.
    std::string error;
};

TAutoPeerRun RunAutoPeer(const std::string& script, const TAutoPeerRequest& request);
