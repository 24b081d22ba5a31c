#include "SweepCommand.h"
#include "BatchRun.h"
#include "FloatText.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace {

// Splits a CSV line at its commas.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string f; std::getline(in, f, ',');)
        fields.push_back(f);
    if (!line.empty() && line.back() == ',') fields.emplace_back();
    return fields;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The fields of each row after the header, nine of them.
std::vector<std::vector<std::string>> Table(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : Lines(text)) {
        rows.push_back(Fields(line));
        if (rows.back().size() != 9) ADD_FAILURE() << "not nine fields: " << line;
        rows.back().resize(9);
    }
    if (!rows.empty()) rows.erase(rows.begin());
    return rows;
}

// The fields of a row: value, N1min, N1max, N2min, N2max, N1last, N2last,
// period, converged.
enum { kValue, kN1Min, kN1Max, kN2Min, kN2Max, kN1Last, kN2Last, kPeriod, kConverged };

double At(const std::vector<std::string>& row, int field) {
    return TextToFloat(row[std::size_t(field)]);
}

class SweepCommand : public ::testing::Test {
protected:
    std::string Model(const std::string& text, const char* name = "model.ini") {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path) << text;
        return path;
    }
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return RunSweepCommand(args, out, err);
    }
    QTemporaryDir dir;
    std::ostringstream out, err;
};

const char* const kPredatorPrey = "[Time]\nStep=0.05\n[Species 1]\nDensity=40\n"
                                  "Rate=a*N1 - b*N1*N2\n[Species 2]\nDensity=9\n"
                                  "Rate=-c*N2 + d*N1*N2\n[Parameters]\nName1=a\nValue1=0.5\n"
                                  "Name2=b\nValue2=0.02\nName3=c\nValue3=0.5\nName4=d\n"
                                  "Value4=0.01\n";

// The row of one value is what a batch run of the model saved with that
// value gives: a run too short to settle has the extremes over the steps
// after the discarded ones and the last state, all as general number text,
// no period and "no".
TEST_F(SweepCommand, EachRowIsTheBatchRunOfItsValue) {
    const std::string model = Model(kPredatorPrey);
    for (const char* method : {"euler", "rk45"}) {
        ASSERT_EQ(
            Run({model, "A=0.3:0.7:5", "--steps", "60", "--discard", "20", "--method", method}), 0)
            << err.str();
        const std::vector<std::string> rows = Lines(out.str());
        ASSERT_EQ(rows.size(), 6u);
        EXPECT_EQ(rows[0], "A,N1min,N1max,N2min,N2max,N1last,N2last,period,converged");
        for (int i = 0; i < 5; ++i) {
            const std::string value = FloatToText(0.3 + 0.1 * i);
            std::string text = kPredatorPrey;
            text.replace(text.find("Value1=0.5"), 10, "Value1=" + value);
            std::ostringstream batch, batchErr;
            ASSERT_EQ(RunBatch({Model(text, "one.ini"), "--steps", "60", "--method", method}, batch,
                               batchErr),
                      0);
            std::vector<std::string> states = Lines(batch.str());
            states.erase(states.begin(), states.begin() + 2 + 20); // header, start, discarded
            double mins[2] = {1E300, 1E300}, maxs[2] = {-1E300, -1E300};
            for (const std::string& state : states)
                for (int n = 0; n < 2; ++n) {
                    const double v = TextToFloat(Fields(state)[std::size_t(n) + 1]);
                    mins[n] = std::min(mins[n], v);
                    maxs[n] = std::max(maxs[n], v);
                }
            const std::vector<std::string> last = Fields(states.back());
            EXPECT_EQ(rows[std::size_t(i) + 1],
                      value + "," + FloatToText(mins[0]) + "," + FloatToText(maxs[0]) + "," +
                          FloatToText(mins[1]) + "," + FloatToText(maxs[1]) + "," + last[1] + "," +
                          last[2] + ",,no")
                << method << " " << value;
        }
        EXPECT_EQ(err.str(), "");
    }
}

