#include "BatchRun.h"

#include "CommandTest.h"
#include "EulerStepWarning.h"
#include "SweepCommand.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace {

class BatchRun : public CommandTest {
protected:
    BatchRun() : CommandTest(RunBatch) {}
};

TEST_F(BatchRun, PrintsTheStateBeforeAndAfterTheSteps) {
    const std::string path = Model("[Time]\nStep=0.5\n[Species 1]\nDensity=2\nRate=r*N1\n"
                                   "[Species 2]\nDensity=-1\nRate=N1\n"
                                   "[Parameters]\nName1=r\nValue1=1\n");
    EXPECT_EQ(Run({path, "--steps", "2"}), 0) << err.str();
    // N2 takes N1 of the previous step: 2 then 3.
    EXPECT_EQ(out.str(), "t,N1,N2\n0,2,-1\n0.5,3,0\n1,4.5,1.5\n");
    // N2 moving from -1 to 0 is a large step for Euler.
    EXPECT_EQ(err.str(), std::string(TEulerStepWarning::kText) + "\n");
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
    EXPECT_EQ(err.str(), std::string(TEulerStepWarning::kText) +
                             "\nSolver stopped at t = 1: Floating point division by zero.\n");
}

TEST_F(BatchRun, ReportsBadModelsAndArguments) {
    EXPECT_EQ(Run({Model("[Species 2]\nRate=N1+\n")}), 1);
    EXPECT_EQ(err.str(), "Species 2 rate: Error parsing expression:\nN1+.\n");
    EXPECT_EQ(out.str(), "");

    EXPECT_EQ(Run({Model("[Time]\nStep=fast\n")}), 1);
    EXPECT_EQ(err.str(), "'fast' is not a valid floating point value.\n");

    const std::string path = Model("");
    for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                  {path, "--steps"},
                                                                  {path, "--steps", "-1"},
                                                                  {path, "--every", "0"},
                                                                  {path, "--steps", "1x"},
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

// N1' = N1 over one step of 1 from 1: Euler gives 2, RK4 the Taylor sum to
// fourth order, the adaptive methods e to their tolerance.
TEST_F(BatchRun, MethodOptionsOverrideTheFilesSolverSection) {
    const std::string path = Model("[Species 1]\nRate=N1\n[Solver]\nMethod=rk4\n");
    EXPECT_EQ(Run({path, "--steps", "1"}), 0) << err.str();
    EXPECT_EQ(out.str(), "t,N1,N2\n0,1,1\n1,2.70833333333333,1\n");
    EXPECT_EQ(Run({path, "--steps", "1", "--method", "euler"}), 0);
    EXPECT_EQ(out.str(), "t,N1,N2\n0,1,1\n1,2,1\n");
    for (const char* method : {"rk45", "bdf"}) {
        EXPECT_EQ(
            Run({path, "--steps", "2", "--method", method, "--rtol", "1E-10", "--atol", "1E-12"}),
            0)
            << err.str();
        std::istringstream rows(out.str());
        std::string header, start, first, second;
        rows >> header >> start >> first >> second;
        EXPECT_EQ(header, "t,N1,N2");
        EXPECT_EQ(start, "0,1,1");
        EXPECT_EQ(second.substr(0, 2), "2,");
        EXPECT_NEAR(std::stod(second.substr(2)), std::exp(2.0), 1E-6) << method;
    }
}

TEST_F(BatchRun, BadSolverOptionsAreReported) {
    const std::string path = Model("[Species 1]\nRate=N1\n");
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{path, "--method", "rk5"}, "Unknown method 'rk5'.\n"},
        {{path, "--rtol", "tight"}, "'tight' is not a valid floating point value.\n"},
        {{path, "--atol", "0"}, "'0' is not a valid tolerance.\n"},
        {{path, "--atol", "-1"}, "'-1' is not a valid tolerance.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), 1);
        EXPECT_EQ(err.str(), c.message);
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_EQ(Run({path, "--method"}), 1);
    EXPECT_NE(err.str().find("[--method M]"), std::string::npos) << err.str();
    EXPECT_EQ(Run({Model("[Solver]\nMethod=rk5\n")}), 1);
    EXPECT_EQ(err.str(), "Unknown method 'rk5'.\n");
}

TEST_F(BatchRun, ASolverFaultStopsAfterTheLastCompletedStep) {
    // The second stage of the step from N1 = 2 reaches N1 = 2.5.
    const std::string path = Model("[Species 1]\nRate=1\n[Species 2]\nRate=1/(N1-2.5)\n");
    EXPECT_EQ(Run({path, "--steps", "5", "--method", "rk4"}), 1);
    EXPECT_EQ(out.str().substr(0, 8), "t,N1,N2\n");
    const std::string rows = out.str();
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 3) << rows;
    EXPECT_EQ(err.str(), "Solver stopped at t = 1: Floating point division by zero.\n");
}

// N1' = k·N1 from 1: a step of dt changes N1 by k·dt of itself, too much for
// Euler above one half. The note comes once however many steps or runs are
// too large, and never for another method.
TEST(HeadlessRuns, SayOnceThatAnEulerStepIsLarge) {
    struct TCase {
        int (*command)(const std::vector<std::string>&, std::ostream&, std::ostream&);
        std::string dt;
        std::vector<std::string> args;
        int notes;
    } cases[] = {
        {RunBatch, "1", {"--steps", "5"}, 1},
        {RunBatch, "0.1", {"--steps", "5"}, 0},
        {RunBatch, "1", {"--steps", "5", "--method", "rk4"}, 0},
        {RunSweepCommand, "1", {"k=1:2:3", "--steps", "5"}, 1},
        {RunSweepCommand, "0.1", {"k=1:2:3", "--steps", "5"}, 0},
        {RunSweepCommand, "1", {"k=1:2:3", "--steps", "5", "--method", "bdf"}, 0},
    };
    QTemporaryDir dir;
    const std::string path = dir.filePath("model.ini").toStdString();
    const std::string note = std::string(TEulerStepWarning::kText) + "\n";
    for (const TCase& c : cases) {
        std::ofstream(path) << "[Time]\nStep=" << c.dt
                            << "\n[Species 1]\nRate=k*N1\n[Parameters]\nName1=k\nValue1=1\n";
        std::vector<std::string> args{path};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::ostringstream out, err;
        SCOPED_TRACE(args[1] + " dt=" + c.dt);
        EXPECT_EQ(c.command(args, out, err), 0);
        EXPECT_EQ(err.str(), c.notes ? note : "");
    }
}

} // namespace
