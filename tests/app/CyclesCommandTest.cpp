#include "CyclesCommand.h"

#include "BatchRun.h"
#include "EquilibriaCommand.h"
#include "FloatText.h"
#include "LimitCycles.h"

#include "CommandTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

const char* const kHeader = "N1,N2,period,N1min,N1max,N2min,N2max,multiplier,kind\n";

// The model file's text with the densities (N1 first) replaced.
std::string StartingAt(std::string text, double n1, double n2) {
    std::size_t at = 0;
    for (double density : {n1, n2}) {
        at = text.find("Density=", at) + 8;
        text.replace(at, text.find('\n', at) - at, FloatToText(density));
    }
    return text;
}

// A cycle as a long run sees it: the mean time between upward crossings of
// N1's mid-range (each crossing interpolated between output steps) and the
// extremes of N1 over the second half of the run.
struct TRunCycle {
    double period = 0, n1Min = 0, n1Max = 0;
};

TRunCycle CycleOfALongRun(const std::string& model, int steps) {
    std::ostringstream out, err;
    EXPECT_EQ(RunBatch({model, "--steps", std::to_string(steps), "--method", "rk45", "--rtol",
                        "1E-10", "--atol", "1E-12"},
                       out, err),
              0)
        << err.str();
    const auto rows = CsvRows(out.str());
    std::vector<std::pair<double, double>> tail; // (t, N1)
    for (std::size_t i = rows.size() / 2; i < rows.size(); ++i)
        tail.emplace_back(TextToFloat(rows[i][0]), TextToFloat(rows[i][1]));
    TRunCycle run;
    const auto [lo, hi] = std::minmax_element(tail.begin(), tail.end(),
                                              [](auto a, auto b) { return a.second < b.second; });
    run.n1Min = lo->second;
    run.n1Max = hi->second;
    const double mid = (run.n1Min + run.n1Max) / 2;
    std::vector<double> ups;
    for (std::size_t i = 1; i < tail.size(); ++i) {
        const auto [t0, a] = tail[i - 1];
        const auto [t1, b] = tail[i];
        if (a < mid && b >= mid) ups.push_back(t0 + (t1 - t0) * (mid - a) / (b - a));
    }
    if (ups.size() >= 2) run.period = (ups.back() - ups.front()) / double(ups.size() - 1);
    return run;
}

class Cycles : public CommandTest {
protected:
    Cycles() : CommandTest(RunCycles) {}
};

TEST_F(Cycles, AStableCycleHasThePeriodAndExtentOfALongRun) {
    struct Case {
        const char* what;
        std::string file;
    };
    std::string enriched = ExampleText("paradox-of-enrichment.ini");
    enriched.replace(enriched.find("Value2=200"), 10, "Value2=150");
    const Case cases[] = {
        {"Holling-Tanner with a slow predator", ExampleText("holling-tanner-cycle.ini")},
        {"Rosenzweig-MacArthur with K = 150, past the Hopf point at 127.3", enriched},
    };
    for (const Case& c : cases) {
        const std::string model = Model(c.file);
        ASSERT_EQ(Run({model}), 0) << c.what << ": " << err.str();
        EXPECT_EQ(out.str().rfind(kHeader, 0), 0u) << c.what;
        const auto rows = CsvRows(out.str());
        ASSERT_EQ(rows.size(), 1u) << c.what << "\n" << out.str();
        const std::vector<std::string>& row = rows[0];
        ASSERT_EQ(row.size(), 9u) << c.what;
        EXPECT_EQ(row[8], "stable") << c.what;
        const double multiplier = TextToFloat(row[7]);
        EXPECT_GT(multiplier, 0) << c.what;
        EXPECT_LT(multiplier, 1) << c.what;
        // The point given lies within the extent given.
        EXPECT_LE(TextToFloat(row[3]), TextToFloat(row[0])) << c.what;
        EXPECT_GE(TextToFloat(row[4]), TextToFloat(row[0])) << c.what;
        EXPECT_LE(TextToFloat(row[5]), TextToFloat(row[1])) << c.what;
        EXPECT_GE(TextToFloat(row[6]), TextToFloat(row[1])) << c.what;

        // Started on the point given, a run stays on the cycle: forty periods
        // of 0.1 steps.
        const double period = TextToFloat(row[2]);
        const TRunCycle run =
            CycleOfALongRun(Model(StartingAt(c.file, TextToFloat(row[0]), TextToFloat(row[1]))),
                            int(std::ceil(400 * period)));
        EXPECT_NEAR(run.period, period, 1e-5 * period) << c.what;
        EXPECT_NEAR(run.n1Min, TextToFloat(row[3]), 1e-4 * run.n1Max) << c.what;
        EXPECT_NEAR(run.n1Max, TextToFloat(row[4]), 1e-4 * run.n1Max) << c.what;
    }
}

TEST_F(Cycles, NoCycleAndACentreGiveTheHeaderAlone) {
    struct Case {
        const char* what;
        std::string file;
        bool centre;
    };
    const Case cases[] = {
        {"competition settling at a stable node", ExampleText("logistic-competition.ini"), false},
        {"Lotka-Volterra: closed orbits, none isolated", ExampleText("lotka-volterra.ini"), true},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Run({Model(c.file)}), 0) << c.what << ": " << err.str();
        EXPECT_EQ(out.str(), kHeader) << c.what;
        EXPECT_EQ(err.str().find(kCentreNote) != std::string::npos, c.centre)
            << c.what << ": " << err.str();
        EXPECT_NE(err.str().find("Searched the "), std::string::npos) << c.what;
    }
}

// The arguments, the model and the box are read by the code --equilibria
// reads them with: the same faults, the same messages.
TEST_F(Cycles, WhatCannotBeAnsweredIsAnErrorAsForEquilibria) {
    const std::string lv = Model(ExampleText("lotka-volterra.ini"));
    const std::vector<std::vector<std::string>> cases = {
        {lv, "--box", "1:2:3"},
        {lv, "--box", "5:1:0:1"},
        {lv, "--box"},
        {lv, "other.ini"},
        {dir.filePath("none.ini").toStdString()},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(Run(args), 1) << args.back();
        EXPECT_EQ(out.str(), "") << args.back();
        std::string message = err.str();
        if (message.rfind("usage: ", 0) == 0) {
            EXPECT_EQ(message, std::string("usage: tarnivell ") + kCyclesUsage + ".\n");
            continue;
        }
        std::ostringstream equilibriaOut, equilibriaErr;
        EXPECT_EQ(RunEquilibria(args, equilibriaOut, equilibriaErr), 1);
        EXPECT_EQ(message, equilibriaErr.str());
    }
    EXPECT_NE(err.str().find("does not exist"), std::string::npos);
}

} // namespace
