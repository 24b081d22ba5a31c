#pragma once

#include "ModelFile.h"
#include "Sweep.h"

#include <string>

// The factory of the sweep `request` asks for over `model` (with the model's
// solver settings). Each run starts from the model as a batch run does (t at
// 0, the file's densities and time step) with the parameter named (in any
// letter case) at the swept value as the model file would hold it (general
// number text), so a row of the sweep is the run of the model saved with that
// value. The model is compiled once, here; each worker runs a copy of it.
//
// Refuses first what SweepRequestError finds, then a name no row has
// (Exception "No parameter is named '%s'"), then a model that does not
// compile or take the value `from`, throwing what a run would throw: a sweep
// that cannot run at all is refused before any run.
TSweepFactory ModelSweepFactory(const TModel& model, const TSweepRequest& request);
