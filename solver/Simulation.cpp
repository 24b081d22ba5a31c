#include "Simulation.h"

void TSimulation::Bind(std::vector<ParameterRow>& rows, const std::string& rate1,
                       const std::string& rate2) {
    solver_.Detach();
    CheckTimeStep(dt);
    model_.Compile(rows, rate1, rate2, N1, N2);
    solver_.Attach(model_, Settings);
}

void TSimulation::Bind(const TCompiledModel& model) {
    solver_.Detach();
    CheckTimeStep(dt);
    model_.CopyFrom(model);
    model_.Store(N1, N2);
    if (model_.IsCompiled()) solver_.Attach(model_, Settings);
}

bool TSimulation::MoveParameter(std::size_t row, const std::string& name, double value) {
    if (!IsBound() || !model_.SetRow(row, name, value)) return false;
    solver_.Restart();
    return true;
}

bool TSimulation::MoveParameter(const std::string& name, double value) {
    const int index = model_.ParameterIndex(name);
    if (!IsBound() || index < 0) return false;
    model_.SetParameter(std::size_t(index), value);
    solver_.Restart();
    return true;
}

void TSimulation::Restart(double t0, double n1, double n2) {
    t = t0;
    N1 = n1;
    N2 = n2;
    model_.Store(n1, n2);
    solver_.Restart();
}

void TSimulation::Step() {
    if (IsBound()) solver_.Step(t, dt, N1, N2);
}

void TSimulation::StepBackward() {
    if (IsBound()) solver_.StepBackward(t, dt, N1, N2);
}

void BindModel(TSimulation& sim, TModel& model) {
    sim.t = 0;
    sim.dt = model.dt;
    sim.N1 = model.N1;
    sim.N2 = model.N2;
    sim.Settings = model.solver;
    sim.Bind(model.rows, model.rate1, model.rate2);
}
