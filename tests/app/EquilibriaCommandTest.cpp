#include "EquilibriaCommand.h"

#include "FloatText.h"

#include <QTemporaryDir>

#include "CommandTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

// Eigenvalues of a 2 × 2 matrix in closed form, ordered as the program
// orders them: real ones ascending, a complex pair with the positive
// imaginary part first.
std::pair<std::complex<double>, std::complex<double>> Eigen(double a, double b, double c,
                                                            double d) {
    const double half = (a + d) / 2, disc = half * half - (a * d - b * c);
    if (disc >= 0) return {half - std::sqrt(disc), half + std::sqrt(disc)};
    return {{half, std::sqrt(-disc)}, {half, -std::sqrt(-disc)}};
}

using TJacobianAt = std::function<std::array<double, 4>(double n1, double n2)>;

struct TExpected {
    double n1, n2;
    const char* kind;
};

struct TModelCase {
    const char* name;
    std::string file; // the model file's text
    TJacobianAt jacobian;
    std::vector<TExpected> equilibria; // ordered by N1, then N2
};

std::string Parameters(std::initializer_list<std::pair<const char*, double>> values) {
    std::string text = "[Parameters]\n";
    int row = 0;
    for (auto [name, value] : values) {
        ++row;
        text += "Name" + std::to_string(row) + "=" + name + "\nValue" + std::to_string(row) + "=" +
                FloatToText(value) + "\n";
    }
    return text;
}

// Competition: r_i N_i (1 - (N_i + a_ij N_j) / K_i).
TJacobianAt Competition(double r1, double r2, double K1, double K2, double a12, double a21) {
    return [=](double x, double y) {
        return std::array<double, 4>{r1 * (1 - (2 * x + a12 * y) / K1), -r1 * a12 * x / K1,
                                     -r2 * a21 * y / K2, r2 * (1 - (2 * y + a21 * x) / K2)};
    };
}

// Prey with logistic growth, a predator with a saturating (type II) response.
TJacobianAt Saturating(double R, double K, double A, double H, double e, double m) {
    return [=](double x, double y) {
        const double q = 1 + A * H * x;
        return std::array<double, 4>{R * (1 - 2 * x / K) - A * y / (q * q), -A * x / q,
                                     e * A * y / (q * q), e * A * x / q - m};
    };
}

const std::string kCompetition = "[Species 1]\nDensity=10\nRate=r1*N1*(1 - (N1 + a12*N2)/K1)\n"
                                 "[Species 2]\nDensity=15\nRate=r2*N2*(1 - (N2 + a21*N1)/K2)\n";
const std::string kSaturating = "[Species 1]\nDensity=50\nRate=R*N1*(1 - N1/K) - "
                                "A*N1*N2/(1 + A*H*N1)\n[Species 2]\nDensity=5\n"
                                "Rate=e*A*N1*N2/(1 + A*H*N1) - m*N2\n";

std::vector<TModelCase> Cases() {
    // The interior equilibrium of the saturating model.
    const auto interior = [](double R, double K, double A, double H, double e, double m) {
        const double x = m / (A * (e - m * H));
        return std::pair{x, R * (1 - x / K) * (1 + A * H * x) / A};
    };
    const auto [fx, fy] = interior(0.8, 100, 0.05, 0.2, 0.5, 0.3);
    const auto [ux, uy] = interior(0.8, 300, 0.05, 0.2, 0.5, 0.3);
    return {
        {"Lotka-Volterra: a saddle at the origin and a centre",
         "[Species 1]\nDensity=40\nRate=a*N1 - b*N1*N2\n[Species 2]\nDensity=9\n"
         "Rate=-c*N2 + d*N1*N2\n" +
             Parameters({{"a", 0.5}, {"b", 0.02}, {"c", 0.5}, {"d", 0.01}}),
         [](double x, double y) {
             return std::array<double, 4>{0.5 - 0.02 * y, -0.02 * x, 0.01 * y, -0.5 + 0.01 * x};
         },
         {{0, 0, "saddle"}, {50, 25, "centre"}}},
        {"competition with coexistence",
         kCompetition +
             Parameters(
                 {{"r1", 0.8}, {"r2", 0.6}, {"K1", 100}, {"K2", 80}, {"a12", 0.6}, {"a21", 0.5}}),
         Competition(0.8, 0.6, 100, 80, 0.6, 0.5),
         {{0, 0, "unstable node"},
          {0, 80, "saddle"},
          {52 / 0.7, 30 / 0.7, "stable node"},
          {100, 0, "saddle"}}},
        {"competition with exclusion (equal eigenvalues at the origin count as a node)",
         kCompetition +
             Parameters(
                 {{"r1", 1}, {"r2", 1}, {"K1", 100}, {"K2", 100}, {"a12", 1.5}, {"a21", 1.5}}),
         Competition(1, 1, 100, 100, 1.5, 1.5),
         {{0, 0, "unstable node"},
          {0, 100, "stable node"},
          {40, 40, "saddle"},
          {100, 0, "stable node"}}},
        {"predator and prey with a stable focus",
         kSaturating +
             Parameters({{"R", 0.8}, {"K", 100}, {"A", 0.05}, {"H", 0.2}, {"e", 0.5}, {"m", 0.3}}),
         Saturating(0.8, 100, 0.05, 0.2, 0.5, 0.3),
         {{0, 0, "saddle"}, {fx, fy, "stable focus"}, {100, 0, "saddle"}}},
        {"predator and prey with an unstable focus (the prey's capacity raised)",
         kSaturating +
             Parameters({{"R", 0.8}, {"K", 300}, {"A", 0.05}, {"H", 0.2}, {"e", 0.5}, {"m", 0.3}}),
         Saturating(0.8, 300, 0.05, 0.2, 0.5, 0.3),
         {{0, 0, "saddle"}, {ux, uy, "unstable focus"}, {300, 0, "saddle"}}},
    };
}

