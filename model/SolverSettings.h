#pragma once

#include "Exception.h"

#include <string>

// How the model is integrated from one output step to the next.
enum class TSolverMethod {
    sm_Euler, // explicit Euler, one rate evaluation per step
    sm_RK4,   // classical Runge-Kutta, four stages, fixed step
    sm_RK45,  // Dormand-Prince 5(4) with error control
    sm_BDF,   // variable-order BDF with Newton iteration, for stiff models
};
using enum TSolverMethod;

constexpr double kDefaultRelTol = 1E-6;
constexpr double kDefaultAbsTol = 1E-9;

// The method and the tolerances the adaptive methods keep to.
struct TSolverSettings {
    TSolverMethod Method = sm_Euler;
    double RelTol = kDefaultRelTol;
    double AbsTol = kDefaultAbsTol;
    // The adaptive methods hold a density that starts at or above 0 there
    // (an analysis' choice; runs leave it off, and it is not filed).
    bool NonNegative = false;

    bool operator==(const TSolverSettings&) const = default;
};

// A solver that could not reach the next output step, or a method or
// tolerance that is not one.
class ESolverError : public Exception {
    using Exception::Exception;
};

// The names used on the command line and in model files: "euler", "rk4",
// "rk45", "bdf".
std::string MethodName(TSolverMethod method);

// The method of a name, in any letter case; anything else throws ESolverError
// "Unknown method '%s'".
TSolverMethod MethodFromName(const std::string& name);

// The longest time step: ten of them (the first time axis) and a run of
// them stay far from overflow.
constexpr double kMaxTimeStep = 1E300;

// A time step must be greater than 0 and at most kMaxTimeStep: a step of 0
// would run for ever at one time, a negative one backwards. Anything else
// throws ESolverError "'%s' is not a valid time step: it must be greater
// than 0 and at most 1E300".
void CheckTimeStep(double dt);

// A tolerance from its text: EConvertError "'%s' is not a valid floating point
// value" for a text that is no number, ESolverError "'%s' is not a valid
// tolerance" for a number that is not positive and finite.
double ToleranceFromText(const std::string& text);
