#pragma once

#include "MathParser.h"
#include "Solver.h"

#include <string>

// A model bound as a Start binds it: both densities defined in both parsers,
// the two rate laws compiled, the solver attached with the given settings.
struct TTestModel {
    TMathParser P1;
    TMathParser P2;
    TSolver Solver;
    double t = 0;
    double dt;
    double N1;
    double N2;

    TTestModel(const std::string& rate1, const std::string& rate2, double n1, double n2,
               double step, TSolverSettings settings = {})
        : dt(step), N1(n1), N2(n2) {
        double* n1Of1 = P1.DefineVariable("N1", N1);
        double* n1Of2 = P2.DefineVariable("N1", N1);
        double* n2Of1 = P1.DefineVariable("N2", N2);
        double* n2Of2 = P2.DefineVariable("N2", N2);
        P1.SetExpression(rate1);
        P2.SetExpression(rate2);
        Solver.Attach(TRateLaws(P1, P2, n1Of1, n1Of2, n2Of1, n2Of2), settings);
    }

    void Step() { Solver.Step(t, dt, N1, N2); }
};

inline TSolverSettings Method(TSolverMethod method, double relTol = kDefaultRelTol,
                              double absTol = kDefaultAbsTol) {
    return TSolverSettings{method, relTol, absTol};
}
