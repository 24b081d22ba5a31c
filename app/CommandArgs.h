#pragma once

#include "ModelFile.h"
#include "SolverSettings.h"

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// What the headless modes of the command line read alike.

// A whole number of at least `least` for an option; anything else throws
// Exception "'%s' is not a valid count for %s".
long long ReadCount(const std::string& option, const std::string& text, long long least);

// An argument NAME=V1:V2:... naming a parameter (--sweep, --continue): the
// name before the first "=" and the texts between the colons after it.
struct TNamedValues {
    std::string name;
    std::vector<std::string> values;
};
// `text` read as such with exactly `count` values; an empty name or another
// count throws Exception `wrongForm`, the message that names the mode's form.
TNamedValues ReadNamedValues(const std::string& text, std::size_t count,
                             const std::string& wrongForm);

// The model file of a headless run, loaded as File > Load does. The window
// opens on a file that is not there (it reads as all defaults); a headless
// run refuses it ("Model file '%s' does not exist", "... cannot be read"), so
// it never stands in the default model for the one it was given. The format
// follows the extension (LoadAnyModelFile); its notes go to `notes`, a line each.
TModel LoadRequiredModel(const std::string& fileName, std::ostream& notes);
TModel LoadRequiredModel(const std::string& fileName);

// --method M, --rtol R and --atol A: they override the model file's solver
// settings.
struct TSolverOptions {
    std::optional<TSolverMethod> method;
    std::optional<double> relTol;
    std::optional<double> absTol;

    // Takes args[i] and its value when it is one of these options (i then
    // stands on the value); false when it is not. A bad method or tolerance
    // throws.
    bool Take(const std::vector<std::string>& args, std::size_t& i);
    void ApplyTo(TSolverSettings& settings) const;
};

// An option starting with "--" that the mode does not know: RunHeadless
// names it and prints the mode's usage, exit code 2.
class EUnknownOption : public Exception {
public:
    EUnknownOption(const std::string& option, std::string usage);
    const std::string& Usage() const { return usage_; }

private:
    std::string usage_;
};

// Refuses an argument of a mode: EUnknownOption when it starts with "--" and
// is none of `known` (nor, with `solver`, of TSolverOptions'), else Exception
// `usage` (an option without its value, a surplus operand).
[[noreturn]] void RefuseArgument(const std::string& arg, const std::string& usage,
                                 std::initializer_list<const char*> known, bool solver = false);

// Runs a headless mode: its result, or for an error the output so far
// flushed, the message on `err` as the window would show it, and 1.
int RunHeadless(std::ostream& out, std::ostream& err, const std::function<int()>& command);
