#pragma once

#include "MathParser.h"
#include "Solver.h"

#include <string>
#include <vector>

// One row of the parameter table: a name, a value as text and a free
// description. A row with an empty name holds no parameter.
struct ParameterRow {
    std::string name;
    std::string value;
    std::string description;
};

// Removes every blank (code 32) from a rate text; tabs and other characters stay.
std::string RemoveBlanks(const std::string& text);

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
    // Throws on a bad value, a bad name or a rate that does not compile; the
    // state and the curves are left as they were. On success the solver
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

    // Evaluations of both rate laws at one state since the last Bind: the
    // work of the method.
    long long Evaluations() const { return solver_.Evaluations(); }

private:
    void BindParameters(std::vector<ParameterRow>& rows);

    TSolver solver_;
};
