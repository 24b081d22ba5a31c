#pragma once

#include <cstddef>
#include <vector>

// The value Student's t distribution with `dof` degrees of freedom falls
// below with probability p (0 < p < 1); NaN for dof <= 0.
double StudentQuantile(double p, double dof);

// What least squares tells of its estimates at the minimum: the standard
// errors and correlations of the linearised model, s²(JᵀJ)⁻¹ with s² =
// SSR/(n − k).
struct TFitStatistics {
    double ssr = 0;
    // Per unknown: false where the data cannot determine it, its column of
    // J (scaled by the estimate) lying in a direction J maps to nothing.
    std::vector<bool> identifiable;
    // NaN where not identifiable or without degrees of freedom (n <= k).
    std::vector<double> standardError;
    // Of the identifiable unknowns; NaN in a row or column of one that is not.
    std::vector<std::vector<double>> correlation;
};

// From the residuals r (n of them), their Jacobian J (row-major, n × k) and
// the estimates x. J is scaled by the estimates and decomposed by its
// singular values: those below `singular` times the largest count as 0, and
// an unknown with a part in their directions is not identifiable. The
// covariance of the others comes from the pseudo-inverse, which for them is
// the inverse restricted to what the data determine.
TFitStatistics FitStatistics(const std::vector<double>& r, const std::vector<double>& J,
                             const std::vector<double>& x, double singular);
