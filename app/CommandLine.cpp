#include "CommandLine.h"

#include "Application.h"
#include "BatchRun.h"
#include "Calculator.h"
#include "ContinueCommand.h"
#include "ConvertCommand.h"
#include "CyclesCommand.h"
#include "EquilibriaCommand.h"
#include "FitCommand.h"
#include "RenderCommand.h"
#include "SweepCommand.h"

#include <ostream>
#include <sstream>

namespace {

const char* const kProgram = "tarnivell";

// The calls that are not modes of their own, as the help text shows them.
const char* const kWindowUsage = "[MODEL.ini]";
const char* const kWindowSummary =
    "Opens the window, loading the model file (.ini, XPPAUT .ode or SBML .xml/.sbml) when one "
    "is given.";
const char* const kHelpSummary = "Prints this text.";
const char* const kVersionSummary = "Prints the program's name and version.";

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

// A summary broken at blanks into indented lines that fit a terminal.
std::string Indented(const std::string& summary) {
    constexpr size_t kWidth = 78;
    const std::string indent(6, ' ');
    std::istringstream words(summary);
    std::string text, line, word;
    while (words >> word) {
        if (!line.empty() && indent.size() + line.size() + 1 + word.size() > kWidth) {
            text += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return text + indent + line + "\n";
}

} // namespace

const std::vector<TCommandMode>& CommandModes() {
    static const std::vector<TCommandMode> modes = {
        {"--batch", kBatchUsage,
         "Runs the model without a window and prints CSV t,N1,N2: the start state, then every "
         "K-th step (default 1) up to N steps (default 1000). M is euler, rk4, rk45 or bdf; "
         "--rtol R and --atol A set the tolerances of rk45 and bdf; both override the model "
         "file's Solver section.",
         RunBatch},
        {"--equilibria", kEquilibriaUsage,
         "Prints CSV N1,N2,re1,im1,re2,im2,kind: each equilibrium of the model in the box (default "
         "0 to 10 times the larger of 1 and the model's densities on both axes) with the "
         "eigenvalues of its Jacobian and its kind, ordered by N1 then N2.",
         RunEquilibria},
        {"--cycles", kCyclesUsage,
         "Prints CSV N1,N2,period,N1min,N1max,N2min,N2max,multiplier,kind: each limit cycle "
         "through the box (the box of --equilibria) with a point of it, its period, the extremes "
         "of both densities along it, its Floquet multiplier and its kind (stable, unstable or "
         "semi-stable), ordered by period. Closed orbits around a centre are not limit cycles: "
         "standard error says so.",
         RunCycles},
        {"--continue", kContinueUsage,
         "Follows the equilibria of the model as parameter NAME runs from FROM to TO, and the "
         "limit cycles born where they lose stability, and prints CSV "
         "branch,object,NAME,N1,N2,N1min,N1max,N2min,N2max,period,stable,label: each branch "
         "numbered from 1, its rows in the order followed, object equilibrium or cycle, stable "
         "yes or no, and on the row at its value each special point (fold, branch point, hopf "
         "supercritical, hopf subcritical, cycle fold, homoclinic). The box is that of "
         "--equilibria at the file's value of NAME. A branch that could not go on keeps its "
         "rows, says where on standard error and gives exit code 1. BOX is "
         "N1MIN:N1MAX:N2MIN:N2MAX as for --equilibria. With a second range "
         "NAME2=FROM:TO it prints instead the curves of folds and Hopf points across both, CSV "
         "curve,kind,NAME,NAME2,N1,N2,label (kind fold or hopf; label bogdanov-takens, cusp or "
         "bautin).",
         RunContinue},
        {"--fit", kFitUsage,
         "Fits the model to observed counts by least squares and prints CSV "
         "name,estimate,standard_error: a row per parameter named, in that order, then N1 and "
         "N2 (the initial densities) with --densities; standard error gets a line "
         "SSR=..., points=..., AIC=.... DATA.csv has a header row, columns t, time or year and "
         "N1, N2 (letter case aside; --columns t=COL,N1=COL,N2=COL names others), blank or NA for "
         "a count not "
         "observed; model time 0 is its first row's time. --log fits logarithms of the counts; "
         "--starts N starts from N points (default 8) on every core; a parameter stays within "
         "its slider's span, a density within 0 to 10 times the largest count. A parameter the "
         "data cannot determine reads \"not identifiable\". --out FILE writes the model with the "
         "estimates (.ini, .ode or SBML by its extension). A fit that did not converge says so on "
         "standard error and gives exit code "
         "1.",
         RunFit},
        {"--render", kRenderUsage,
         "Runs the model N steps (default 1000) without a display and writes the picture the "
         "window would show, W x H pixels (default 625x300), as PNG, SVG or PDF by FILE's "
         "extension. V is time (the time plot, default) or phase (the phase plane); --method M, "
         "--rtol R and --atol A as for --batch.",
         RunRender},
        {"--sweep", kSweepUsage,
         "Runs the model for COUNT values of parameter NAME from FROM to TO (both included; "
         "FROM may be above TO), on every core, each until it settles on an equilibrium or a "
         "cycle or has taken N steps (default 1000000), looking from step M on (--discard M, "
         "default 0), and prints CSV NAME,N1min,N1max,N2min,N2max,N1last,N2last,period,converged: "
         "an "
         "orbit diagram's data, the extremes at the equilibrium or over the cycle's last "
         "period (period empty for an equilibrium), converged yes or no. --follow starts each "
         "run from the state the one before ended in, one after another. --method, --rtol "
         "and --atol as for --batch. A run that fails gives a row with empty fields, its "
         "message on standard error and exit code 1.",
         RunSweepCommand},
        {"--convert", kConvertUsage,
         "Converts the model file IN to OUT, each in the format of its extension: .ini (the "
         "program's own), .ode (XPPAUT, two variables) or .xml/.sbml (SBML Level 3 Version 2). "
         "What "
         "OUT's format cannot hold exactly "
         "is refused; what is read but has no effect is noted on standard error.",
         RunConvert},
        {"--eval", kCalculatorUsage,
         "Prints the value of one rate law; blanks are removed from EXPR as from a rate.",
         RunCalculator},
    };
    return modes;
}

std::string UsageText() {
    std::string text = "Usage:\n";
    const auto entry = [&](const std::string& usage, const std::string& summary) {
        text += "  " + std::string(kProgram) + " " + usage + "\n" + Indented(summary);
    };
    entry(kWindowUsage, kWindowSummary);
    for (const TCommandMode& mode : CommandModes())
        entry(mode.usage, mode.summary);
    entry("--help | -h", kHelpSummary);
    entry("--version", kVersionSummary);
    return text;
}

std::optional<int> RunCommandLine(const std::vector<std::string>& args, std::ostream& out,
                                  std::ostream& err) {
    if (args.empty()) return std::nullopt;
    const std::string& first = args.front();
    if (IsHelp(first)) {
        out << UsageText();
        return 0;
    }
    if (first == "--version") {
        out << "Tarnivell v" << kProgramVersion << '\n';
        return 0;
    }
    for (const TCommandMode& mode : CommandModes())
        if (first == mode.option)
            return mode.run(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    if (first.starts_with("--")) {
        err << kProgram << ": unknown option '" << first << "'\n" << UsageText();
        return 2;
    }
    return std::nullopt;
}
