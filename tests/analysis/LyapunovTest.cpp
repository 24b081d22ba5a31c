#include "Lyapunov.h"

#include "CompiledModel.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// Text of numbers (in brackets, so that a sign reads as one) and strings run together.
template <class... T> std::string Cat(const T&... parts) {
    std::ostringstream s;
    s.precision(17);
    auto put = [&s](const auto& part) {
        if constexpr (std::is_arithmetic_v<std::decay_t<decltype(part)>>)
            s << '(' << part << ')';
        else
            s << part;
    };
    (put(parts), ...);
    return s.str();
}

// The coefficients of x², xy, y², x³, x²y, xy², y³.
using TPoly = std::array<double, 7>;

std::string Text(const TPoly& c, const std::string& x, const std::string& y) {
    return Cat("+", c[0], "*", x, "*", x, "+", c[1], "*", x, "*", y, "+", c[2], "*", y, "*", y, "+",
               c[3], "*", x, "*", x, "*", x, "+", c[4], "*", x, "*", x, "*", y, "+", c[5], "*", x,
               "*", y, "*", y, "+", c[6], "*", y, "*", y, "*", y);
}

// x' = −ωy + f(x, y), y' = ωx + g(x, y) with (x, y) = T·(N1 − 5, N2 − 5), so that the densities
// stay positive near the Hopf point (5, 5).
struct TPlanar {
    const char* what;
    double omega;
    TPoly f, g;
    std::array<double, 4> t; // row by row
};

// z' = iωz + (a + ib)|z|²z in z = x + iy.
TPlanar NormalForm(const char* what, double a, double b, double omega,
                   std::array<double, 4> t = {1, 0, 0, 1}) {
    return {what, omega, {0, 0, 0, a, -b, a, -b}, {0, 0, 0, b, a, b, a}, t};
}

// An independent reference: for x' = −ωy + f, y' = ωx + g the radius of the small cycles obeys
// r' = a·r³ + … with (Guckenheimer and Holmes)
//   a = (f_xxx + f_xyy + g_xxy + g_yyy)/16
//     + (f_xy·(f_xx + f_yy) − g_xy·(g_xx + g_yy) − f_xx·g_xx + f_yy·g_yy)/(16ω),
// which is a itself for the normal form. With the unit eigenvector q = (1, −i)/√2 the formula's
// coordinate is (x + iy)/√2, in which the cubic coefficient is twice as large: l1 = 2a/ω. In
// u = T⁻¹x the unit eigenvector is T⁻¹q/|T⁻¹q|, and the projection's three q's against one p
// divide l1 by |T⁻¹q|² = ‖T⁻¹‖²/2 (Frobenius norm): the same sign, a size of its own.
double Expected(const TPlanar& m) {
    const TPoly &f = m.f, &g = m.g;
    const double fxx = 2 * f[0], fxy = f[1], fyy = 2 * f[2], gxx = 2 * g[0], gxy = g[1],
                 gyy = 2 * g[2];
    const double a =
        (6 * f[3] + 2 * f[5] + 2 * g[4] + 6 * g[6]) / 16 +
        (fxy * (fxx + fyy) - gxy * (gxx + gyy) - fxx * gxx + fyy * gyy) / (16 * m.omega);
    const double det = m.t[0] * m.t[3] - m.t[1] * m.t[2];
    const double inverseNorm2 =
        (m.t[0] * m.t[0] + m.t[1] * m.t[1] + m.t[2] * m.t[2] + m.t[3] * m.t[3]) / (det * det);
    return 2 * a / m.omega * 2 / inverseNorm2;
}

struct TModel {
    std::string what, rate1, rate2;
    double n1, n2;
};

