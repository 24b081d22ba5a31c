#include "CommandLine.h"
#include "BatchRun.h"
#include "CommandArgs.h"
#include "ContinueCommand.h"
#include "Exception.h"
#include "FitCommand.h"
#include "RenderCommand.h"
#include "SweepCommand.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <sstream>

namespace {

struct Outcome {
    std::optional<int> code;
    std::string out, err;
};

Outcome RunArgs(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const std::optional<int> code = RunCommandLine(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(CommandLine, HelpVersionAndUnknownOptionsAnswerWithoutAWindow) {
    const std::string usage = UsageText();
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out, err;
    };
    const Case cases[] = {
        {{"--help"}, 0, usage, ""},
        {{"-h"}, 0, usage, ""},
        {{"--help", "model.ini"}, 0, usage, ""},
        {{"--version"}, 0, "Tarnivell v1.0b\n", ""},
        {{"--frobnicate"}, 2, "", "tarnivell: unknown option '--frobnicate'\n" + usage},
        {{"--Help"}, 2, "", "tarnivell: unknown option '--Help'\n" + usage},
        {{"--eval", "7 DIV 2"}, 0, "3\n", ""},
        // After a mode: named, with the mode's usage, before any file is read.
        {{"--batch", "m.ini", "--bogus"},
         2,
         "",
         "tarnivell: unknown option '--bogus'\nusage: tarnivell " + std::string(kBatchUsage) +
             "\n"},
        {{"--sweep", "m.ini", "K=0:1:3", "--rtol", "1e-9", "--fast"},
         2,
         "",
         "tarnivell: unknown option '--fast'\nusage: tarnivell " + std::string(kSweepUsage) + "\n"},
        {{"--continue", "m.ini", "K=0:1", "--method", "rk4"},
         2,
         "",
         "tarnivell: unknown option '--method'\nusage: tarnivell " + std::string(kContinueUsage) +
             "\n"},
        {{"--render", "m.ini", "--size"},
         1,
         "",
         "usage: tarnivell " + std::string(kRenderUsage) + ".\n"},
        {{"--fit", "m.ini", "d.csv", "--params", "a", "--weights", "w"},
         2,
         "",
         "tarnivell: unknown option '--weights'\nusage: tarnivell " + std::string(kFitUsage) +
             "\n"},
    };
    for (const Case& c : cases) {
        const Outcome r = RunArgs(c.args);
        ASSERT_TRUE(r.code.has_value()) << c.args[0];
        EXPECT_EQ(*r.code, c.code) << c.args[0];
        EXPECT_EQ(r.out, c.out) << c.args[0];
        EXPECT_EQ(r.err, c.err) << c.args[0];
    }
}

TEST(CommandLine, TheWindowOpensForNoArgumentsOrAModelFile) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"model.ini"}, {"no/such/model.ini"}, {"-"}, {"model.ini", "--help"}}) {
        const Outcome r = RunArgs(args);
        EXPECT_FALSE(r.code.has_value()) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.out + r.err, "");
    }
}

// The help text with each run of blanks and line breaks made one blank.
std::string Flowed(const std::string& text) {
    std::istringstream words(text);
    std::string flowed, word;
    while (words >> word)
        flowed += (flowed.empty() ? "" : " ") + word;
    return flowed;
}

TEST(CommandLine, TheHelpTextNamesEveryCallAndFitsATerminal) {
    const std::string usage = UsageText();
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 78u) << line;
    for (const char* call :
         {"tarnivell [MODEL.ini]", "tarnivell --help | -h", "tarnivell --version"})
        EXPECT_NE(usage.find(call), std::string::npos) << call;
    for (const TCommandMode& mode : CommandModes()) {
        EXPECT_EQ(mode.usage.rfind(mode.option + " ", 0), 0u) << mode.option;
        EXPECT_NE(usage.find("tarnivell " + mode.usage + "\n"), std::string::npos) << mode.option;
        EXPECT_NE(Flowed(usage).find(Flowed(mode.summary)), std::string::npos) << mode.option;
    }
}

} // namespace

namespace {

// A headless command that fails says why in words a user reads, also when
// the memory ran out (not the library's "std::bad_alloc").
TEST(CommandLine, AFailureIsReportedAsTheErrorDisplayShowsIt) {
    const struct {
        std::function<int()> command;
        const char* err;
    } cases[] = {
        {[]() -> int { throw Exception("Line one\rline two"); }, "Line one\nline two.\n"},
        {[]() -> int { throw std::bad_alloc(); },
         "Not enough memory to finish: a smaller model, run or sweep may fit.\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(RunHeadless(out, err, c.command), 1);
        EXPECT_EQ(err.str(), c.err);
    }
}

} // namespace
