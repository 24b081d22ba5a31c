#include "SweepCommand.h"
#include "BatchRun.h"
#include "FloatText.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
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
// value gives: the extremes over the steps after the discarded ones, the last
// state, all as general number text.
TEST_F(SweepCommand, EachRowIsTheBatchRunOfItsValue) {
    const std::string model = Model(kPredatorPrey);
    for (const char* method : {"euler", "rk45"}) {
        ASSERT_EQ(
            Run({model, "A=0.3:0.7:5", "--steps", "60", "--discard", "20", "--method", method}), 0)
            << err.str();
        const std::vector<std::string> rows = Lines(out.str());
        ASSERT_EQ(rows.size(), 6u);
        EXPECT_EQ(rows[0], "A,N1min,N1max,N2min,N2max,N1last,N2last");
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
                          last[2])
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
    EXPECT_EQ(rows[1], "0,0.0625,0.125,1,1,0.0625,1"); // N1 halves each step
    EXPECT_EQ(rows[2], "1,,,,,,");
    EXPECT_EQ(rows[3], "2,3.375,5.0625,1,1,5.0625,1"); // N1 grows by half
    EXPECT_EQ(err.str(), "k=1: Floating point division by zero.\n");
}

TEST_F(SweepCommand, BadArgumentsAndModelsAreRefusedBeforeAnyRun) {
    const std::string model = Model(kPredatorPrey);
    const std::string usage =
        "usage: tarnivell --sweep MODEL.ini NAME=FROM:TO:COUNT [--steps N] [--discard M].\n";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{}, usage},
        {{model}, usage},
        {{model, "a=0:1:2", "extra"}, usage},
        {{model, "a=0:1:2", "--steps"}, usage},
        {{model, "a=0:1:2", "--every", "2"}, usage},
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
         "Error parsing expression:\nA*.\n"},
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

TEST_F(SweepCommand, OneValueIsFromAndTheDefaultsKeepTheSecondHalf) {
    const std::string model = Model("[Species 1]\nRate=r\n[Parameters]\nName1=r\nValue1=0\n");
    ASSERT_EQ(Run({model, "r=2:5:1"}), 0) << err.str();
    // 1000 steps of N1 += 2; the figures over steps 501 to 1000.
    EXPECT_EQ(out.str(), "r,N1min,N1max,N2min,N2max,N1last,N2last\n2,1003,2001,1,1,2001,1\n");
}

// A user whose separator is "," types the range with it and still gets rows
// of seven fields that any program reads.
TEST_F(SweepCommand, RowsUseAPointWhateverTheSeparator) {
    const std::string model = Model("[Species 1]\nRate=r\n[Parameters]\nName1=r\nValue1=0\n");
    SetDecimalSeparator(',');
    const int code = Run({model, "r=0,5:1,5:2", "--steps", "4"});
    SetDecimalSeparator('.');
    ASSERT_EQ(code, 0) << err.str();
    EXPECT_EQ(out.str(), "r,N1min,N1max,N2min,N2max,N1last,N2last\n"
                         "0.5,2.5,3,1,1,3,1\n1.5,5.5,7,1,1,7,1\n");
}

} // namespace