TModel Rates(const TPlanar& m) {
    const std::array<double, 4>& t = m.t;
    const double det = t[0] * t[3] - t[1] * t[2];
    const std::string x = Cat("(", t[0], "*(N1-5)+", t[1], "*(N2-5))");
    const std::string y = Cat("(", t[2], "*(N1-5)+", t[3], "*(N2-5))");
    const std::string dx = Cat("(", -m.omega, "*", y, Text(m.f, x, y), ")");
    const std::string dy = Cat("(", m.omega, "*", x, Text(m.g, x, y), ")");
    // u' = T⁻¹x'
    return {m.what, Cat(t[3] / det, "*", dx, "+", -t[1] / det, "*", dy),
            Cat(-t[2] / det, "*", dx, "+", t[0] / det, "*", dy), 5, 5};
}

const TPlanar kPlanar[] = {
    NormalForm("normal form, a = -1, omega = 1", -1, 0.5, 1),
    NormalForm("normal form, a = 0.3, omega = 1", 0.3, -2, 1),
    NormalForm("normal form, a = -1, omega = 2.5", -1, 1, 2.5),
    NormalForm("normal form, a = 0.3, omega = 2.5", 0.3, 0, 2.5),
    NormalForm("normal form rotated", -1, 0.5, 2, {0.6, -0.8, 0.8, 0.6}),
    NormalForm("normal form sheared and stretched", 0.3, 0, 1, {2, 1, 0, 0.5}),
    {"quadratic and cubic terms",
     1,
     {1, -0.5, 0.7, 0.2, 0, -0.3, 0},
     {-0.4, 1.2, 0.3, 0, 0.1, 0, -0.2},
     {1, 0, 0, 1}},
    {"quadratic and cubic terms sheared",
     0.7,
     {1, -0.5, 0.7, 0.2, 0, -0.3, 0},
     {-0.4, 1.2, 0.3, 0, 0.1, 0, -0.2},
     {1, 0.5, -0.3, 1.2}},
};

// Rosenzweig–MacArthur with r = 0.8, a = 0.05, h = 0.2, e = 0.5, m = 0.3: the predator's
// isocline is N1 = m/(a(e − mh)) = 150/11, and the trace vanishes where that is half of
// K − 1/(ah), at K = 1400/11. There N2 = r(1 − N1/K)(1 + ahN1)/a = 1250/77.
const TModel kPredatorPrey = {"Rosenzweig-MacArthur at K = 1400/11",
                              "0.8*N1*(1-N1*11/1400)-0.05*N1*N2/(1+0.01*N1)",
                              "0.5*0.05*N1*N2/(1+0.01*N1)-0.3*N2", 150.0 / 11, 1250.0 / 77};

std::array<TJet3, 2> Exact(const TModel& m) {
    TCompiledModel model;
    std::vector<ParameterRow> rows;
    model.Compile(rows, m.rate1, m.rate2);
    return model.Derivatives3(m.n1, m.n2);
}

// Central differences of the rates alone, each order with a step of its own (relative to the
// point): 1E-6 for the first derivatives, whose error of step² × the third derivative would
// otherwise leave a trace further from 0 than a Hopf point's; 1E-3 for the second; 3E-3 for the
// third, where the predator-prey rates, differences of terms near 10, lose digits to rounding as
// the cube of the step shrinks.
std::array<TJet3, 2> Differences(const TModel& m) {
    TCompiledModel model;
    std::vector<ParameterRow> rows;
    model.Compile(rows, m.rate1, m.rate2);
    std::array<TJet3, 2> jets;
    for (int which = 0; which < 2; ++which) {
        double h = 0, k = 0;
        auto f = [&](int i, int j) {
            double r[2];
            model.Rates(m.n1 + i * h, m.n2 + j * k, r[0], r[1]);
            return r[which];
        };
        TJet3& d = jets[which];
        h = 1e-6 * m.n1, k = 1e-6 * m.n2;
        d.d1 = (f(1, 0) - f(-1, 0)) / (2 * h);
        d.d2 = (f(0, 1) - f(0, -1)) / (2 * k);
        h = 1e-3 * m.n1, k = 1e-3 * m.n2;
        d.value = f(0, 0);
        d.d11 = (f(1, 0) - 2 * f(0, 0) + f(-1, 0)) / (h * h);
        d.d22 = (f(0, 1) - 2 * f(0, 0) + f(0, -1)) / (k * k);
        d.d12 = (f(1, 1) - f(1, -1) - f(-1, 1) + f(-1, -1)) / (4 * h * k);
        h = 3e-3 * m.n1, k = 3e-3 * m.n2;
        d.d111 = (f(2, 0) - 2 * f(1, 0) + 2 * f(-1, 0) - f(-2, 0)) / (2 * h * h * h);
        d.d222 = (f(0, 2) - 2 * f(0, 1) + 2 * f(0, -1) - f(0, -2)) / (2 * k * k * k);
        d.d112 = (f(1, 1) - 2 * f(0, 1) + f(-1, 1) - f(1, -1) + 2 * f(0, -1) - f(-1, -1)) /
                 (2 * h * h * k);
        d.d122 = (f(1, 1) - 2 * f(1, 0) + f(1, -1) - f(-1, 1) + 2 * f(-1, 0) - f(-1, -1)) /
                 (2 * h * k * k);
    }
    return jets;
}

