#include "ContinueCommand.h"

#include "CyclesCommand.h"
#include "FloatText.h"

#include "CommandTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// The fields of a row.
enum {
    kBranch,
    kObject,
    kValue,
    kN1,
    kN2,
    kN1Min,
    kN1Max,
    kN2Min,
    kN2Max,
    kPeriod,
    kStable,
    kLabel
};

// The rows after the header, each with its twelve fields (the reader drops a
// trailing empty label).
std::vector<std::vector<std::string>> Table(const std::string& csv, std::string* header) {
    auto rows = CsvRows(csv, header);
    for (auto& row : rows) {
        EXPECT_TRUE(row.size() == 11 || row.size() == 12) << row.size() << " fields";
        row.resize(12);
    }
    return rows;
}

double At(const std::vector<std::string>& row, int field) {
    return TextToFloat(row[std::size_t(field)]);
}

// The paradox of enrichment over K: the equilibria (0, 0), (K, 0) and
// (kPrey, (200/11)(1 - kPrey/K)), the prey held at 150/11 by the predator,
// the last losing its stability in a supercritical Hopf bifurcation at K =
// 1400/11, where the prey isocline's hump meets the predator's isocline.
constexpr double kPrey = 150.0 / 11;
constexpr double kHopf = 1400.0 / 11;

class ContinueCommand : public CommandTest {
protected:
    ContinueCommand() : CommandTest(RunContinue) {}
};

TEST_F(ContinueCommand, SpecialPointsLieAtTheirClosedForms) {
    // The shipped harvested stocks are caught in proportion to their size:
    // a stock collapses where the effort's loss q E1 reaches its growth r
    // (a transcritical crossing with the extinct branch), at E1 = r/q = 50.
    // Caught at a constant C a year instead, the stock has no equilibrium
    // past the largest logistic growth r K / 4 = 125, at N1 = K / 2.
    const std::string effort = ExampleText("harvested-logistic.ini");
    const std::size_t catchAt = effort.find("q*E1*N1"), rowAt = effort.find("Name6=\nValue6=");
    const std::string constantCatch = effort.substr(0, catchAt) + "C" +
                                      effort.substr(catchAt + 7, rowAt - catchAt - 7) +
                                      "Name6=C\nValue6=100" + effort.substr(rowAt + 14);
    const std::string paradox = ExampleText("paradox-of-enrichment.ini");
    const std::vector<std::string> wideBox = {"E1=0:100", "--box", "-500:1500:-100:500"};
    const struct {
        const char* what;
        const std::string& file;
        std::vector<std::string> args;
        const char* label;
        int count; // one per level of the uncoupled second stock, if harvested
        double value, n1, n1Tolerance;
    } cases[] = {
        {"paradox", paradox, {"K=50:200"}, "hopf supercritical", 1, kHopf, kPrey, 1e-7},
        // In the default box the extinct stock lies on its edge; in this box
        // the crossing lies inside.
        {"effort", effort, {"E1=0:100"}, "branch point", 2, 50, 0, 1e-4},
        {"effort, box given", effort, wideBox, "branch point", 2, 50, 0, 1e-4},
        // The density at a fold is fixed only to the square root of the
        // value's accuracy.
        {"constant catch", constantCatch, {"C=10:200"}, "fold", 2, 125, 500, 1},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), Model(c.file));
        ASSERT_EQ(Run(args), 0) << c.what << ": " << err.str();
        std::string header;
        int found = 0;
        for (const auto& row : Table(out.str(), &header)) {
            if (row[kLabel].empty()) continue;
            ++found;
            EXPECT_EQ(row[kLabel], c.label) << c.what;
            EXPECT_NEAR(At(row, kValue), c.value, 1e-8 * c.value) << c.what;
            EXPECT_NEAR(At(row, kN1), c.n1, c.n1Tolerance) << c.what;
        }
        EXPECT_EQ(found, c.count) << c.what << "\n" << out.str();
    }
}

