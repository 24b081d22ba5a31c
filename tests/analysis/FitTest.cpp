#include "Fit.h"

#include "FitStatistics.h"
#include "ObservedData.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Logistic growth from N0, solved in closed form.
double Logistic(double t, double r, double K, double n0) {
    return K / (1 + (K / n0 - 1) * std::exp(-r * t));
}
constexpr double kR = 0.8, kK = 50, kN0 = 2;

// Small deterministic noise, of no sign on the whole.
double Noise(std::size_t i) {
    return std::sin(2.7 * double(i) + 0.3);
}

ParameterRow Row(const char* name, const char* value) {
    return {name, value, "", std::nullopt};
}

TFitUnknown Parameter(const TCompiledModel& model, const char* name, double lower, double upper) {
    return {TFitUnknown::TKind::Parameter, std::size_t(model.ParameterIndex(name)), lower, upper};
}

// k × k inverse by Gauss–Jordan with partial pivoting.
std::vector<std::vector<double>> Inverse(std::vector<std::vector<double>> a) {
    const std::size_t k = a.size();
    std::vector<std::vector<double>> inv(k, std::vector<double>(k, 0));
    for (std::size_t i = 0; i < k; ++i)
        inv[i][i] = 1;
    for (std::size_t c = 0; c < k; ++c) {
        std::size_t p = c;
        for (std::size_t r = c + 1; r < k; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
        std::swap(a[c], a[p]);
        std::swap(inv[c], inv[p]);
        const double d = a[c][c];
        for (std::size_t j = 0; j < k; ++j) {
            a[c][j] /= d;
            inv[c][j] /= d;
        }
        for (std::size_t r = 0; r < k; ++r)
            if (r != c) {
                const double f = a[r][c];
                for (std::size_t j = 0; j < k; ++j) {
                    a[r][j] -= f * a[c][j];
                    inv[r][j] -= f * inv[c][j];
                }
            }
    }
    return inv;
}

TEST(StudentQuantile, MatchesTheTables) {
    const struct {
        double p, dof, t;
    } cases[] = {
        {0.975, 1, 12.7062047361747},  {0.975, 2, 4.30265272974946},  {0.975, 10, 2.22813885198627},
        {0.975, 30, 2.04227245630124}, {0.025, 5, -2.57058183563631},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(StudentQuantile(c.p, c.dof), c.t, 1e-9 * std::fabs(c.t)) << c.p << " " << c.dof;
    // Closed forms: the Cauchy distribution, and t = (2p − 1)/√(2p(1 − p)) for two.
    for (const double p : {0.6, 0.9, 0.99, 0.999}) {
        EXPECT_NEAR(StudentQuantile(p, 1), std::tan(std::numbers::pi * (p - 0.5)), 1e-9) << p;
        EXPECT_NEAR(StudentQuantile(p, 2), (2 * p - 1) / std::sqrt(2 * p * (1 - p)), 1e-9) << p;
    }
    EXPECT_TRUE(std::isnan(StudentQuantile(0.975, 0)));
}

// Logistic data from known r, K and N0 with noise: the estimates lie within
// a few standard errors of the truth, and the standard errors and
// correlations are those of a Jacobian differenced from the closed form.
TEST(Fit, EstimatesAndErrorsMatchTheClosedForm) {
    const struct {
        const char* name;
        bool logarithms;
        bool missing; // every third count not observed
    } cases[] = {
        {"counts", false, false},
        {"counts with gaps", false, true},
        {"logarithms", true, false},
        {"logarithms with gaps", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TObservedData data;
        for (std::size_t i = 0; i < 16; ++i) {
            const double t = 3 + 0.75 * double(i); // model time 0 is the first row's
            const double n = Logistic(t - 3, kR, kK, kN0);
            data.t.push_back(t);
            data.n1.push_back(c.missing && i % 3 == 1 ? kNaN
                              : c.logarithms          ? n * std::exp(0.05 * Noise(i))
                                                      : n + 0.8 * Noise(i));
            data.n2.push_back(kNaN);
        }
        std::vector<ParameterRow> rows = {Row("r", "0.5"), Row("K", "40")};
        TCompiledModel model;
        model.Compile(rows, "r*N1*(1-N1/K)", "0");
        TFitOptions options;
        options.unknowns = {Parameter(model, "r", 0, 2),
                            Parameter(model, "K", 1, 100),
                            {TFitUnknown::TKind::N1, 0, 0.01, 20}};
        options.n1 = 1;
        options.logarithms = c.logarithms;
        options.starts = 3;
        const TFitResult fit = Fit(model, data, options);
        ASSERT_EQ(fit.error, "");
        EXPECT_TRUE(fit.converged) << fit.why;
        ASSERT_EQ(fit.estimates.size(), 3u);
        EXPECT_EQ(fit.points, c.missing ? 11u : 16u);
        EXPECT_EQ(model.Value("r"), 0.5); // the caller's model is left alone

        const double truth[] = {kR, kK, kN0};
        std::vector<double> x;
        for (std::size_t j = 0; j < 3; ++j) {
            const TFitEstimate& e = fit.estimates[j];
            EXPECT_TRUE(e.identifiable) << e.name;
            EXPECT_LT(std::fabs(e.value - truth[j]), 3 * e.standardError) << e.name;
            x.push_back(e.value);
        }
        EXPECT_EQ(fit.estimates[2].name, "N1");

        // The closed form's residuals and their central differences.
        const auto residual = [&](const std::vector<double>& p, std::size_t i) {
            const double n = Logistic(data.t[i] - data.t[0], p[0], p[1], p[2]);
            return c.logarithms ? std::log(n) - std::log(data.n1[i]) : n - data.n1[i];
        };
        double ssr = 0;
        std::vector<std::vector<double>> JtJ(3, std::vector<double>(3, 0));
        for (std::size_t i = 0; i < data.Rows(); ++i) {
            if (std::isnan(data.n1[i])) continue;
            ssr += residual(x, i) * residual(x, i);
            double g[3];
            for (std::size_t j = 0; j < 3; ++j) {
                std::vector<double> up = x, down = x;
                const double h = 1e-5 * x[j];
                up[j] += h;
                down[j] -= h;
                g[j] = (residual(up, i) - residual(down, i)) / (2 * h);
            }
            for (std::size_t a = 0; a < 3; ++a)
                for (std::size_t b = 0; b < 3; ++b)
                    JtJ[a][b] += g[a] * g[b];
        }
        EXPECT_NEAR(fit.ssr, ssr, 1e-6 * ssr);
        const auto inverse = Inverse(JtJ);
        const double s2 = ssr / double(fit.points - 3);
        for (std::size_t j = 0; j < 3; ++j) {
            const double se = std::sqrt(s2 * inverse[j][j]);
            EXPECT_NEAR(fit.estimates[j].standardError, se, 1e-4 * se) << fit.estimates[j].name;
            for (std::size_t l = 0; l < 3; ++l)
                EXPECT_NEAR(fit.correlation[j][l],
                            inverse[j][l] / std::sqrt(inverse[j][j] * inverse[l][l]), 1e-4);
        }
        // As the SSR to 1E-6 of itself: n·ln(SSR/n) to n·1E-6.
        EXPECT_NEAR(fit.aic, double(fit.points) * std::log(ssr / double(fit.points)) + 6,
                    1e-6 * double(fit.points));
    }
}

TObservedData LogisticData(std::size_t rows) {
    TObservedData data;
    for (std::size_t i = 0; i < rows; ++i) {
        data.t.push_back(double(i));
        data.n1.push_back(Logistic(double(i), kR, kK, kN0) + 0.5 * Noise(i));
        data.n2.push_back(kNaN);
    }
    return data;
}

// Growth at the rate a·b: only the product is determined, and a and b are
// reported as not identifiable rather than with huge errors; K is not hurt.
TEST(Fit, AParameterTheDataCannotDetermineIsNotIdentifiable) {
    std::vector<ParameterRow> rows = {Row("a", "1"), Row("b", "0.5"), Row("K", "40")};
    TCompiledModel model;
    model.Compile(rows, "a*b*N1*(1-N1/K)", "0");
    TFitOptions options;
    options.unknowns = {Parameter(model, "a", 0.1, 4), Parameter(model, "b", 0.1, 4),
                        Parameter(model, "K", 1, 100)};
    options.n1 = kN0;
    const TFitResult fit = Fit(model, LogisticData(16), options);
    ASSERT_EQ(fit.error, "");
    ASSERT_EQ(fit.estimates.size(), 3u);
    EXPECT_FALSE(fit.estimates[0].identifiable);
    EXPECT_FALSE(fit.estimates[1].identifiable);
    EXPECT_TRUE(std::isnan(fit.estimates[0].standardError));
    EXPECT_TRUE(fit.estimates[2].identifiable);
    EXPECT_LT(fit.estimates[2].standardError, 2);
    EXPECT_NEAR(fit.estimates[0].value * fit.estimates[1].value, kR, 0.05);
    EXPECT_NEAR(fit.estimates[2].value, kK, 3 * fit.estimates[2].standardError);
}

// The growth rate's logarithm faults below r = 0.5: a start or a trial step
// there is turned down and the fit goes on from the others; only when no
// start can be integrated is it an error.
TEST(Fit, ATrialPointThatFaultsIsABadStep) {
    const struct {
        double upper; // of r, from 0
        bool fits;
    } cases[] = {{2, true}, {0.5, false}};
    for (const auto& c : cases) {
        std::vector<ParameterRow> rows = {Row("r", "0.3"), Row("K", "40")};
        TCompiledModel model;
        model.Compile(rows, "r*N1*(1-N1/K)+0*ln(r-0.5)", "0");
        TFitOptions options;
        options.unknowns = {Parameter(model, "r", 0, c.upper), Parameter(model, "K", 1, 100)};
        options.n1 = kN0;
        options.starts = 4;
        const TFitResult fit = Fit(model, LogisticData(16), options);
        EXPECT_GE(fit.badSteps, 1) << c.upper;
        EXPECT_GE(fit.startsFailed, 1) << c.upper;
        if (c.fits) {
            ASSERT_EQ(fit.error, "");
            EXPECT_NEAR(fit.estimates[0].value, kR, 3 * fit.estimates[0].standardError);
        } else {
            EXPECT_EQ(fit.error.rfind("The model could not be integrated from any start: ", 0), 0u)
                << fit.error;
        }
    }
}

// A cancel after the first start: no other start begins, and the result is
// the best point reached, with the SSR progress reported.
TEST(Fit, CancelKeepsTheBest) {
    std::vector<ParameterRow> rows = {Row("r", "0.5"), Row("K", "40")};
    TCompiledModel model;
    model.Compile(rows, "r*N1*(1-N1/K)", "0");
    std::atomic<bool> cancel{false};
    TFitOptions options;
    options.unknowns = {Parameter(model, "r", 0, 2), Parameter(model, "K", 1, 100)};
    options.n1 = kN0;
    options.starts = 6;
    options.threads = 1;
    options.cancel = &cancel;
    double reported = kNaN;
    options.progress = [&](int done, double best) {
        EXPECT_EQ(done, 1);
        reported = best;
        cancel = true;
    };
    const TFitResult fit = Fit(model, LogisticData(16), options);
    ASSERT_EQ(fit.error, "");
    EXPECT_TRUE(fit.cancelled);
    EXPECT_EQ(fit.startsDone, 1);
    // Both at one point, integrated with and without the sensitivities.
    EXPECT_NEAR(fit.ssr, reported, 1e-5 * reported);
    EXPECT_NEAR(fit.estimates[1].value, kK, 3 * fit.estimates[1].standardError);
}

} // namespace
