#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// A mode of the command line that runs without a window: the option that
// selects it, its usage line and one line of explanation for the help text,
// and the function that runs it with the arguments after the option.
struct TCommandMode {
    std::string option;
    std::string usage;
    std::string summary;
    std::function<int(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)>
        run;
};

// Every headless mode, in the order the help text lists them. A new mode is
// one more entry here.
const std::vector<TCommandMode>& CommandModes();

// The help text: every way to call the program, each with its explanation.
std::string UsageText();

// Runs what the arguments (those after the program name) ask for when that
// needs no window: a mode, the help, the version, or the refusal of an
// unknown option (usage on `err`, exit code 2). Returns the exit code, or
// nothing when the window is to open.
std::optional<int> RunCommandLine(const std::vector<std::string>& args, std::ostream& out,
                                  std::ostream& err);
