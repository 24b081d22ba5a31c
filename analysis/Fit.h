#pragma once

#include "CompiledModel.h"
#include "FitResiduals.h"
#include "ObservedData.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Fitting the model to observed counts: least squares by Levenberg–Marquardt
// within bounds (Ceres Solver), on the exact Jacobian of the residuals
// (TFitResiduals), from several starts at once.

struct TFitOptions {
    // What is estimated, in the order the result lists it.
    std::vector<TFitUnknown> unknowns;
    // The initial densities; the first start's values for unknown ones.
    double n1 = 1, n2 = 1;
    bool logarithms = false;
    // The integration's relative tolerance (the fit's own, whatever method a
    // run uses).
    double relTol = 1e-8;
    // The first start from the model's values, the rest spread over the
    // bounds by a Latin hypercube drawn from `seed`.
    int starts = 1;
    std::uint64_t seed = 1;
    int threads = 0; // 0: every core
    const std::atomic<bool>* cancel = nullptr;
    // After each start: how many are done and the least SSR so far. Called
    // from the workers, one call at a time.
    std::function<void(int done, double bestSsr)> progress;
};

struct TFitEstimate {
    std::string name; // the parameter's, or N1, N2
    double value = 0;
    bool identifiable = true;
    // NaN where not identifiable or without degrees of freedom.
    double standardError = 0;
    double lower95 = 0, upper95 = 0; // Student's t with n − k degrees of freedom
};

struct TFitResult {
    std::vector<TFitEstimate> estimates;
    std::vector<std::vector<double>> correlation; // NaN where not identifiable
    double ssr = 0;
    std::size_t points = 0;
    double aic = 0; // n·ln(SSR/n) + 2k
    // Whether the best start met the convergence tests; `why` says what
    // stopped it when not.
    bool converged = false;
    std::string why;
    int startsDone = 0;
    // Starts that could not be integrated from at all.
    int startsFailed = 0;
    // Trial points where the model could not be integrated: steps the
    // minimiser turned down.
    long long badSteps = 0;
    bool cancelled = false;
    // Why nothing could be fitted (bad options, rates without derivatives, no
    // start that could be integrated); the rest is empty then.
    std::string error;
};

// The starts of a fit, each a value per unknown: the first the model's values
// (held within the bounds), the rest a Latin hypercube over the bounds drawn
// from the options' seed.
std::vector<std::vector<double>> FitStarts(const TCompiledModel& model, const TFitOptions& options);

// The fit of `model` (cloned for every worker; its own cells are left as they
// were) to `data`, model time 0 at the data's first time. A cancel ends every
// start where it is and keeps the best point reached.
TFitResult Fit(const TCompiledModel& model, const TObservedData& data, const TFitOptions& options);
