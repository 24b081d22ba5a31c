#pragma once

#include "CompiledModel.h"
#include "ModelFile.h"
#include "Solver.h"

#include <cstddef>
#include <string>
#include <vector>

// A run: the compiled model, the state and the step of the chosen method.
// The main window, the headless modes, the sweeps and the analyses all drive
// it; it knows nothing of controls or graphs.
class TSimulation {
public:
    TSimulation() = default;
    TSimulation(const TSimulation&) = delete;
    TSimulation& operator=(const TSimulation&) = delete;

    double t = 0;
    double dt = 1;
    double N1 = 1;
    double N2 = 1;

    // The method and tolerances; a change takes effect at the next Bind.
    TSolverSettings Settings;

    // Compiles both rates from the model on screen and starts the solver
    // afresh with `Settings`: the densities, each named parameter row in
    // order (its Value text is rewritten in the general number form), then
    // the rates without blanks. Throws on a time step that is not one
    // (CheckTimeStep), names that shadow each other (CheckParameterNames), a
    // bad value, a bad name or a rate that does not compile; the state and
    // the curves are left as they were.
    void Bind(std::vector<ParameterRow>& rows, const std::string& rate1, const std::string& rate2);
    // Takes a copy of a compiled model (another thread's) and starts the
    // solver afresh with `Settings`; the state is this run's.
    void Bind(const TCompiledModel& model);

    // True after a successful Bind and until the next one starts.
    bool IsBound() const { return solver_.Attached(); }

    // One output step: t advances by dt and both densities move to that time
    // by the method bound. A fault or failure throws ESolverError "Solver
    // stopped at t = ...: ..." naming the time the step started from. Euler,
    // the explicit step with a simultaneous update, stops where the fault
    // arose (t advanced, no parser cell written); any other method leaves t
    // and the densities as they were.
    void Step();
    // The same step, but one that would pass `stop` ends there when the
    // method can end a step anywhere (TSolver::StepUntil).
    void StepUntil(double stop) {
        if (IsBound()) solver_.StepUntil(t, dt, stop, N1, N2);
    }
    // t has come to `stop`, rounding in counting the steps aside.
    bool StopReached(double stop) const { return TSolver::StopReached(t, dt, stop); }
    // The same step backward: t goes back by dt.
    void StepBackward();

    // The method the last Bind started with.
    const TSolverSettings& BoundSettings() const { return solver_.Settings(); }

    // An Euler step since the last Bind changed a density by more than half
    // of its value.
    bool EulerStepTooLarge() const { return solver_.EulerStepTooLarge(); }

    // Evaluations of both rate laws at one state since the last Bind (or the
    // last parameter move of an adaptive method): the work of the method.
    long long Evaluations() const { return solver_.Evaluations(); }

    // A parameter moved while the model stays bound: `value` goes into the
    // cells of row `row` (its index among the rows of the last Bind) when
    // that row was bound under `name`.
    // The next step uses it; nothing is compiled, the state stays, and an
    // adaptive method starts afresh from the state as after a Continue,
    // since what it remembers was worked out with the old value. False, and
    // nothing changes, when there are no such cells.
    bool MoveParameter(std::size_t row, const std::string& name, double value);
    // The same by name alone (letter case aside); false for an unknown name.
    bool MoveParameter(const std::string& name, double value);

    // Puts the bound run back at time `t0` and densities (n1, n2), as a new
    // run from there: the cells hold them and the method starts afresh.
    void Restart(double t0, double n1, double n2);

    // The compiled model and the solver stepping it (to watch for events).
    TCompiledModel& Model() { return model_; }
    const TCompiledModel& Model() const { return model_; }
    TSolver& Solver() { return solver_; }
    const TSolver& Solver() const { return solver_; }

private:
    // Before the references to its parsers below, which need it made.
    TCompiledModel model_;
    TSolver solver_;

public:
    // The compiled rate laws dN1/dt and dN2/dt.
    TMathParser& MathParser1 = model_.Parser(0);
    TMathParser& MathParser2 = model_.Parser(1);
};

// Starts `sim` on the model as a run from the file begins: t at 0, the file's
// time step and exact densities, its solver settings, then Bind (which
// rewrites the rows' values and throws on a bad value, name or rate).
void BindModel(TSimulation& sim, TModel& model);