// Every row is one of the closed-form equilibria with its stability, or a
// cycle born at the Hopf point: of period 2π/ω there (ω² the Jacobian's
// determinant, 33/175) and, at the range's end, the cycle --cycles finds at
// the file's K = 200. The name in the header is the model's, whatever its
// case on the command line.
TEST_F(ContinueCommand, EachRowIsAnEquilibriumOrACycleOfTheModel) {
    const std::string model = Model(ExampleText("paradox-of-enrichment.ini"));
    std::ostringstream cyclesOut, cyclesErr;
    ASSERT_EQ(RunCycles({model}, cyclesOut, cyclesErr), 0) << cyclesErr.str();
    const auto cycles = CsvRows(cyclesOut.str());
    ASSERT_EQ(cycles.size(), 1u) << cyclesOut.str();
    // N1,N2,period,N1min,N1max,N2min,N2max of the cycle at K = 200.
    const std::vector<std::string>& atEnd = cycles[0];

    ASSERT_EQ(Run({model, "k=200:50"}), 0) << err.str();
    std::string header;
    const auto rows = Table(out.str(), &header);
    EXPECT_EQ(header, "branch,object,K,N1,N2,N1min,N1max,N2min,N2max,period,stable,label");
    EXPECT_NE(err.str().find("Searched the "), std::string::npos) << err.str();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front()[kBranch], "1");
    bool seen[3] = {};
    int cycleEnds = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        const std::string where = "row " + std::to_string(i + 1) + ": K = " + row[kValue];
        const bool first = i == 0 || row[kBranch] != rows[i - 1][kBranch];
        if (i > 0) {
            EXPECT_EQ(At(row, kBranch) - At(rows[i - 1], kBranch), first ? 1 : 0) << where;
        }
        const double k = At(row, kValue), n1 = At(row, kN1), n2 = At(row, kN2);
        EXPECT_GE(k, 50 * (1 - 1e-12)) << where;
        EXPECT_LE(k, 200 * (1 + 1e-12)) << where;

        if (row[kObject] == "cycle") {
            EXPECT_GE(k, kHopf * (1 - 1e-8)) << where;
            EXPECT_EQ(row[kStable], "yes") << where;
            EXPECT_LE(At(row, kN1Min), n1) << where;
            EXPECT_GE(At(row, kN1Max), n1) << where;
            EXPECT_LE(At(row, kN2Min), n2) << where;
            EXPECT_GE(At(row, kN2Max), n2) << where;
            if (first) {
                EXPECT_NEAR(At(row, kPeriod), 2 * std::numbers::pi * std::sqrt(175.0 / 33),
                            1e-6 * At(row, kPeriod))
                    << where;
            }
            if (k != 200) continue;
            ++cycleEnds;
            // The columns of --cycles: N1,N2,period,N1min,N1max,N2min,N2max.
            const std::pair<int, std::size_t> columns[] = {
                {kPeriod, 2}, {kN1Min, 3}, {kN1Max, 4}, {kN2Min, 5}, {kN2Max, 6}};
            for (const auto& [field, column] : columns) {
                const double expected = TextToFloat(atEnd[column]);
                EXPECT_NEAR(At(row, field), expected, 1e-6 * expected) << where << " " << field;
            }
            continue;
        }
        EXPECT_EQ(row[kObject], "equilibrium") << where;
        EXPECT_EQ(row[kN1Min], row[kN1]) << where;
        EXPECT_EQ(row[kN1Max], row[kN1]) << where;
        EXPECT_EQ(row[kN2Min], row[kN2]) << where;
        EXPECT_EQ(row[kN2Max], row[kN2]) << where;
        EXPECT_EQ(row[kPeriod], "") << where;
        // Which equilibrium: the prey at 0, at K, or where the predator holds it.
        const int which = std::abs(n1) < 1e-9 ? 0 : std::abs(n2) < 1e-9 ? 1 : 2;
        seen[which] = true;
        const double expected[3][2] = {{0, 0}, {k, 0}, {kPrey, 200.0 / 11 * (1 - kPrey / k)}};
        EXPECT_NEAR(n1, expected[which][0], 1e-8 * k) << where;
        EXPECT_NEAR(n2, expected[which][1], 1e-8 * k) << where;
        if (which < 2) {
            EXPECT_EQ(row[kStable], "no") << where << ": a saddle";
        } else if (row[kLabel].empty()) {
            EXPECT_EQ(row[kStable], k < kHopf ? "yes" : "no") << where;
        }
    }
    for (int which = 0; which < 3; ++which)
        EXPECT_TRUE(seen[which]) << "no branch " << which << "\n" << out.str();
    EXPECT_EQ(cycleEnds, 1) << out.str();
}

