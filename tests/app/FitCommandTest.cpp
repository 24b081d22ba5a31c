#include "FitCommand.h"

#include "DataFile.h"
#include "FloatText.h"
#include "ModelFile.h"
#include "ModelFormats.h"

#include "CommandTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

class FitCommand : public CommandTest {
protected:
    FitCommand() : CommandTest(RunFit) {}
    std::string File(const std::string& name, const std::string& text) {
        const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path) << text;
        return path;
    }
};

const std::string kExamples = TARNIVELL_EXAMPLES;

// The sum of squares of Lotka-Volterra (hares N1' = a N1 - b N1 N2, lynx N2'
// = c N1 N2 - d N2) against the counts, integrated by classical Runge-Kutta
// with a step far below the cycle's scale.
double LotkaVolterraSsr(const std::map<std::string, double>& p, const TObservedData& data) {
    const auto rates = [&](double n1, double n2, double& r1, double& r2) {
        r1 = p.at("a") * n1 - p.at("b") * n1 * n2;
        r2 = p.at("c") * n1 * n2 - p.at("d") * n2;
    };
    double n1 = p.at("N1"), n2 = p.at("N2"), ssr = 0;
    constexpr int kSteps = 2000; // a year
    for (std::size_t row = 0; row < data.Rows(); ++row) {
        if (row > 0)
            for (int s = 0; s < kSteps; ++s) {
                const double h = (data.t[row] - data.t[row - 1]) / kSteps;
                double a1, a2, b1, b2, c1, c2, d1, d2;
                rates(n1, n2, a1, a2);
                rates(n1 + h / 2 * a1, n2 + h / 2 * a2, b1, b2);
                rates(n1 + h / 2 * b1, n2 + h / 2 * b2, c1, c2);
                rates(n1 + h * c1, n2 + h * c2, d1, d2);
                n1 += h / 6 * (a1 + 2 * b1 + 2 * c1 + d1);
                n2 += h / 6 * (a2 + 2 * b2 + 2 * c2 + d2);
            }
        ssr +=
            (n1 - data.n1[row]) * (n1 - data.n1[row]) + (n2 - data.n2[row]) * (n2 - data.n2[row]);
    }
    return ssr;
}

// The lynx and hare counts: every estimate with a standard error, the SSR
// that of the estimates integrated independently, and --out the model with
// the estimates, the rest of the file kept.
TEST_F(FitCommand, FitsTheLynxAndHareCounts) {
    const std::string data = kExamples + "/lynx-hare.csv";
    const std::string fitted = dir.filePath("fitted.ini").toStdString();
    ASSERT_EQ(Run({kExamples + "/lynx-hare.ini", data, "--params", "a,b,c,d", "--densities",
                   "--out", fitted}),
              0)
        << err.str();
    std::string header;
    const auto rows = CsvRows(out.str(), &header);
    EXPECT_EQ(header, "name,estimate,standard_error");
    ASSERT_EQ(rows.size(), 6u);
    std::map<std::string, double> estimate;
    const char* names[] = {"a", "b", "c", "d", "N1", "N2"};
    for (std::size_t i = 0; i < 6; ++i) {
        ASSERT_EQ(rows[i].size(), 3u);
        EXPECT_EQ(rows[i][0], names[i]);
        estimate[names[i]] = TextToFloat(rows[i][1]);
        const double se = TextToFloat(rows[i][2]);
        EXPECT_GT(estimate[names[i]], 0) << names[i];
        EXPECT_GT(se, 0) << names[i];
        EXPECT_LT(se, estimate[names[i]]) << names[i];
    }
    const double ssr = LotkaVolterraSsr(estimate, TDataFile::Read(data).Data());
    const std::string e = err.str();
    ASSERT_EQ(e.rfind("SSR=", 0), 0u) << e;
    EXPECT_NEAR(TextToFloat(e.substr(4, e.find(',') - 4)), ssr, 1e-5 * ssr);
    const double aic = 42 * std::log(ssr / 42) + 12;
    EXPECT_NE(e.find(", points=42, AIC="), std::string::npos) << e;
    EXPECT_NEAR(TextToFloat(e.substr(e.find("AIC=") + 4, e.find('\n') - e.find("AIC=") - 4)), aic,
                1e-4 * std::fabs(aic))
        << e;

    TModel model;
    LoadModelFile(fitted, model);
    EXPECT_EQ(model.N1, estimate["N1"]);
    EXPECT_EQ(model.N2, estimate["N2"]);
    EXPECT_EQ(TextToFloat(model.rows[2].value), estimate["c"]);
    EXPECT_NE(model.origin.find("Title=Lynx and hare"), std::string::npos);
}

