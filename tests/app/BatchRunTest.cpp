#include "BatchRun.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

class BatchRun : public ::testing::Test {
protected:
    std::string Model(const std::string& text) {
        const std::string path = dir.filePath("model.ini").toStdString();
        std::ofstream(path) << text;
        return path;
    }
    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return RunBatch(args, out, err);
    }
    QTemporaryDir dir;
    std::ostringstream out, err;
};

TEST_F(BatchRun, PrintsTheStateBeforeAndAfterTheSteps) {
    const std::string path = Model("[Time]\nStep=0.5\n[Species 1]\nDensity=2\nRate=r*N1\n"
                                   "[Species 2]\nDensity=-1\nRate=N1\n"
                                   "[Parameters]\nName1=r\nValue1=1\n");
    EXPECT_EQ(Run({path, "--steps", "2"}), 0) << err.str();
    // N2 takes N1 of the previous step: 2 then 3.
    EXPECT_EQ(out.str(), "t,N1,N2\n0,2,-1\n0.5,3,0\n1,4.5,1.5\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(BatchRun, WritesEveryKthStep) {
    const std::string path = Model("[Species 1]\nRate=1\n");
    EXPECT_EQ(Run({path, "--steps", "5", "--every", "2"}), 0);
    EXPECT_EQ(out.str(), "t,N1,N2\n0,1,1\n2,3,1\n4,5,1\n");
    EXPECT_EQ(Run({path}), 0);
    const std::string all = out.str();
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 1002);
}

TEST_F(BatchRun, AnArithmeticFaultStopsAfterTheRowsBeforeIt) {
    const std::string path = Model("[Species 1]\nRate=1/(2-N1)\n");
    EXPECT_EQ(Run({path, "--steps", "10"}), 1);
    EXPECT_EQ(out.str(), "t,N1,N2\n0,1,1\n1,2,1\n");
    EXPECT_EQ(err.str(), "Floating point division by zero.\n");
}

TEST_F(BatchRun, ReportsBadModelsAndArguments) {
    EXPECT_EQ(Run({Model("[Species 2]\nRate=N1+\n")}), 1);
    EXPECT_EQ(err.str(), "Error parsing expression:\nN1+.\n");
    EXPECT_EQ(out.str(), "");

    EXPECT_EQ(Run({Model("[Time]\nStep=fast\n")}), 1);
    EXPECT_EQ(err.str(), "'fast' is not a valid floating point value.\n");

    const std::string path = Model("");
    for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                  {path, "--steps"},
                                                                  {path, "--steps", "-1"},
                                                                  {path, "--every", "0"},
                                                                  {path, "--steps", "1x"},
                                                                  {path, "--fast"},
                                                                  {path, path}}) {
        EXPECT_EQ(Run(args), 1);
        EXPECT_FALSE(err.str().empty());
        EXPECT_EQ(out.str(), "");
    }
}

TEST_F(BatchRun, AFileItCannotReadFailsNamingTheFile) {
    const std::string folder = dir.path().toStdString();
    const std::string missing = folder + "/nosuch.ini";
    const struct {
        std::string file, message;
    } cases[] = {
        {missing, "Model file '" + missing + "' does not exist.\n"},
        {"nosuch.ini", "Model file 'nosuch.ini' does not exist.\n"},
        {folder, "Model file '" + folder + "' cannot be read.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run({c.file}), 1) << c.file;
        EXPECT_EQ(out.str(), "") << c.file;
        EXPECT_EQ(err.str(), c.message);
    }
    // An existing file without a single key is a model like any other.
    EXPECT_EQ(Run({Model(""), "--steps", "0"}), 0);
    EXPECT_EQ(out.str(), "t,N1,N2\n0,1,1\n");
}

} // namespace