TEST_F(SweepCommand, AFaultingRunLeavesItsRowEmptyAndTheOthersGoOn) {
    const std::string model =
        Model("[Time]\nStep=0.5\n[Species 1]\nRate=N1/(k-1)\n[Parameters]\nName1=k\nValue1=3\n");
    EXPECT_EQ(Run({model, "k=0:2:3", "--steps", "4"}), 1);
    const std::vector<std::string> rows = Lines(out.str());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1], "0,0.0625,0.5,1,1,0.0625,1,,no"); // N1 halves each step
    EXPECT_EQ(rows[2], "1,,,,,,,,");
    EXPECT_EQ(rows[3], "2,1.5,5.0625,1,1,5.0625,1,,no"); // N1 grows by half
    EXPECT_EQ(err.str(), "k=1: Solver stopped at t = 0: Floating point division by zero.\n");
}

TEST_F(SweepCommand, BadArgumentsAndModelsAreRefusedBeforeAnyRun) {
    const std::string model = Model(kPredatorPrey);
    const std::string usage =
        "usage: tarnivell --sweep MODEL.ini NAME=FROM:TO:COUNT [--steps N] [--follow].\n";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{}, usage},
        {{model}, usage},
        {{model, "a=0:1:2", "extra"}, usage},
        {{model, "a=0:1:2", "--steps"}, usage},
        {{model, "a"}, "'a' is not a sweep of the form NAME=FROM:TO:COUNT.\n"},
        {{model, "=0:1:2"}, "'=0:1:2' is not a sweep of the form NAME=FROM:TO:COUNT.\n"},
        {{model, "a=0:1"}, "'a=0:1' is not a sweep of the form NAME=FROM:TO:COUNT.\n"},
        {{model, "a=0:1:2:3"}, "'a=0:1:2:3' is not a sweep of the form NAME=FROM:TO:COUNT.\n"},
        {{model, "a=x:1:2"}, "'x' is not a valid floating point value.\n"},
        {{model, "a=0:1:0"}, "'0' is not a valid count for --sweep.\n"},
        {{model, "a=0:1:1.5"}, "'1.5' is not a valid count for --sweep.\n"},
        {{model, "a=0:1:10000001"},
         "'10000001' values are more than a sweep takes (at most 10000000).\n"},
        {{model, "a=0:1:4294967297"},
         "'4294967297' values are more than a sweep takes (at most 10000000).\n"},
        {{model, "a=0:1:99999999999999999999"},
         "'99999999999999999999' is not a valid count for --sweep.\n"},
        {{model, "a=0:1:2", "--steps", "0"}, "'0' is not a valid count for --steps.\n"},
        {{model, "a=0:1:2", "--discard", "-1"}, "'-1' is not a valid count for --discard.\n"},
        {{model, "a=0:1:2", "--steps", "10", "--discard", "10"},
         "Every step would be discarded.\n"},
        {{model, "a=0:1:2", "--method", "rk5"}, "Unknown method 'rk5'.\n"},
        {{model, "a=0:1:2", "--rtol", "0"}, "'0' is not a valid tolerance.\n"},
        {{model, "z=0:1:2"}, "No parameter is named 'z'.\n"},
        {{dir.filePath("none.ini").toStdString(), "a=0:1:2"},
         "Model file '" + dir.filePath("none.ini").toStdString() + "' does not exist.\n"},
        {{Model("[Species 1]\nRate=a*\n[Parameters]\nName1=a\nValue1=1\n", "rate.ini"), "a=0:1:2"},
         "Species 1 rate: Error parsing expression:\nA*.\n"},
        {{Model("[Parameters]\nName1=a\nValue1=1\nName2=b\nValue2=?\n", "value.ini"), "a=0:1:2"},
         "'?' is not a valid floating point value.\n"},
    };
    for (const auto& c : cases) {
        const std::string call = c.args.empty() ? "" : c.args.back();
        EXPECT_EQ(Run(c.args), 1) << call;
        EXPECT_EQ(out.str(), "") << call;
        EXPECT_EQ(err.str(), c.err) << call;
    }
}

TEST_F(SweepCommand, OneValueIsFromAndARunThatNeverSettlesTakesEveryStep) {
    const std::string model = Model("[Species 1]\nRate=r\n[Parameters]\nName1=r\nValue1=0\n");
    ASSERT_EQ(Run({model, "r=2:5:1"}), 0) << err.str();
    // 1,000,000 steps of N1 += 2, every one in the figures.
    EXPECT_EQ(out.str(), "r,N1min,N1max,N2min,N2max,N1last,N2last,period,converged\n"
                         "2,3,2000001,1,1,2000001,1,,no\n");
}

