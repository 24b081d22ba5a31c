#pragma once

#include "Simulation.h"

#include <string>
#include <vector>

// The rows of the parameter table: a model always has this many.
constexpr int kParameterRows = 20;

// A model as it is filed: the time step, both densities, both rate texts as
// typed and the parameter table in displayed order.
struct TModel {
    double dt = 1;
    double N1 = 1;
    double N2 = 1;
    std::string rate1 = "0";
    std::string rate2 = "0";
    std::vector<ParameterRow> rows = std::vector<ParameterRow>(kParameterRows);
};

// Reads a model file into `model`, key by key in the filing order; a missing
// file or key keeps the current number, or gives "0" for a rate and an empty
// cell for the table. A "Step" or "Density" that is not a number throws
// EConvertError at that key: what was read before it stays in `model`, the
// rest is untouched.
void LoadModelFile(const std::string& fileName, TModel& model);

// Writes every key of the model, updating an existing file in place and
// keeping what the program does not know. The file is replaced in one step:
// on failure (EIniFileException "Unable to write to %s") it is unchanged.
void SaveModelFile(const std::string& fileName, const TModel& model);

// The graph title for a model file: the name without its folder and without
// the extension from its last dot on ("model.old.ini" gives "model.old").
std::string GraphTitleFromFileName(const std::string& fileName);