TEST(FirstLyapunovCoefficient, ClosedForms) {
    for (const TPlanar& c : kPlanar) {
        SCOPED_TRACE(c.what);
        double omega = 0;
        const double l1 = FirstLyapunovCoefficient(Exact(Rates(c)), &omega);
        EXPECT_NEAR(l1, Expected(c), 1e-12 * std::fabs(Expected(c)));
        EXPECT_NEAR(omega, c.omega, 1e-14 * c.omega);
    }
}

TEST(FirstLyapunovCoefficient, PredatorPreyHopfIsSupercritical) {
    const std::array<TJet3, 2> jets = Exact(kPredatorPrey);
    EXPECT_NEAR(jets[0].d1 + jets[1].d2, 0, 1e-15);
    double omega = 0;
    EXPECT_LT(FirstLyapunovCoefficient(jets, &omega), 0);
    // ω² = −J12·J21 = aN1/(1 + ahN1) · eaN2/(1 + ahN1)² = 0.6 · 11/35.
    EXPECT_NEAR(omega, std::sqrt(0.6 * 11 / 35), 1e-15);
}

TEST(FirstLyapunovCoefficient, DifferencesAgree) {
    std::vector<TModel> models{kPredatorPrey};
    for (const TPlanar& c : kPlanar)
        models.push_back(Rates(c));
    for (const TModel& m : models) {
        SCOPED_TRACE(m.what);
        const double exact = FirstLyapunovCoefficient(Exact(m));
        EXPECT_NEAR(FirstLyapunovCoefficient(Differences(m)), exact, 1e-5 * std::fabs(exact));
    }
}

TEST(FirstLyapunovCoefficient, OnlyAtHopfPoints) {
    // The normal form z' = iz − |z|²z at the origin: l1 = −2 at trace 0.
    auto jets = [](double j11, double j12, double j21, double j22) {
        std::array<TJet3, 2> f;
        f[0] = {0, j11, j12, 0, 0, 0, -6, 0, -2, 0};
        f[1] = {0, j21, j22, 0, 0, 0, 0, -2, 0, -6};
        return f;
    };
    struct TCase {
        const char* what;
        std::array<TJet3, 2> jets;
        double l1; // NaN: no Hopf point
    };
    const TCase cases[] = {
        {"trace 0", jets(0, -1, 1, 0), -2},
        {"trace left by a location", jets(1e-9, -1, 1, 0), -2},
        {"trace far from 0", jets(1e-3, -1, 1, 0), NAN},
        {"saddle", jets(0, 1, 1, 0), NAN},
        {"det 0", jets(0, 1, 0, 0), NAN},
        {"a Jacobian not finite", jets(0, -1, NAN, 0), NAN},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        double omega = 0;
        const double l1 = FirstLyapunovCoefficient(c.jets, &omega);
        if (std::isnan(c.l1)) {
            EXPECT_TRUE(std::isnan(l1)) << l1;
            EXPECT_TRUE(std::isnan(omega)) << omega;
        } else {
            EXPECT_NEAR(l1, c.l1, 1e-8);
            EXPECT_GT(omega, 0);
        }
    }
}

} // namespace
