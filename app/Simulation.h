#pragma once

#include "MathParser.h"
#include "ParameterRange.h"
#include "Solver.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// One row of the parameter table: a name, a value as text, a free
// description and the span of its slider (none: the default span of the
// value). A row with an empty name holds no parameter.
struct ParameterRow {
    std::string name;
    std::string value;
    std::string description;
    std::optional<TParameterRange> range = std::nullopt;
};

// Removes every blank (code 32) from a rate text; tabs and other characters stay.
std::string RemoveBlanks(const std::string& text);

// A name the parsers accept for a parameter (an identifier).
bool IsParameterName(const std::string& name);
// Two names the parsers take for one (letter case aside).
bool SameParameterName(const std::string& a, const std::string& b);

// Refuses a table with a name that is no identifier or names that would
// shadow each other: two rows naming one parameter (letter case aside), or a
// row named N1 or N2. The message names the rows, counted from 1 in the order
// given.
void CheckParameterNames(const std::vector<ParameterRow>& rows);

// The longest rate text taken, in characters: far more than any rate law
// needs, and short enough to compile at once and to stay whole in an edit.
constexpr std::size_t kMaxRateLength = 30000;
// Refuses a rate text longer than kMaxRateLength; `label` names it
// ("dN1/dt").
void CheckRateLength(const std::string& label, const std::string& rate);
// Compiles a rate text, its blanks removed, after CheckRateLength. A syntax
// error where a minus follows an operator (2*-x, which the grammar reads as
// no sign of a numeral) says how to write it.
void CompileRate(TMathParser& parser, const std::string& label, const std::string& rate);

// The simulation itself: the state, the two compiled rate laws and the step
// of the chosen method. The main window and the headless batch run both drive
// it; it knows nothing of controls or graphs.
class TSimulation {
public:
    double t = 0;
    double dt = 1;
    double N1 = 1;
    double N2 = 1;

    TMathParser MathParser1;
    TMathParser MathParser2;

    // The method and tolerances; a change takes effect at the next Bind.
    TSolverSettings Settings;

    // Rebinds both parsers and compiles both rates from the model on screen:
    // the densities, each named parameter row in order (its Value text is
    // rewritten in the general number form), then the rates without blanks.
    // Throws on a time step that is not one (CheckTimeStep), names that shadow
    // each other (CheckParameterNames), a bad value, a bad name or a rate that
    // does not compile; the state and the curves are left as they were. On success the solver
    // starts afresh with `Settings`.
    void Bind(std::vector<ParameterRow>& rows, const std::string& rate1, const std::string& rate2);

    // True after a successful Bind and until the next one starts.
    bool IsBound() const { return solver_.Attached(); }

    // One output step: t advances by dt and both densities move to that time
    // by the method bound. Euler is the explicit step with a simultaneous
    // update; its arithmetic fault throws the platform's floating-point
    // exception and stops the step where it arose, no parser cell written.
    // Any other method's fault or failure throws ESolverError "Solver stopped
    // at t = ...: ..." and leaves t and the densities as they were.
    void Step();

    // The method the last Bind started with.
    const TSolverSettings& BoundSettings() const { return solver_.Settings(); }

    // An Euler step since the last Bind changed a density by more than half
    // of its value.
    bool EulerStepTooLarge() const { return solver_.EulerStepTooLarge(); }

    // Evaluations of both rate laws at one state since the last Bind (or the
    // last parameter move of an adaptive method): the work of the method.
    long long Evaluations() const { return solver_.Evaluations(); }

    // A parameter moved while the model stays bound: `value` goes into both
    // parsers' cells of row `row` (its index among the rows of the last Bind)
    // when that row was bound under `name`.
    // The next step uses it; nothing is compiled, the state stays, and an
    // adaptive method starts afresh from the state as after a Continue,
    // since what it remembers was worked out with the old value. False, and
    // nothing changes, when there are no such cells.
    bool MoveParameter(std::size_t row, const std::string& name, double value);

    // Puts the bound run back at time `t0` and densities (n1, n2), as a new
    // run from there: the cells hold them and the method starts afresh.
    void Restart(double t0, double n1, double n2);

    // The cells of N1 and N2 that rate law `which` (0: dN1/dt in MathParser1,
    // 1: dN2/dt in MathParser2) reads, as the last Bind defined them; null
    // before the first. The phase plane evaluates the laws through them.
    double* N1Cell(int which) const { return cells_[which][0]; }
    double* N2Cell(int which) const { return cells_[which][1]; }

private:
    // The cells a parameter row was bound to, while its binding is in force.
    struct TBoundParameter {
        std::string name;
        double* cell1 = nullptr;
        double* cell2 = nullptr;
    };

    void BindParameters(std::vector<ParameterRow>& rows);

    TSolver solver_;
    double* cells_[2][2] = {};
    std::vector<TBoundParameter> parameters_;
};
