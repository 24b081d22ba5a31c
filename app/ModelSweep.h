#pragma once

#include "ModelFile.h"
#include "Sweep.h"

#include <string>

// A model swept over one of its parameters, one simulation per sweep worker.
// Each run starts from the model as a batch run does (t at 0, the file's
// densities and time step) with every row named `name` (in any letter case)
// holding the swept value as general number text, so a row of the sweep is
// the run of the model saved with that value. The model is compiled once per
// worker: later values go into the compiled model's parameter cells.
class TModelSweepSimulation final : public TSweepSimulation {
public:
    TModelSweepSimulation(const TModel& model, const std::string& name);

    void Start(double value) override;
    TDensities Step() override;

private:
    TModel model_;
    std::string name_;
    std::size_t row_ = 0; // the swept row among the model's rows
    TSimulation sim_;
};

// The factory of a sweep of `name` over `model` (with the model's solver
// settings). Checks first that a row is named `name` (Exception "No parameter
// is named '%s'") and that the model binds with the value `probe`, throwing
// what Start would throw; a model that cannot run at all is refused before
// any run.
TSweepFactory ModelSweepFactory(const TModel& model, const std::string& name, double probe);
