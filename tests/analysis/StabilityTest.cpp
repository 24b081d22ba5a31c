#include "Stability.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>

namespace {

using C = std::complex<double>;

// 1 + 1E-10 as a double, and the eigenvalues of [[1, 1], [1, kD]].
constexpr double kD = 1 + 1e-10;
const double kBig = (1 + kD) / 2 + std::sqrt((kD - 1) * (kD - 1) / 4 + 1);
const double kSmall = (kD - 1) / kBig;

struct TCase {
    const char* what;
    TJacobian j;
    C lambda1, lambda2;
    const char* kind;
};

const TCase kCases[] = {
    {"rotation", {0, 1, -1, 0}, {0, 1}, {0, -1}, "centre"},
    {"sink", {-1, 0, 0, -2}, -2, -1, "stable node"},
    {"source", {1, 0, 0, 3}, 1, 3, "unstable node"},
    {"saddle", {-1, 0, 0, 1}, -1, 1, "saddle"},
    {"equal, Jordan block", {-1, 1, 0, -1}, -1, -1, "stable node"},
    {"equal, diagonal", {2, 0, 0, 2}, 2, 2, "unstable node"},
    {"stable spiral", {-1, 2, -2, -1}, {-1, 2}, {-1, -2}, "stable focus"},
    {"unstable spiral", {1, 2, -2, 1}, {1, 2}, {1, -2}, "unstable focus"},
    {"centre within 1E-9", {1e-10, 1, -1, 0}, {5e-11, 1}, {5e-11, -1}, "centre"},
    {"focus past 1E-9", {4e-9, 1, -1, 0}, {2e-9, 1}, {2e-9, -1}, "unstable focus"},
    {"singular", {1, 1, 1, 1}, 0, 2, "degenerate"},
    {"saddle-node", {0, -1, 0, -1}, -1, 0, "degenerate"},
    {"zero matrix", {0, 0, 0, 0}, 0, 0, "degenerate"},
    {"eigenvalue under 1E-12 of the scale", {5e-13, 0, 0, 1}, 5e-13, 1, "degenerate"},
    {"eigenvalue over 1E-12 of the scale", {5e-12, 0, 0, 1}, 5e-12, 1, "unstable node"},
    {"nearly singular", {1, 1, 1, kD}, kSmall, kBig, "unstable node"},
    {"huge entries", {1e200, 0, 0, -1e200}, -1e200, 1e200, "saddle"},
    {"tiny entries",
     {-1e-200, 1e-200, -1e-200, -1e-200},
     {-1e-200, 1e-200},
     {-1e-200, -1e-200},
     "stable focus"},
};

TEST(Stability, EigenvaluesAndKinds) {
    for (const TCase& c : kCases) {
        SCOPED_TRACE(c.what);
        const TStability s = Classify(c.j);
        const double scale = std::max({std::abs(c.lambda1), std::abs(c.lambda2), 1e-300});
        // Relative to the matrix for the eigenvalue that is a difference.
        const double tol = 1e-14 * std::max({std::fabs(c.j.d1dN1), std::fabs(c.j.d1dN2),
                                             std::fabs(c.j.d2dN1), std::fabs(c.j.d2dN2), 1e-300});
        EXPECT_NEAR(s.lambda1.real(), c.lambda1.real(), tol + 1e-14 * scale);
        EXPECT_NEAR(s.lambda1.imag(), c.lambda1.imag(), tol + 1e-14 * scale);
        EXPECT_NEAR(s.lambda2.real(), c.lambda2.real(), tol + 1e-14 * scale);
        EXPECT_NEAR(s.lambda2.imag(), c.lambda2.imag(), tol + 1e-14 * scale);
        EXPECT_EQ(std::string(KindName(s.kind)), c.kind);
    }
}

TEST(Stability, ZeroEigenvalueIsPlainZero) {
    const TStability s = Classify({0, -1, 0, -1});
    EXPECT_FALSE(std::signbit(s.lambda2.real())); // written as 0, not -0
    EXPECT_FALSE(std::signbit(s.lambda1.imag()));
}

} // namespace
