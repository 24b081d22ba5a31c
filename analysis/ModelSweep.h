#pragma once

#include "ModelFile.h"
#include "Sweep.h"

#include <string>

// The factory of a sweep of `name` over `model` (with the model's solver
// settings). Each run starts from the model as a batch run does (t at 0, the
// file's densities and time step) with the parameter `name` (in any letter
// case) at the swept value as the model file would hold it (general number
// text), so a row of the sweep is the run of the model saved with that value.
// The model is compiled once, here; each worker runs a copy of it.
//
// Checks first that a row is named `name` (Exception "No parameter is named
// '%s'") and that the model compiles and takes the value `probe`, throwing
// what a run would throw: a model that cannot run at all is refused before
// any run.
TSweepFactory ModelSweepFactory(const TModel& model, const std::string& name, double probe);
