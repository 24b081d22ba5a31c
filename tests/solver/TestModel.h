#pragma once

#include "CompiledModel.h"
#include "Solver.h"

#include <string>

// A model bound as a Start binds it: the two rate laws compiled with the
// densities' cells at the start, the solver attached with the given settings.
struct TTestModel {
    TCompiledModel Model;
    TMathParser& P1 = Model.Parser(0);
    TMathParser& P2 = Model.Parser(1);
    TSolver Solver;
    double t = 0;
    double dt;
    double N1;
    double N2;

    TTestModel(const std::string& rate1, const std::string& rate2, double n1, double n2,
               double step, TSolverSettings settings = {})
        : dt(step), N1(n1), N2(n2) {
        std::vector<ParameterRow> none;
        Model.Compile(none, rate1, rate2, N1, N2);
        Solver.Attach(Model, settings);
    }

    void Step() { Solver.Step(t, dt, N1, N2); }
};

inline TSolverSettings Method(TSolverMethod method, double relTol = kDefaultRelTol,
                              double absTol = kDefaultAbsTol) {
    return TSolverSettings{method, relTol, absTol};
}
