#pragma once

#include "CompiledModel.h"
#include "Equilibria.h"
#include "PhasePlaneGraph.h"
#include "PlaneRect.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The columns of an equilibrium as the command line and the Equilibria table
// give them: N1, N2, the real and imaginary parts of both eigenvalues, each
// written by `number` (the table shows the user's separator, a file has "."),
// and the kind.
extern const std::vector<std::string> kEquilibriumColumns;
std::vector<std::string> EquilibriumFields(const TEquilibrium& e,
                                           std::string (*number)(double value));

// The model on screen as the phase plane shows it: the model compiled from
// the window's texts on its own, so that the plane can be worked out
// (and refreshed after an edit) without touching the run. Works out the
// figure for a visible range and keeps the equilibria of that range and of
// the model's default box, grown where nullclines leave it toward a crossing
// (FindEquilibriaGrowing).
class TPlaneAnalysis {
public:
    // Compiles the model as Start does, the densities giving the default box.
    // A bad value, name or rate throws its error and leaves the plane empty.
    void Bind(std::vector<ParameterRow> rows, const std::string& rate1, const std::string& rate2,
              double N1, double N2);
    // Nothing to show.
    void Clear();
    bool IsBound() const { return model_.IsCompiled(); }
    // The compiled model with its present values, for another thread.
    std::unique_ptr<TCompiledModel> CloneModel() const { return model_.Clone(); }

    // A parameter moved: `value` goes into the compiled model's cells of the
    // parameter `name` (letter case aside). Nothing is compiled; the next
    // figure and equilibria are of the new value. False, and nothing
    // changes, when the model has no such parameter.
    bool MoveParameter(const std::string& name, double value);

    // How many figures of a bound model have been worked out: the costly
    // step, counted so that callers can tell how often they asked for it.
    long long FiguresWorkedOut() const { return figures_; }

    // The nullclines, direction field (about 400 arrows on square cells of
    // the plot) and the equilibria markers for a range; empty when unbound.
    TPlaneFigure Figure(const TPhasePlaneGraph::TFigureRequest& request);

    // The equilibria in the default box (as grown) and in the range of the
    // last figure, as one list ordered by N1 then N2, with the curves of
    // equilibria of both; `box` is the default box as grown, the range shown
    // aside. `error` tells why a search could not run (or that no model is
    // bound).
    TEquilibria Equilibria();

    // The range to show before a run: the equilibria in the default box (as
    // grown), where the nullclines meet the axes there, and the start
    // (n1, n2), with a margin (FrameAround). The default box of (n1, n2)
    // when unbound.
    TPlaneRect Frame(double n1, double n2);

    static constexpr const char* kNoModel = "The model did not compile";

private:
    TCompiledModel model_;
    TPlaneRect box_;
    std::optional<TEquilibria> inBox_;
    std::optional<TEquilibria> visible_;
    TPlaneRect visibleRect_;
    long long figures_ = 0;
};