class Equilibria : public CommandTest {
protected:
    Equilibria() : CommandTest(RunEquilibria) {}
    // The rows after the header, each split at its commas.
    std::vector<std::vector<std::string>> Rows() {
        std::string header;
        auto rows = CsvRows(out.str(), &header);
        EXPECT_EQ(header, "N1,N2,re1,im1,re2,im2,kind");
        return rows;
    }
};

void ExpectNear(const std::string& text, double expected, const std::string& what) {
    const double tolerance = 1e-9 * std::max(1.0, std::fabs(expected));
    EXPECT_NEAR(TextToFloat(text), expected, tolerance) << what << ": " << text;
}

TEST_F(Equilibria, EachEquilibriumWithItsEigenvaluesAndKindInTheDefaultBox) {
    for (const TModelCase& c : Cases()) {
        ASSERT_EQ(Run({Model(c.file)}), 0) << c.name << ": " << err.str();
        EXPECT_EQ(err.str().rfind("Searched the default box 0:", 0), 0u) << c.name << err.str();
        const auto rows = Rows();
        ASSERT_EQ(rows.size(), c.equilibria.size()) << c.name << "\n" << out.str();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const TExpected& e = c.equilibria[i];
            const std::vector<std::string>& row = rows[i];
            ASSERT_EQ(row.size(), 7u) << c.name;
            const std::string what = std::string(c.name) + " #" + std::to_string(i);
            ExpectNear(row[0], e.n1, what);
            ExpectNear(row[1], e.n2, what);
            const auto j = c.jacobian(e.n1, e.n2);
            const auto [l1, l2] = Eigen(j[0], j[1], j[2], j[3]);
            ExpectNear(row[2], l1.real(), what + " re1");
            ExpectNear(row[3], l1.imag(), what + " im1");
            ExpectNear(row[4], l2.real(), what + " re2");
            ExpectNear(row[5], l2.imag(), what + " im2");
            EXPECT_EQ(row[6], e.kind) << what;
        }
    }
    // Numbers that come out exact are written as the general number text.
    Run({Model(Cases()[0].file)});
    EXPECT_EQ(out.str(), "N1,N2,re1,im1,re2,im2,kind\n0,0,-0.5,0,0.5,0,saddle\n"
                         "50,25,0,0.5,0,-0.5,centre\n");
}