// A user whose separator is "," types the range with it and still gets rows
// of nine fields that any program reads.
TEST_F(SweepCommand, RowsUseAPointWhateverTheSeparator) {
    const std::string model = Model("[Species 1]\nRate=r\n[Parameters]\nName1=r\nValue1=0\n");
    SetDecimalSeparator(',');
    const int code = Run({model, "r=0,5:1,5:2", "--steps", "4"});
    SetDecimalSeparator('.');
    ASSERT_EQ(code, 0) << err.str();
    EXPECT_EQ(out.str(), "r,N1min,N1max,N2min,N2max,N1last,N2last,period,converged\n"
                         "0.5,1.5,3,1,1,3,1,,no\n1.5,2.5,7,1,1,7,1,,no\n");
}

// The paradox of enrichment (R = 0.8, A = 0.05, H = 0.2, e = 0.5, m = 0.3)
// has its equilibrium at N1* = m/(A(e − mH)) = 150/11, N2* = R(1 − N1*/K)
// (1 + AH·N1*)/A; it loses its stability at K = 2·N1* + 1/(AH) = 1400/11,
// where the cycle is born with the period 2π/ω of the equilibrium's
// eigenvalues ±iω, ω² = (m/e)·e·A/(1 + AH·N1*)²·N2*. With the example's own
// method and the default steps the rows below are the equilibrium (or runs
// still circling it closely, said so), the first cycle lies within 1 % of
// the Hopf point, and every cycle after it goes round the equilibrium.
TEST_F(SweepCommand, TheParadoxOfEnrichmentCyclesFromItsHopfPoint) {
    ASSERT_EQ(Run({TARNIVELL_EXAMPLES "/paradox-of-enrichment.ini", "K=100:160:16"}), 0)
        << err.str();
    const auto rows = Table(out.str());
    ASSERT_EQ(rows.size(), 16u);
    const double n1 = 150.0 / 11, hopf = 1400.0 / 11;
    const auto n2 = [&](double k) { return 0.8 * (1 - n1 / k) * (1 + 0.01 * n1) / 0.05; };
    const double omega = std::sqrt(0.3 * 0.05 / std::pow(1 + 0.01 * n1, 2) * n2(hopf));
    const auto cycle = std::find_if(rows.begin(), rows.end(), [](const auto& row) {
        return row[kConverged] == "yes" && !row[kPeriod].empty();
    });
    ASSERT_NE(cycle, rows.end());
    EXPECT_NEAR(At(*cycle, kValue), hopf, 0.01 * hopf);
    EXPECT_NEAR(At(*cycle, kPeriod), 2 * M_PI / omega, 0.01 * 2 * M_PI / omega);
    for (auto row = rows.begin(); row != cycle; ++row) {
        const std::vector<std::string>& r = *row;
        SCOPED_TRACE(r[kValue]);
        const double k = At(r, kValue);
        if (r[kConverged] == "yes") {
            EXPECT_EQ(r[kPeriod], "");
            EXPECT_EQ(r[kN1Min], r[kN1Max]);
            EXPECT_EQ(r[kN2Min], r[kN2Max]);
            EXPECT_NEAR(At(r, kN1Min), n1, 1e-5 * n1);
            EXPECT_NEAR(At(r, kN2Min), n2(k), 1e-5 * n2(k));
        } else {
            EXPECT_EQ(r[kConverged], "no");
            for (int f : {kN1Min, kN1Max})
                EXPECT_NEAR(At(r, f), n1, 1e-3 * n1);
        }
    }
    for (auto row = cycle; row != rows.end(); ++row) {
        SCOPED_TRACE((*row)[kValue]);
        EXPECT_EQ((*row)[kConverged], "yes");
        EXPECT_LT(At(*row, kN1Min), n1);
        EXPECT_GT(At(*row, kN1Max), n1);
    }
}

