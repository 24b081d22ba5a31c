#pragma once

#include "MathParser.h"

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

// The simulation itself: the state, the two compiled rate laws and the Euler
// step. The main window and the headless batch run both drive it; it knows
// nothing of controls or graphs.
class TSimulation {
public:
    double t = 0;
    double dt = 1;
    double N1 = 1;
    double N2 = 1;

    TMathParser MathParser1;
    TMathParser MathParser2;

    // Rebinds both parsers and compiles both rates from the model on screen:
    // the densities, each named parameter row in order (its Value text is
    // rewritten in the general number form), then the rates without blanks.
    // Throws on a bad value, a bad name or a rate that does not compile; the
    // state and the curves are left as they were.
    void Bind(std::vector<ParameterRow>& rows, const std::string& rate1, const std::string& rate2);

    // True after a successful Bind and until the next one starts.
    bool IsBound() const { return cellN1Of1_ != nullptr; }

    // One explicit Euler step with a simultaneous update of both densities.
    // An arithmetic fault throws the platform's floating-point exception and
    // stops the step where it arose: no parser cell is written.
    void Step();

private:
    void BindParameters(std::vector<ParameterRow>& rows);

    // The density cells both parsers read, kept from the last Bind.
    double* cellN1Of1_ = nullptr;
    double* cellN1Of2_ = nullptr;
    double* cellN2Of1_ = nullptr;
    double* cellN2Of2_ = nullptr;
};