TEST_F(Equilibria, ABoxChoosesTheRangeAndMayHoldNone) {
    const std::string path = Model(Cases()[0].file);
    EXPECT_EQ(Run({path, "--box", "10:100:10:100"}), 0);
    EXPECT_EQ(out.str(), "N1,N2,re1,im1,re2,im2,kind\n50,25,0,0.5,0,-0.5,centre\n");
    EXPECT_EQ(Run({"--box", "-5:1E1:-5:10", path}), 0);
    EXPECT_EQ(out.str(), "N1,N2,re1,im1,re2,im2,kind\n0,0,-0.5,0,0.5,0,saddle\n");
    EXPECT_EQ(Run({path, "--box", "1:2:1:2"}), 0);
    EXPECT_EQ(out.str(), "N1,N2,re1,im1,re2,im2,kind\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(Equilibria, TheDefaultBoxGrowsToTheCrossingOfNullclinesThatLeaveIt) {
    // The shipped mutualism: (162.5, 125) lies outside 0 to 100.
    const std::string file = TARNIVELL_EXAMPLES "/mutualism.ini";
    ASSERT_EQ(Run({file}), 0) << err.str();
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 4u) << out.str();
    const std::vector<std::string>& last = rows.back();
    ExpectNear(last[0], 162.5, "N1");
    ExpectNear(last[1], 125, "N2");
    // r_i·N_i·(K_i − N_i + b_ij·N_j)/K_i with r = 0.5, 0.4, K = 100, 60, b = 0.5, 0.4
    const auto [l1, l2] = Eigen(0.5 * (100 - 325 + 62.5) / 100, 0.5 * 162.5 * 0.5 / 100,
                                0.4 * 125 * 0.4 / 60, 0.4 * (60 - 250 + 0.4 * 162.5) / 60);
    ExpectNear(last[2], l1.real(), "re1");
    ExpectNear(last[4], l2.real(), "re2");
    EXPECT_EQ(last[6], "stable node");
    EXPECT_EQ(err.str(), "Searched the box 0:200:0:200: the default box 0:100:0:100 grown where "
                         "nullclines leave it toward a crossing.\n");
    // A box given is searched as it is.
    ASSERT_EQ(Run({file, "--box", "0:100:0:100"}), 0);
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(err.str(), "");
}

TEST_F(Equilibria, CurvesOfEquilibriaAreSentencesOnStandardError) {
    // Both rates vanish on N2 = N1/3 + 0.1; (2, 3) is an isolated equilibrium.
    const std::string curve = "[Species 1]\nRate=(N2 - N1/3 - 0.1)*(N1 - 2)\n"
                              "[Species 2]\nRate=(N2 - N1/3 - 0.1)*(N2 - 3)\n";
    EXPECT_EQ(Run({Model(curve), "--box", "0:4:0:4"}), 0);
    EXPECT_EQ(out.str(), "N1,N2,re1,im1,re2,im2,kind\n"
                         "2,3,2.23333333333333,0,2.23333333333333,0,unstable node\n");
    EXPECT_EQ(err.str(), "Every point of a curve from (0, 0.1) to (4, 1.43333) is an "
                         "equilibrium: both rates vanish along it.\n");
    // dN2/dt is 0 (no rate given): every point of N2 = 0 is an equilibrium.
    EXPECT_EQ(Run({Model("[Species 1]\nRate=N2\n")}), 0);
    EXPECT_EQ(out.str(), "N1,N2,re1,im1,re2,im2,kind\n");
    EXPECT_EQ(err.str(), "Every point of N2 = 0 with N1 from 0 to 10 is an equilibrium: dN2/dt "
                         "is 0 throughout the box and dN1/dt along it.\n"
                         "Searched the default box 0:10:0:10.\n");
}

TEST_F(Equilibria, WhatCannotBeAnsweredIsAnErrorWithItsMessage) {
    struct Case {
        std::string file;
        std::vector<std::string> args; // after the model file
        std::string message;
    };
    const std::string lv = Cases()[0].file;
    const Case cases[] = {
        {"[Species 1]\nRate=N1+\n", {}, "Species 1 rate: Error parsing expression:\nN1+."},
        {lv, {"--box", "1:2:3"}, "'1:2:3' is not a box N1MIN:N1MAX:N2MIN:N2MAX"},
        {lv, {"--box", "5:1:0:1"}, "'5:1:0:1' is not a box"},
        {lv, {"--box", "a:1:0:1"}, "'a:1:0:1' is not a box"},
        {lv, {"--box"}, "usage: tarnivell --equilibria"},
        {lv, {"--box", "0:1:0:1", "--box", "0:2:0:2"}, "usage: tarnivell --equilibria"},
        {lv, {"other.ini"}, "usage: tarnivell --equilibria"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{Model(c.file)};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(Run(args), 1) << c.message;
        EXPECT_EQ(out.str(), "") << c.message;
        EXPECT_EQ(err.str().rfind(c.message, 0), 0u) << err.str();
    }
    EXPECT_EQ(Run({dir.filePath("none.ini").toStdString()}), 1);
    EXPECT_NE(err.str().find("does not exist"), std::string::npos);
}

} // namespace