// The Hopf normal form about (2, 2), x = N1 − 2, y = N2 − 2:
// x' = m·x − w·y − x(x² + y²), y' = w·x + m·y − y(x² + y²). For m < 0 every
// run ends at (2, 2); for m > 0 on the circle of radius √m, once round in
// 2π/w. Euler's points of step h keep to the circle of r² = m + (1 −
// √(1 − h²w²))/h instead, turning by asin(hw) a step.
TEST_F(SweepCommand, RowsAreTheNormalFormsEquilibriaAndCycles) {
    const double h = 0.01, w = 2;
    const std::string model = Model("[Time]\nStep=0.01\n[Species 1]\nDensity=3\n"
                                    "Rate=m*(N1-2) - w*(N2-2) - (N1-2)*((N1-2)^2 + (N2-2)^2)\n"
                                    "[Species 2]\nDensity=2\n"
                                    "Rate=w*(N1-2) + m*(N2-2) - (N2-2)*((N1-2)^2 + (N2-2)^2)\n"
                                    "[Parameters]\nName1=m\nValue1=0\nName2=w\nValue2=2\n");
    const struct {
        const char* method;
        double tolerance; // of the densities, and of the period relative to it
    } cases[] = {{"euler", 1e-5}, {"rk4", 1e-5}, {"rk45", 1e-5}, {"bdf", 1e-4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        const bool euler = std::string(c.method) == "euler";
        ASSERT_EQ(Run({model, "m=-0.5:1:3", "--method", c.method}), 0) << err.str();
        const auto rows = Table(out.str());
        ASSERT_EQ(rows.size(), 3u);
        const std::vector<std::string>& rest = rows[0];
        EXPECT_EQ(rest[kConverged], "yes");
        EXPECT_EQ(rest[kPeriod], "");
        EXPECT_EQ(rest[kN1Min], rest[kN1Max]);
        EXPECT_EQ(rest[kN2Min], rest[kN2Max]);
        EXPECT_NEAR(At(rest, kN1Min), 2, c.tolerance);
        EXPECT_NEAR(At(rest, kN2Min), 2, c.tolerance);
        for (const std::vector<std::string>& row : {rows[1], rows[2]}) {
            SCOPED_TRACE(row[kValue]);
            const double m = At(row, kValue);
            const double r = std::sqrt(euler ? m + (1 - std::sqrt(1 - h * h * w * w)) / h : m);
            const double period = euler ? 2 * M_PI * h / std::asin(h * w) : 2 * M_PI / w;
            EXPECT_EQ(row[kConverged], "yes");
            EXPECT_NEAR(At(row, kPeriod), period, c.tolerance * period);
            for (int f : {kN1Min, kN2Min})
                EXPECT_NEAR(At(row, f), 2 - r, c.tolerance);
            for (int f : {kN1Max, kN2Max})
                EXPECT_NEAR(At(row, f), 2 + r, c.tolerance);
        }
    }
}

// N1' = a + N1 − N1³ has two stable equilibria for |a| < 2/(3√3) ≈ 0.385.
// From N1 = 0 a run goes to the one on the side of a; a run that starts
// where the one before it ended keeps to its branch until the branch ends:
// past +0.385 on the way up, past −0.385 on the way down (FROM above TO).
TEST_F(SweepCommand, FollowingRunsKeepToTheirBranchUpToItsFold) {
    const std::string model = Model("[Time]\nStep=0.1\n[Species 1]\nDensity=0\n"
                                    "Rate=a + N1 - N1^3\n[Parameters]\nName1=a\nValue1=0\n"
                                    "[Solver]\nMethod=rk4\n");
    const struct {
        std::vector<std::string> args;
        const char* branches; // the sign of each row's N1
    } cases[] = {
        {{"a=-1.05:1.05:8"}, "----++++"},
        {{"a=-1.05:1.05:8", "--follow"}, "-----+++"},
        {{"a=1.05:-1.05:8", "--follow"}, "+++++---"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{model};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(args.back());
        ASSERT_EQ(Run(args), 0) << err.str();
        const auto rows = Table(out.str());
        ASSERT_EQ(rows.size(), 8u);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const double a = At(rows[i], kValue), x = At(rows[i], kN1Last);
            EXPECT_EQ(rows[i][kConverged], "yes") << a;
            EXPECT_EQ(x < 0 ? '-' : '+', c.branches[i]) << a;
            EXPECT_NEAR(a + x - x * x * x, 0, 1e-5) << a;
        }
    }
}

} // namespace