// N1 = sqrt(p) ends at p = 0, where its slope in p grows without bound: the
// rows up to there stay, the reason follows on standard error.
TEST_F(ContinueCommand, ABranchThatCannotGoOnKeepsItsRows) {
    const std::string model = Model("[Species 1]\nRate=sqrt(p) - N1\n[Species 2]\nRate=-N2\n"
                                    "[Parameters]\nName1=p\nValue1=1\n");
    EXPECT_EQ(Run({model, "p=1:-1", "--box", "-1:2:-1:1"}), 1);
    EXPECT_EQ(err.str().rfind("Continuation stopped at p = ", 0), 0u) << err.str();
    std::string header;
    const auto rows = Table(out.str(), &header);
    ASSERT_GT(rows.size(), 10u) << out.str();
    // p = N1², as N1 is held only loosely where the branch stands upright.
    for (const auto& row : rows)
        EXPECT_NEAR(At(row, kValue), At(row, kN1) * At(row, kN1), 1e-9) << row[kValue];
    EXPECT_LT(At(rows.back(), kValue), 1e-6);
}

TEST_F(ContinueCommand, WhatCannotBeFollowedIsAnError) {
    const std::string model = Model(ExampleText("paradox-of-enrichment.ini"));
    const std::string usage = std::string("usage: tarnivell ") + kContinueUsage + ".\n";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{model}, usage},
        {{model, "K=50:200", "R=0.5:1", "m=0:1"}, usage},
        {{model, "K=50:200", "k=1:2"}, "The two ranges must be of two different parameters.\n"},
        {{model, "K=50:200", "--box"}, usage},
        {{model, "Q=50:200"}, "No parameter is named 'Q'.\n"},
        {{model, "K=50:5E1"}, "'K=50:5E1' is an empty range: FROM and TO are equal.\n"},
        {{model, "K=50:x"}, "'x' is not a valid floating point value.\n"},
        {{model, "K=50"}, "'K=50' is not a continuation of the form NAME=FROM:TO.\n"},
        {{model, "=50:200"}, "'=50:200' is not a continuation of the form NAME=FROM:TO.\n"},
        {{model, "K=50:200", "--box", "0:500:9:1"},
         "'0:500:9:1' is not a box N1MIN:N1MAX:N2MIN:N2MAX with each minimum below its "
         "maximum.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), 1) << c.args.back();
        EXPECT_EQ(out.str(), "") << c.args.back();
        EXPECT_EQ(err.str(), c.err) << c.args.back();
    }
}

} // namespace

// Across two parameters: the fold curve b1 = b2²/4 and the Hopf curve b1 = 0
// (b2 < 0) of the unfolding of a Bogdanov–Takens point meet there, at (0, 0),
// labelled on both.
TEST_F(ContinueCommand, TwoParametersGiveTheFoldAndHopfCurves) {
    const std::string model = Model("[Species 1]\nDensity=1\nRate=N2-5\n[Species 2]\nDensity=1\n"
                                    "Rate=b1+b2*(N1-5)+(N1-5)^2-(N1-5)*(N2-5)\n[Parameters]\n"
                                    "Name1=b1\nValue1=-0.1\nName2=b2\nValue2=-1\n");
    ASSERT_EQ(Run({model, "b1=-0.5:0.5", "b2=-1.2:1.2", "--box", "0:10:0:10"}), 0) << err.str();
    std::string header;
    const auto rows = CsvRows(out.str(), &header);
    EXPECT_EQ(header, "curve,kind,b1,b2,N1,N2,label");
    int bt = 0;
    for (const auto& r : rows) {
        ASSERT_TRUE(r.size() == 6 || r.size() == 7); // an empty label ends the line
        const double b1 = TextToFloat(r[2]), b2 = TextToFloat(r[3]);
        EXPECT_NEAR(b1, r[1] == "fold" ? b2 * b2 / 4 : 0, 1e-9) << r[1] << " " << r[3];
        if (r.size() == 7 && r[6] == "bogdanov-takens") {
            ++bt;
            EXPECT_NEAR(b2, 0, 1e-8);
        }
    }
    EXPECT_EQ(bt, 2);
}
