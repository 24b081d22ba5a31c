#include "FitStatistics.h"

#include <Eigen/Dense>

#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The continued fraction of the regularised incomplete beta function, by
// Lentz's method.
double BetaFraction(double a, double b, double x) {
    constexpr double kTiny = 1e-300;
    double c = 1, d = 1 - (a + b) * x / (a + 1);
    if (std::fabs(d) < kTiny) d = kTiny;
    d = 1 / d;
    double h = d;
    for (int m = 1; m <= 1000; ++m) {
        const double m2 = 2.0 * m;
        for (const double coefficient : {m * (b - m) * x / ((a + m2 - 1) * (a + m2)),
                                         -(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1))}) {
            d = 1 + coefficient * d;
            if (std::fabs(d) < kTiny) d = kTiny;
            c = 1 + coefficient / c;
            if (std::fabs(c) < kTiny) c = kTiny;
            d = 1 / d;
            h *= d * c;
            if (coefficient != 0 && std::fabs(d * c - 1) < 1e-16) return h;
        }
    }
    return h;
}

// I_x(a, b).
double IncompleteBeta(double a, double b, double x) {
    if (x <= 0) return 0;
    if (x >= 1) return 1;
    const double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) +
                                  a * std::log(x) + b * std::log1p(-x));
    // The fraction converges fast on the side of the mean.
    if (x < (a + 1) / (a + b + 2)) return front * BetaFraction(a, b, x) / a;
    return 1 - front * BetaFraction(b, a, 1 - x) / b;
}

// P(T <= t) for t >= 0.
double StudentCdf(double t, double dof) {
    return 1 - 0.5 * IncompleteBeta(dof / 2, 0.5, dof / (dof + t * t));
}

} // namespace

double StudentQuantile(double p, double dof) {
    if (!(dof > 0) || !(p > 0 && p < 1)) return kNaN;
    if (p < 0.5) return -StudentQuantile(1 - p, dof);
    if (p == 0.5) return 0;
    // Bisection on the distribution function: monotone, and a quantile of
    // interest lies far inside [0, 1E300] on a logarithmic scale.
    double lo = 0, hi = 1;
    while (StudentCdf(hi, dof) < p && hi < 1e300)
        hi *= 2;
    for (int i = 0; i < 200 && hi - lo > 1e-15 * hi; ++i) {
        const double mid = 0.5 * (lo + hi);
        (StudentCdf(mid, dof) < p ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

TFitStatistics FitStatistics(const std::vector<double>& r, const std::vector<double>& J,
                             const std::vector<double>& x, double singular) {
    const auto n = Eigen::Index(r.size());
    const auto k = Eigen::Index(x.size());
    TFitStatistics s;
    for (const double v : r)
        s.ssr += v * v;
    s.identifiable.assign(std::size_t(k), true);
    s.standardError.assign(std::size_t(k), kNaN);
    s.correlation.assign(std::size_t(k), std::vector<double>(std::size_t(k), kNaN));
    if (k == 0) return s;

    // Scaled by the estimates, so that how well J is conditioned does not
    // hang on the units of the unknowns.
    Eigen::MatrixXd scaled(n, k);
    Eigen::VectorXd scale(k);
    for (Eigen::Index j = 0; j < k; ++j)
        scale(j) = x[std::size_t(j)] != 0 ? std::fabs(x[std::size_t(j)]) : 1;
    for (Eigen::Index i = 0; i < n; ++i)
        for (Eigen::Index j = 0; j < k; ++j)
            scaled(i, j) = J[std::size_t(i * k + j)] * scale(j);
    const Eigen::JacobiSVD<Eigen::MatrixXd> svd(scaled, Eigen::ComputeFullV);
    const Eigen::VectorXd& sigma = svd.singularValues();
    const Eigen::MatrixXd& V = svd.matrixV();
    const double threshold = sigma.size() > 0 ? singular * sigma(0) : 0;
    Eigen::VectorXd nullPart = Eigen::VectorXd::Zero(k);
    Eigen::MatrixXd inverse = Eigen::MatrixXd::Zero(k, k); // (JᵀJ)⁺, scaled
    for (Eigen::Index i = 0; i < k; ++i) {
        const bool zero = i >= sigma.size() || !(sigma(i) > threshold);
        if (zero)
            nullPart += V.col(i).cwiseAbs2();
        else
            inverse += V.col(i) * V.col(i).transpose() / (sigma(i) * sigma(i));
    }
    // A unit vector's component above 0.1 in the null directions: well above
    // what rounding leaves in the others.
    for (Eigen::Index j = 0; j < k; ++j)
        s.identifiable[std::size_t(j)] = nullPart(j) < 1e-2;

    const double s2 = n > k ? s.ssr / double(n - k) : kNaN;
    for (Eigen::Index j = 0; j < k; ++j) {
        if (!s.identifiable[std::size_t(j)]) continue;
        s.standardError[std::size_t(j)] = scale(j) * std::sqrt(s2 * inverse(j, j));
        for (Eigen::Index l = 0; l < k; ++l)
            if (s.identifiable[std::size_t(l)])
                s.correlation[std::size_t(j)][std::size_t(l)] =
                    inverse(j, l) / std::sqrt(inverse(j, j) * inverse(l, l));
    }
    return s;
}
