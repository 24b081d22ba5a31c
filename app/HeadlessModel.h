#pragma once

#include "ModelFile.h"
#include "Simulation.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// What the command line may set over a model file's solver settings.
struct TSolverOverrides {
    std::optional<TSolverMethod> method;
    std::optional<double> relTol;
    std::optional<double> absTol;
};

// Takes "--method M", "--rtol R" or "--atol A" with its value at args[i] into
// `overrides`, moving i to the value; false when args[i] is none of them or
// has no value after it. A bad value throws the solver settings' error.
bool TakeSolverOption(const std::vector<std::string>& args, size_t& i, TSolverOverrides& overrides);

// A whole number of at least `least` given for `option`; anything else throws
// "'%s' is not a valid count for %s".
long long ReadCount(const std::string& option, const std::string& text, long long least);

// The model of a headless run: loads the file as File > Load does, takes the
// overrides over its solver settings and binds and compiles it into `sim` as
// Start does, from the file's exact densities (not the 6 digits an edit
// shows). Returns the model as filed. A file that does not exist or cannot be
// read throws, naming the file: a headless run never stands in the default
// model for the one it was given. A bad number, name or rate throws its error.
TModel LoadBoundModel(const std::string& fileName, TSimulation& sim,
                      const TSolverOverrides& overrides = {});

// Runs a command of the command line: its result, or for an error the output
// so far flushed, the message on `err` as the window would show it, and 1.
int RunHeadless(std::ostream& out, std::ostream& err, const std::function<int()>& command);
