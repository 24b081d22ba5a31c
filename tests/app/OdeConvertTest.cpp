// `tarnivell --convert` between .ini, .ode and SBML, and the .ode files it
// writes run by XPPAUT itself.
#include "BatchRun.h"
#include "CommandLine.h"
#include "FloatText.h"
#include "ModelFile.h"
#include "OdeFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const std::string kFolder = TARNIVELL_EXAMPLES;

int Command(const std::vector<std::string>& args, std::string& out, std::string& err) {
    std::ostringstream o, e;
    const int code = RunCommandLine(args, o, e).value_or(-1);
    out = o.str();
    err = e.str();
    return code;
}

std::string Batch(const std::string& file, const std::vector<std::string>& more = {}) {
    std::vector<std::string> args = {"--batch", file, "--steps", "300", "--every", "10"};
    args.insert(args.end(), more.begin(), more.end());
    std::string out, err;
    EXPECT_EQ(Command(args, out, err), 0) << file << ": " << err;
    return out;
}

// Every shipped example goes to .ode and to SBML and back and runs to the
// same numbers, digit for digit; the converted file itself runs so too.
TEST(OdeConvert, EveryExampleRoundTripsThroughOdeAndSbmlToTheSameNumbers) {
    QTemporaryDir dir;
    int examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kFolder)) {
        if (entry.path().extension() != ".ini") continue;
        ++examples;
        const std::string name = entry.path().stem().string();
        const std::string expected = Batch(entry.path().string());
        for (const std::string extension : {".ode", ".xml"}) {
            const std::string other =
                dir.filePath(QString::fromStdString(name + extension)).toStdString();
            const std::string ini =
                dir.filePath(QString::fromStdString(name + extension + ".ini")).toStdString();
            std::string out, err;
            ASSERT_EQ(Command({"--convert", entry.path().string(), other}, out, err), 0)
                << name << extension << err;
            ASSERT_EQ(Command({"--convert", other, ini}, out, err), 0) << name << extension << err;
            EXPECT_EQ(Batch(other), expected) << name << extension;
            EXPECT_EQ(Batch(ini), expected) << name << extension;
        }
    }
    EXPECT_GE(examples, 10);
}

TEST(OdeConvert, BadCallsAndRefusedModelsExitWithTheirMessage) {
    QTemporaryDir dir;
    const std::string ode = dir.filePath("m.ode").toStdString();
    std::ofstream(ode) << "x'=0\ny'=0\ntable f f.tab\n";
    const std::string ini = dir.filePath("m.ini").toStdString();
    const struct {
        std::vector<std::string> args;
        int code;
        std::string err;
    } cases[] = {
        {{"--convert", ode}, 1, "usage: tarnivell --convert IN OUT.\n"},
        {{"--convert", ode, ini, "more"}, 1, "usage: tarnivell --convert IN OUT.\n"},
        {{"--convert", ode, ini}, 1, "m.ode:3: 'table' is not supported.\n"},
        {{"--convert", "/nowhere/x.ode", ini}, 1, "Model file '/nowhere/x.ode' does not exist.\n"},
    };
    for (const auto& c : cases) {
        std::string out, err;
        EXPECT_EQ(Command(c.args, out, err), c.code) << c.err;
        EXPECT_EQ(err, c.err);
        EXPECT_FALSE(std::filesystem::exists(ini));
    }
}

struct XppRow {
    double t, x, y;
};

// XPPAUT's run of an .ode text up to `total`, every step, or nothing when it
// is not installed.
std::vector<XppRow> RunXppaut(const std::string& text, double total) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    std::string ode = text;
    ode.insert(ode.rfind("done"),
               "@ total=" + FloatToText(total, 17) + ", maxstor=100000, bounds=1e30\n");
    std::ofstream(folder + "/m.ode") << ode;
    const std::string command = "cd '" + folder + "' && xppaut m.ode -silent >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(folder + "/output.dat");
    std::vector<XppRow> rows;
    for (XppRow r; in >> r.t >> r.x >> r.y;)
        rows.push_back(r);
    return rows;
}

// XPPAUT runs a written model to the numbers of --batch with the same method
// and step. XPPAUT keeps its output in single precision and prints 8
// significant digits, which bounds the agreement to about 1E-7.
TEST(OdeConvert, XppautRunsAWrittenModelToTheSameNumbers) {
    if (std::system("command -v xppaut >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xppaut";
    for (const char* example :
         {"predator-prey.ini", "holling-tanner-damped.ini", "allee-effect.ini"})
        for (const TSolverMethod method : {sm_Euler, sm_RK4}) {
            TModel model;
            LoadModelFile(kFolder + "/" + example, model);
            model.solver.Method = method;
            const long long steps = 400;
            const std::vector<XppRow> xpp = RunXppaut(OdeText(model), steps * model.dt);
            ASSERT_EQ(xpp.size(), static_cast<size_t>(steps + 1)) << example;

            std::ostringstream out, err;
            ASSERT_EQ(RunBatch({kFolder + "/" + example, "--steps", std::to_string(steps),
                                "--method", MethodName(method)},
                               out, err),
                      0)
                << err.str();
            std::istringstream lines(out.str());
            std::string line;
            std::getline(lines, line);
            for (const XppRow& x : xpp) {
                ASSERT_TRUE(std::getline(lines, line));
                std::istringstream cells(line);
                std::string t, n1, n2;
                std::getline(cells, t, ',');
                std::getline(cells, n1, ',');
                std::getline(cells, n2, ',');
                const auto near = [](double a, double b) {
                    return std::abs(a - b) <= 2e-7 * std::max(std::abs(b), 1e-3);
                };
                EXPECT_TRUE(near(x.t, TextToFloat(t))) << example << " t=" << t;
                EXPECT_TRUE(near(x.x, TextToFloat(n1)))
                    << example << " t=" << t << ": " << x.x << " vs " << n1;
                EXPECT_TRUE(near(x.y, TextToFloat(n2)))
                    << example << " t=" << t << ": " << x.y << " vs " << n2;
            }
        }
}

} // namespace
