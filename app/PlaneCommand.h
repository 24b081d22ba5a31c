#pragma once

#include "Equilibria.h"
#include "PlaneRect.h"
#include "Simulation.h"

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// What the command-line modes of the phase plane (--equilibria, --cycles,
// --continue) read and work out alike: the arguments MODEL.ini [--box
// N1MIN:N1MAX:N2MIN:N2MAX] and the mode's own operands after the model file,
// the model loaded and compiled as a run from the file starts, and its
// equilibria. A box given is searched as it is; without one the search starts
// from the default box of the model's densities and grows it where nullclines
// leave it toward a crossing (FindEquilibriaGrowing), so that every mode
// looks at the same box.
class TPlaneCommand {
public:
    // `args` are those after the mode's option, `usage` its usage line after
    // the program name, `operands` how many arguments the mode takes after
    // the model file (up to `most` when it takes more at will). Arguments that do not fit throw
    // "usage: tarnivell " and the usage; a bad box, a model that cannot be loaded or compiled, or
    // an equilibrium search that cannot run throws its message.
    TPlaneCommand(const std::vector<std::string>& args, const std::string& usage,
                  std::size_t operands = 0, std::size_t most = 0);

    // The mode's operands, as given.
    const std::vector<std::string>& Operands() const { return operands_; }

    TCompiledModel& Model() { return sim_.Model(); }
    // The equilibria found; `box` is the box searched (as grown).
    const TEquilibria& Equilibria() const { return found_; }
    const TPlaneRect& Box() const { return found_.box; }
    // Without a box given: a sentence a line on `err` saying which box was
    // searched, and whether the default box grew.
    void NoteBox(std::ostream& err) const;

private:
    std::vector<std::string> operands_;
    TSimulation sim_;
    std::optional<TPlaneRect> given_;
    TPlaneRect start_;
    TEquilibria found_;
};