// Growth at the rate a·b fitted to logistic counts in columns of other
// names: a and b read "not identifiable" and standard error says why; K is
// estimated as usual.
TEST_F(FitCommand, AParameterTheDataCannotDetermineReadsSo) {
    const std::string model = Model("[Species 1]\nDensity=2\nRate=a*b*N1*(1-N1/K)\n[Species 2]\n"
                                    "Density=0\nRate=0\n[Parameters]\nName1=a\nValue1=1\n"
                                    "Name2=b\nValue2=0.5\nName3=K\nValue3=40\n");
    std::string csv = "day,count\n";
    for (int day = 0; day < 16; ++day)
        csv += std::to_string(day) + "," +
               FloatToText(50 / (1 + 24 * std::exp(-0.8 * day)) + 0.5 * std::sin(2.7 * day)) + "\n";
    const std::string data = File("counts.csv", csv);
    const std::string fitted = dir.filePath("fitted.ode").toStdString();
    EXPECT_EQ(
        Run({model, data, "--params", "a,b,K", "--columns", "t=day,N1=count", "--out", fitted}), 0)
        << err.str();
    const auto rows = CsvRows(out.str());
    ASSERT_EQ(rows.size(), 3u);
    // --out writes the format its extension names.
    TModel written;
    std::vector<std::string> notes;
    LoadAnyModelFile(fitted, written, notes);
    const auto k =
        std::find_if(written.rows.begin(), written.rows.end(),
                     [](const ParameterRow& r) { return SameParameterName(r.name, "K"); });
    ASSERT_NE(k, written.rows.end());
    EXPECT_EQ(TextToFloat(k->value), TextToFloat(rows[2][1]));
    EXPECT_EQ(rows[0], (std::vector<std::string>{"a", rows[0][1], "not identifiable"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"b", rows[1][1], "not identifiable"}));
    EXPECT_NEAR(TextToFloat(rows[0][1]) * TextToFloat(rows[1][1]), 0.8, 0.05);
    EXPECT_EQ(rows[2][0], "K");
    EXPECT_NEAR(TextToFloat(rows[2][1]), 50, 3 * TextToFloat(rows[2][2]));
    EXPECT_NE(err.str().find(", points=16, "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("'a' is not identifiable: the data determine it only together with "
                             "others.\n'b' is not identifiable"),
              std::string::npos)
        << err.str();
}

TEST_F(FitCommand, WhatCannotBeFittedIsAnError) {
    const std::string model = kExamples + "/lynx-hare.ini";
    const std::string data = kExamples + "/lynx-hare.csv";
    const std::string bad = File("bad.csv", "year,N1,N2\n1900,30,4\n1901,47.2,6.1x\n");
    const std::string noTime = File("notime.csv", "day,N1,N2\n1,30,4\n");
    const std::string empty = File("empty.csv", "");
    const std::string usage = std::string("usage: tarnivell ") + kFitUsage + ".\n";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{model, data}, usage},
        {{model, "--params", "a"}, usage},
        {{model, data, "--params"}, usage},
        {{model, data, "--params", "a,q"}, "No parameter is named 'q'.\n"},
        {{model, data, "--params", "a,a"}, "'a' is estimated twice.\n"},
        {{model, data, "--params", "a", "--starts", "0"},
         "'0' is not a valid count for --starts.\n"},
        {{model, data, "--params", "a", "--columns", "x=year"},
         "'x=year' is not a list of columns of the form t=COL,N1=COL,N2=COL.\n"},
        {{model, data, "--params", "a", "--columns", "N2=lynx"},
         "'" + data + "' has no column 'lynx'.\n"},
        {{model, bad, "--params", "a"},
         "'" + bad + "' line 3: '6.1x' is not a valid floating point value.\n"},
        {{model, noTime, "--params", "a"},
         "'" + noTime + "' has no time column (t, time or year).\n"},
        {{model, empty, "--params", "a"}, "'" + empty + "' holds no data.\n"},
        {{model, dir.filePath("none.csv").toStdString(), "--params", "a"},
         "Data file '" + dir.filePath("none.csv").toStdString() + "' does not exist.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), 1) << c.args.back();
        EXPECT_EQ(out.str(), "") << c.args.back();
        EXPECT_EQ(err.str(), c.err) << c.args.back();
    }
}

} // namespace
